#include "script/junit_report.h"

#include "log/printable_text.h"
#include "log/session_files.h"

#include <cerrno>
#include <cstdio>
#include <vector>

namespace {

// Text inside XML, which is UTF-8 as every file we write: markup characters as entities, control
// characters and bytes that are not UTF-8 as \xNN, which XML 1.0 could not hold or a reader
// would refuse.
std::string XmlText(const std::string& text)
{
    std::string out;
    for (const char c : PrintableText(text)) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        default: out += c;
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

constexpr std::size_t kCopyBlock = 64 * 1024;

} // namespace

CJUnitReport::~CJUnitReport()
{
    Discard();
}

bool CJUnitReport::Open(const std::string& path, std::string& error)
{
    m_path = path;
    m_report = CreateBeside(path, m_partial, m_failure);
    if (m_report < 0 || !Write(m_report, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuites>\n")) {
        error = ErrorText(m_failure);
        Discard();
        return false;
    }
    return true;
}

void CJUnitReport::Follow(CTestReport& report)
{
    report.Listen({[this](const std::string& suite) { BeginSuite(suite); },
                   [this](const StepOutcome& step) { Add(step); }});
}

bool CJUnitReport::Write(int fd, const std::string& text)
{
    return m_failure == 0 && WriteAllBytes(fd, text, m_failure);
}

void CJUnitReport::BeginSuite(const std::string& name)
{
    if (!IsOpen() || !EndSuite())
        return;
    // The scratch file takes a fresh name each time: a name made beside the report, then opened
    // to be read back.
    const int made = CreateBeside(m_path, m_spoolPath, m_failure);
    if (made < 0)
        return;
    CloseFile(made);
    m_spool = OpenForAppend(m_spoolPath, false, true, m_failure);
    m_inSuite = m_spool >= 0;
    m_suite = name;
    m_tests = m_failures = m_errors = 0;
    m_time = {};
}

void CJUnitReport::Add(const StepOutcome& step)
{
    if (!IsOpen())
        return;
    if (!m_inSuite)
        BeginSuite(step.file);
    if (!m_inSuite)
        return;
    m_time += step.elapsed;
    if (!step.testCase)
        return;
    ++m_tests;
    std::string xml = "    <testcase classname=\"" + XmlText(m_suite) + "\" name=\""
        + XmlText(StepLocation(step) + " " + step.step) + "\" time=\"" + Seconds(step.elapsed) + "\"";
    if (step.passed) {
        xml += "/>\n";
    } else {
        const char* kind = step.error ? "error" : "failure";
        ++(step.error ? m_errors : m_failures);
        xml += ">\n      <" + std::string(kind) + " message=\"" + XmlText(step.arrived) + "\">"
            + XmlText(step.step + ": " + step.arrived) + "</" + kind + ">\n    </testcase>\n";
    }
    Write(m_spool, xml);
}

bool CJUnitReport::EndSuite()
{
    if (!m_inSuite)
        return m_failure == 0;
    m_inSuite = false;
    Write(m_report, "  <testsuite name=\"" + XmlText(m_suite) + "\" tests=\"" + std::to_string(m_tests)
                        + "\" failures=\"" + std::to_string(m_failures) + "\" errors=\"" + std::to_string(m_errors)
                        + "\" time=\"" + Seconds(m_time) + "\">\n");
    std::vector<char> block(kCopyBlock);
    for (long long offset = 0; m_failure == 0;) {
        const long long n = ReadAt(m_spool, block.data(), block.size(), offset, m_failure);
        if (n <= 0)
            break;
        Write(m_report, std::string(block.data(), static_cast<std::size_t>(n)));
        offset += n;
    }
    CloseFile(m_spool);
    m_spool = -1;
    RemoveFile(m_spoolPath);
    m_spoolPath.clear();
    return Write(m_report, "  </testsuite>\n");
}

bool CJUnitReport::Finish(std::string& error)
{
    if (!IsOpen()) {
        error = ErrorText(m_failure);
        return false;
    }
    EndSuite();
    Write(m_report, "</testsuites>\n");
    if (!CloseFile(m_report) && m_failure == 0)
        m_failure = errno;
    m_report = -1;
    if (m_failure == 0 && MoveIntoPlace(m_partial, m_path, m_failure)) {
        m_partial.clear();
        return true;
    }
    error = ErrorText(m_failure);
    Discard();
    return false;
}

void CJUnitReport::Discard()
{
    if (m_spool >= 0)
        CloseFile(m_spool);
    if (!m_spoolPath.empty())
        RemoveFile(m_spoolPath);
    if (m_report >= 0)
        CloseFile(m_report);
    if (!m_partial.empty())
        RemoveFile(m_partial);
    m_spool = m_report = -1;
    m_spoolPath.clear();
    m_partial.clear();
}
