#pragma once

#include "log/session_writer.h"
#include "script/junit_report.h"
#include "script/test_report.h"

#include <atomic>
#include <chrono>
#include <memory>
#include <string>

class CDeviceSession;

// What the run and sweep commands share: step lines on standard output as they happen (at most
// kShowWithin late while steps follow each other without waiting), every write checked; the JUnit report, streamed and put in place whole; the session file; Ctrl+C and
// SIGTERM ending a run at any stage. A reader that closes standard output ends the run quietly.
class TestOutput {
public:
    // Catches stop requests from now on. errorSuite names the report's suite for an error that
    // comes before any suite has begun (a port that does not open).
    TestOutput(std::string junitPath, std::string logPath, std::string errorSuite);
    ~TestOutput();
    TestOutput(const TestOutput&) = delete;
    TestOutput& operator=(const TestOutput&) = delete;

    // Everything before the first step: the two outputs checked apart, the JUnit report started
    // (an earlier report is replaced, no other file), the session file opened (a new one, or a
    // session file to continue), the port opened. 0 when all is ready; otherwise the exit status,
    // having said why: 2 for outputs that cannot be written there, 1 for a port that does not
    // open (a failure of the run, as for monitor; the report then carries it as an error).
    int Prepare(const std::string& port);
    // The device the steps run against, on the port Prepare opened.
    CDeviceSession& Session() { return *m_session; }
    // The run cannot go on: says why, writes the report with it as an error; exit status 1.
    int Abandon(const std::string& reason);
    CTestReport& Report() { return m_report; }
    const std::atomic<bool>& Stop() const { return m_stop; }

    // Prints the summary and writes the report. Exit status: 0 when all passed, 1 when any
    // failed, the run was stopped or an output could not be written.
    int Finish();
    // Closes the port, then the session file (so the port's closing is recorded): status, or 1
    // when the record could not all be written.
    int EndRecording(int status);

    static constexpr std::chrono::milliseconds kShowWithin{50};

private:
    void Print(const StepOutcome& outcome);
    // Writes out the step lines held back.
    void Show();
    bool WriteReport();

    const std::atomic<bool>& m_stop;
    std::string m_junitPath;
    std::string m_logPath;
    std::string m_errorSuite;
    CTestReport m_report;
    CJUnitReport m_junit;
    SessionWriter m_recorder;
    std::unique_ptr<CDeviceSession> m_session;
    bool m_readerGone = false;
    std::chrono::steady_clock::time_point m_shown;
};
