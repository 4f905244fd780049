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
    std::string arrived;    // what was sent or what came back; for an error, why the run could not go on
    std::chrono::milliseconds elapsed{0};
    bool testCase = false;  // an expect, or a send that failed: a test case of its own
    std::string subject;    // what a failure is named by in the summary (a variable), if anything
    bool error = false;     // the run could not go on (no port, no model, stopped): no step of the script
    // Where to look in a log: when the row that decided an expect arrived, otherwise when the
    // step ended.
    std::chrono::system_clock::time_point at{};
};

// The outcomes of a test run as they come, handed on to its listeners (the step lines, the JUnit
// report) and then forgotten: a soak of a billion steps keeps only its counts and the subjects
// that failed, so memory stays flat however long it runs.
class CTestReport {
public:
    struct Listener {
        std::function<void(const std::string& suite)> suiteBegun;
        std::function<void(const StepOutcome&)> step;
    };
    using Printer = std::function<void(const StepOutcome&)>;

    explicit CTestReport(Printer printer = {});

    void Listen(Listener listener) { m_listeners.push_back(std::move(listener)); }
    void BeginSuite(std::string name);
    void Add(StepOutcome outcome);
    // The run cannot go on, for this reason: an error of the current suite, or of a suite named
    // `suite` when none has begun.
    void AddError(const std::string& suite, std::string reason);

    std::size_t Passed() const { return m_passed; }
    std::size_t Failed() const { return m_failed; }
    std::size_t Errors() const { return m_errors; }
    // The subjects of failed steps, each once, in the order they failed.
    const std::vector<std::string>& FailedSubjects() const { return m_failedSubjects; }

private:
    std::vector<Listener> m_listeners;
    bool m_inSuite = false;
    std::string m_suite;
    std::size_t m_passed = 0;
    std::size_t m_failed = 0;
    std::size_t m_errors = 0;
    std::vector<std::string> m_failedSubjects;
};

// "FILE:LINE (ROUND)", outside text escaped.
std::string StepLocation(const StepOutcome& outcome);
// "ok<TAB>FILE:LINE<TAB>STEP<TAB>ARRIVED<TAB>N ms", outside text escaped.
std::string FormatStepLine(const StepOutcome& outcome);
// "N passed, N failed", and on a second line the failed subjects, if any.
std::string FormatSummary(const CTestReport& report);
