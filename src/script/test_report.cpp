#include "script/test_report.h"

#include "log/printable_text.h"

#include <algorithm>
#include <cstdio>

namespace {

std::string Location(const StepOutcome& outcome)
{
    std::string text = PrintableText(outcome.file);
    if (outcome.line > 0)
        text += ":" + std::to_string(outcome.line);
    if (!outcome.iteration.empty())
        text += " (" + outcome.iteration + ")";
    return text;
}

// Text inside XML: markup characters as entities; control and non-ASCII bytes as \xNN, since
// device text carries no encoding that an XML reader could be told of.
std::string XmlText(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        default:
            if (byte < 0x20 || byte >= 0x7F) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
                out += escaped;
            } else {
                out += c;
            }
        }
    }
    return out;
}

std::string Seconds(std::chrono::milliseconds elapsed)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", static_cast<double>(elapsed.count()) / 1000.0);
    return text;
}

} // namespace

void CTestReport::BeginSuite(std::string name)
{
    m_suites.push_back({std::move(name), {}});
}

void CTestReport::Add(StepOutcome outcome)
{
    if (m_suites.empty())
        BeginSuite(outcome.file);
    ++(outcome.passed ? m_passed : m_failed);
    if (m_printer)
        m_printer(outcome);
    m_suites.back().steps.push_back(std::move(outcome));
}

std::vector<std::string> CTestReport::FailedSubjects() const
{
    std::vector<std::string> subjects;
    for (const Suite& suite : m_suites)
        for (const StepOutcome& step : suite.steps)
            if (!step.passed && !step.subject.empty() && std::ranges::find(subjects, step.subject) == subjects.end())
                subjects.push_back(step.subject);
    return subjects;
}

std::string FormatStepLine(const StepOutcome& outcome)
{
    return std::string(outcome.passed ? "ok" : "FAIL") + '\t' + Location(outcome) + '\t' + PrintableText(outcome.step)
        + '\t' + PrintableText(outcome.arrived) + '\t' + std::to_string(outcome.elapsed.count()) + " ms";
}

std::string FormatSummary(const CTestReport& report)
{
    std::string text = std::to_string(report.Passed()) + " passed, " + std::to_string(report.Failed()) + " failed";
    const std::vector<std::string> subjects = report.FailedSubjects();
    if (!subjects.empty()) {
        text += "\nfailed:";
        for (const std::string& subject : subjects)
            text += (subject == subjects.front() ? " " : ", ") + PrintableText(subject);
    }
    return text;
}

std::string JUnitXml(const CTestReport& report)
{
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites>\n";
    for (const CTestReport::Suite& suite : report.Suites()) {
        std::size_t tests = 0;
        std::size_t failures = 0;
        std::chrono::milliseconds time{0};
        for (const StepOutcome& step : suite.steps) {
            time += step.elapsed;
            if (step.testCase) {
                ++tests;
                failures += step.passed ? 0 : 1;
            }
        }
        xml += "  <testsuite name=\"" + XmlText(suite.name) + "\" tests=\"" + std::to_string(tests) + "\" failures=\""
            + std::to_string(failures) + "\" errors=\"0\" time=\"" + Seconds(time) + "\">\n";
        for (const StepOutcome& step : suite.steps) {
            if (!step.testCase)
                continue;
            const std::string name = XmlText(Location(step) + " " + step.step);
            xml += "    <testcase classname=\"" + XmlText(suite.name) + "\" name=\"" + name + "\" time=\""
                + Seconds(step.elapsed) + "\"";
            if (step.passed) {
                xml += "/>\n";
                continue;
            }
            xml += ">\n      <failure message=\"" + XmlText(step.arrived) + "\">" + XmlText(step.step + ": " + step.arrived)
                + "</failure>\n    </testcase>\n";
        }
        xml += "  </testsuite>\n";
    }
    xml += "</testsuites>\n";
    return xml;
}
