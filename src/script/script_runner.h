#pragma once

#include "script/script.h"

#include <atomic>
#include <optional>
#include <string>
#include <vector>

class ITestLink;
class CTestReport;

// Runs composed scripts step by step on a device, reporting every step. A failed step does not
// stop the script: the engineer sees every failure of a run at once.
class CScriptRunner {
public:
    CScriptRunner(ITestLink& session, CTestReport& report) : m_session(session), m_report(report) {}

    // The run ends after the current step once stop is set (Ctrl+C).
    void SetStopFlag(const std::atomic<bool>* stop) { m_stop = stop; }
    void Run(const Script& script);

private:
    void RunSteps(const Script& script, const std::vector<ScriptStep>& steps, const std::string& iteration);
    void RunStep(const Script& script, const ScriptStep& step, const std::string& iteration);
    bool Stopped() const { return m_stop && *m_stop; }

    ITestLink& m_session;
    CTestReport& m_report;
    const std::atomic<bool>* m_stop = nullptr;
};

// How many step outcomes a run of the script gives, repeats counted out (at most SIZE_MAX): the
// measure of a run's progress.
std::size_t PlannedSteps(const Script& script);

// Composes each script for its model: the one its model line names, or the one the device names
// in answer to the Device ID query (asked once, and only when a script without a model line names
// a message type or variable). What stops the scripts from running, if anything.
struct ScriptsComposed {
    enum class Outcome { Ready, NoModel, ScriptError };
    Outcome outcome = Outcome::Ready;
    std::string error; // NoModel: why the device gave none; ScriptError: "FILE:LINE: REASON"
};
ScriptsComposed ComposeScripts(std::vector<Script>& scripts, ITestLink& link);

// The model the device names in its answer to the Device ID query; nothing, with the reason,
// when it does not answer within a second or names no model of the catalogue.
std::optional<int> IdentifyModel(ITestLink& session, std::string& error);
