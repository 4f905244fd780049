#pragma once

#include "script/test_report.h"

#include <chrono>
#include <cstddef>
#include <string>

// The JUnit XML report of a run, written as the steps come rather than held: a test suite per
// script, a test case per expect, per failed send and per error that ended the run early. A
// suite's element carries its counts before its cases, so each suite's cases go to a scratch
// file beside the report first. The report is put in its place whole at Finish, replacing any
// earlier one; until then, and after a failure, the place keeps what it had.
class CJUnitReport {
public:
    CJUnitReport() = default;
    ~CJUnitReport();
    CJUnitReport(const CJUnitReport&) = delete;
    CJUnitReport& operator=(const CJUnitReport&) = delete;

    // Starts the report that will go to path; false, with the system's reason, when no file can
    // be made beside it.
    bool Open(const std::string& path, std::string& error);
    bool IsOpen() const { return m_report >= 0; }
    // Listens to the run's steps.
    void Follow(CTestReport& report);

    void BeginSuite(const std::string& name);
    void Add(const StepOutcome& step);
    // Ends the last suite and puts the report in place; false, with the reason, when it could not
    // be written (the partial files are removed).
    bool Finish(std::string& error);

private:
    bool EndSuite();
    bool Write(int fd, const std::string& text);
    void Discard();

    std::string m_path;
    std::string m_partial;
    int m_report = -1;
    std::string m_spoolPath;
    int m_spool = -1;
    int m_failure = 0;

    std::string m_suite;
    bool m_inSuite = false;
    std::size_t m_tests = 0;
    std::size_t m_failures = 0;
    std::size_t m_errors = 0;
    std::chrono::milliseconds m_time{0};
};
