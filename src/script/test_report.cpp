#include "script/test_report.h"

#include "log/printable_text.h"

#include <algorithm>

CTestReport::CTestReport(Printer printer)
{
    if (printer)
        Listen({{}, std::move(printer)});
}

void CTestReport::BeginSuite(std::string name)
{
    m_inSuite = true;
    m_suite = std::move(name);
    for (const Listener& listener : m_listeners)
        if (listener.suiteBegun)
            listener.suiteBegun(m_suite);
}

void CTestReport::Add(StepOutcome outcome)
{
    if (!m_inSuite)
        BeginSuite(outcome.file);
    if (outcome.error)
        ++m_errors;
    else
        ++(outcome.passed ? m_passed : m_failed);
    if (!outcome.passed && !outcome.error && !outcome.subject.empty()
        && std::ranges::find(m_failedSubjects, outcome.subject) == m_failedSubjects.end())
        m_failedSubjects.push_back(outcome.subject);
    for (const Listener& listener : m_listeners)
        if (listener.step)
            listener.step(outcome);
}

void CTestReport::AddError(const std::string& suite, std::string reason)
{
    if (!m_inSuite)
        BeginSuite(suite);
    StepOutcome outcome;
    outcome.file = m_suite;
    outcome.step = "the run";
    outcome.arrived = std::move(reason);
    outcome.testCase = true;
    outcome.error = true;
    Add(std::move(outcome));
}

std::string StepLocation(const StepOutcome& outcome)
{
    std::string text = PrintableText(outcome.file);
    if (outcome.line > 0)
        text += ":" + std::to_string(outcome.line);
    if (!outcome.iteration.empty())
        text += " (" + outcome.iteration + ")";
    return text;
}

std::string FormatStepLine(const StepOutcome& outcome)
{
    return std::string(outcome.passed ? "ok" : "FAIL") + '\t' + StepLocation(outcome) + '\t' + PrintableText(outcome.step)
        + '\t' + PrintableText(outcome.arrived) + '\t' + std::to_string(outcome.elapsed.count()) + " ms";
}

std::string FormatSummary(const CTestReport& report)
{
    std::string text = std::to_string(report.Passed()) + " passed, " + std::to_string(report.Failed()) + " failed";
    const std::vector<std::string>& subjects = report.FailedSubjects();
    if (!subjects.empty()) {
        text += "\nfailed:";
        for (const std::string& subject : subjects)
            text += (subject == subjects.front() ? " " : ", ") + PrintableText(subject);
    }
    return text;
}
