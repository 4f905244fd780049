#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

// What one step of a test did.
struct StepOutcome {
    std::string file;
    int line = 0;           // 0 for generated steps
    std::string iteration;  // "3/100" inside a repeat
    std::string step;       // the step as written
    bool passed = false;
    std::string arrived;    // what was sent or what came back
    std::chrono::milliseconds elapsed{0};
    bool testCase = false;  // an expect, or a send that failed: a test case of its own
    std::string subject;    // what a failure is named by in the summary (a variable), if anything
};

// The outcomes of a test run, grouped by script (suite), handed to the printer as they come.
class CTestReport {
public:
    struct Suite {
        std::string name;
        std::vector<StepOutcome> steps;
    };
    using Printer = std::function<void(const StepOutcome&)>;

    explicit CTestReport(Printer printer = {}) : m_printer(std::move(printer)) {}

    void BeginSuite(std::string name);
    void Add(StepOutcome outcome);

    std::size_t Passed() const { return m_passed; }
    std::size_t Failed() const { return m_failed; }
    const std::vector<Suite>& Suites() const { return m_suites; }
    // The subjects of failed steps, each once, in the order they failed.
    std::vector<std::string> FailedSubjects() const;

private:
    Printer m_printer;
    std::vector<Suite> m_suites;
    std::size_t m_passed = 0;
    std::size_t m_failed = 0;
};

// "ok<TAB>FILE:LINE<TAB>STEP<TAB>ARRIVED<TAB>N ms", outside text escaped.
std::string FormatStepLine(const StepOutcome& outcome);
// "N passed, N failed", and on a second line the failed subjects, if any.
std::string FormatSummary(const CTestReport& report);
// JUnit XML: a test suite per script, a test case per expect and per failed send.
std::string JUnitXml(const CTestReport& report);
