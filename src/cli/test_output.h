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

    // False, with the reason, when the JUnit file could not be written where it is asked for.
    static bool CheckReportPath(const std::string& path, std::string& error);

    // With a path, opens the session file (a new one, or a session file to continue) and has the
    // session record into it; false, having said why, when it cannot be opened.
    static bool StartRecording(const std::string& path, SessionWriter& recorder, CDeviceSession& session);
    // Closes the session file: status, or 1 when the record could not all be written.
    static int EndRecording(SessionWriter& recorder, int status);

    // Ctrl+C and SIGTERM set the flag from now on.
    static const std::atomic<bool>& CatchStop();
};
