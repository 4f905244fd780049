#pragma once

#include "script/script.h"

#include <atomic>
#include <optional>
#include <string>

class CDeviceSession;
class CTestReport;

// Runs composed scripts step by step on a device, reporting every step. A failed step does not
// stop the script: the engineer sees every failure of a run at once.
class CScriptRunner {
public:
    CScriptRunner(CDeviceSession& session, CTestReport& report) : m_session(session), m_report(report) {}

    // The run ends after the current step once stop is set (Ctrl+C).
    void SetStopFlag(const std::atomic<bool>* stop) { m_stop = stop; }
    void Run(const Script& script);

private:
    void RunSteps(const Script& script, const std::vector<ScriptStep>& steps, const std::string& iteration);
    void RunStep(const Script& script, const ScriptStep& step, const std::string& iteration);
    bool Stopped() const { return m_stop && *m_stop; }

    CDeviceSession& m_session;
    CTestReport& m_report;
    const std::atomic<bool>* m_stop = nullptr;
};

// The model the device names in its answer to the Device ID query; nothing, with the reason,
// when it does not answer within a second or names no model of the catalogue.
std::optional<int> IdentifyModel(CDeviceSession& session, std::string& error);
