#pragma once

#include "script/test_report.h"

#include <atomic>
#include <string>

class CDeviceSession;
class SessionWriter;

// What the run and sweep commands share: step lines on standard output as they happen, every
// write checked; the JUnit file, written whole or not at all; the session file; Ctrl+C ending a
// run between steps.
class TestOutput {
public:
    // Prints each step's line as it happens; a failed write is reported at the end.
    static CTestReport::Printer Printer();
    // Prints the summary. Exit status: 0 when all passed, 1 when any failed, the run was stopped
    // or the report could not be written.
    static int Finish(const CTestReport& report, const std::string& junitPath);

    // Everything before the first step: the JUnit file's place checked, the session file opened
    // (a new one, or a session file to continue) and recorded into, the port opened. 0 when all is
    // ready; otherwise the exit status, having said why: 2 for a report or record that cannot be
    // written there, 1 for a port that does not open (a failure of the run, as for monitor).
    static int Prepare(const std::string& junitPath, const std::string& logPath, const std::string& port,
                       SessionWriter& recorder, CDeviceSession& session);
    // Closes the session file: status, or 1 when the record could not all be written.
    static int EndRecording(SessionWriter& recorder, int status);

    // Ctrl+C and SIGTERM set the flag from now on.
    static const std::atomic<bool>& CatchStop();
};
