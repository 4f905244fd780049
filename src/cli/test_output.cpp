#include "test_output.h"
#include "console_output.h"

#include "stop_flag.h"

#include "script/device_session.h"

#include <cstdio>
#include <filesystem>
#include <optional>
#include <string_view>

namespace fs = std::filesystem;

namespace {

// An earlier report is replaced; any other file is not ours to overwrite.
bool IsJUnitReport(const fs::path& path)
{
    std::FILE* file = std::fopen(path.string().c_str(), "rb");
    if (!file)
        return false;
    char head[128] = {};
    const std::size_t n = std::fread(head, 1, sizeof head - 1, file);
    std::fclose(file);
    return std::string_view(head, n).find("<testsuites>") != std::string_view::npos;
}

// The file a path names once links are followed, spelled out in full, for telling whether two
// spellings (F, ./F, /abs/F, a link to F) are one file.
fs::path SameFileKey(const std::string& path)
{
    std::error_code ec;
    fs::path key = fs::weakly_canonical(fs::absolute(path, ec), ec);
    return ec ? fs::path(path).lexically_normal() : key;
}

// Where the report goes: the path itself, or the regular file a link leads to (the link stays).
// Nothing, with the reason, when that is no place for a report.
std::optional<fs::path> ReportTarget(const std::string& path, std::string& error)
{
    std::error_code ec;
    fs::path target(path);
    if (fs::is_symlink(fs::symlink_status(target, ec))) {
        target = fs::canonical(target, ec);
        if (ec) {
            error = path + " is a link to nothing that can be read (" + ec.message() + "); name the report itself";
            return std::nullopt;
        }
    }
    const fs::file_status status = fs::status(target, ec);
    if (fs::is_directory(status)) {
        error = path + " is a directory";
        return std::nullopt;
    }
    if (fs::exists(status) && (!fs::is_regular_file(status) || !IsJUnitReport(target))) {
        error = path + " exists and is not a JUnit report; it is left as it is";
        return std::nullopt;
    }
    return target;
}

std::string FolderOf(const fs::path& path)
{
    return path.has_parent_path() ? path.parent_path().string() : std::string(".");
}

} // namespace

TestOutput::TestOutput(std::string junitPath, std::string logPath, std::string errorSuite)
    : m_stop(CatchStopRequests())
    , m_junitPath(std::move(junitPath))
    , m_logPath(std::move(logPath))
    , m_errorSuite(std::move(errorSuite))
{
    m_report.Listen({{}, [this](const StepOutcome& outcome) { Print(outcome); }});
}

TestOutput::~TestOutput() = default;

void TestOutput::Print(const StepOutcome& outcome)
{
    // An error that ends the run is told on standard error where it happens.
    if (outcome.error || m_readerGone)
        return;
    StandardOut().Write(FormatStepLine(outcome) + '\n');
    // Lines go out together while steps follow each other quickly; a wait shows them at once.
    if (std::chrono::steady_clock::now() - m_shown >= kShowWithin)
        Show();
}

void TestOutput::Show()
{
    if (m_readerGone)
        return;
    ConsoleOut& out = StandardOut();
    out.Flush();
    m_shown = std::chrono::steady_clock::now();
    if (out.ReaderGone()) {
        // Nobody reads the steps any more: the device is left alone from here on.
        m_readerGone = true;
        RequestStop();
    }
}

int TestOutput::Prepare(const std::string& port)
{
    m_session = std::make_unique<CDeviceSession>();
    CDeviceSession& session = *m_session;
    if (!m_junitPath.empty() && !m_logPath.empty() && SameFileKey(m_junitPath) == SameFileKey(m_logPath)) {
        PrintError("--junit and --log name the same file (" + m_junitPath
                   + "): the report would overwrite the session record; give each its own");
        return 2;
    }
    if (!m_junitPath.empty()) {
        std::string error;
        const auto target = ReportTarget(m_junitPath, error);
        if (!target) {
            PrintError(error);
            return 2;
        }
        // Starting the report is also the test that a file can be made in its folder; the
        // system that refuses says why (no such folder, no permission, a read-only disk).
        if (!m_junit.Open(target->string(), error)) {
            PrintError("cannot write a report in " + FolderOf(*target) + ": " + error);
            return 2;
        }
        m_junit.Follow(m_report);
    }
    if (!m_logPath.empty()) {
        std::error_code ec;
        const fs::file_status status = fs::status(m_logPath, ec);
        if (fs::exists(status) && !fs::is_regular_file(status) && !fs::is_directory(status)) {
            // Opening a named pipe would wait for a reader; a session record is a file.
            PrintError("cannot record the session in " + m_logPath + ": it is not a regular file");
            return 2;
        }
        std::string error;
        if (!m_recorder.Open(m_logPath, SessionWriter::OpenMode::CreateOrAppend, error)) {
            PrintError("cannot record the session in " + m_logPath + ": " + error);
            return 2;
        }
        session.RecordTo(m_recorder);
    }
    session.Rows().SetIdleHook([this] { Show(); });
    std::string error;
    if (!session.Open(port, error, &m_stop))
        return Abandon(m_stop ? "stopped while opening " + port : error);
    return 0;
}

int TestOutput::Abandon(const std::string& reason)
{
    Show(); // the step lines before the message that ends them
    PrintError(reason);
    m_report.AddError(m_errorSuite, reason);
    WriteReport();
    return 1;
}

bool TestOutput::WriteReport()
{
    if (!m_junit.IsOpen())
        return true;
    std::string error;
    if (m_junit.Finish(error))
        return true;
    PrintError("cannot write " + m_junitPath + ": " + error);
    return false;
}

int TestOutput::Finish()
{
    int status = m_report.Failed() == 0 ? 0 : 1;
    Show();
    if (m_stop) {
        status = 1;
        if (m_readerGone) {
            m_report.AddError(m_errorSuite, "standard output was closed before the end");
        } else {
            PrintError("stopped before the end");
            m_report.AddError(m_errorSuite, "stopped before the end (Ctrl+C or a request to end)");
        }
    }
    ConsoleOut& out = StandardOut();
    if (!m_readerGone)
        out.Write(FormatSummary(m_report) + '\n');
    if (out.Finish() != 0)
        status = 1;
    if (!WriteReport())
        status = 1;
    return status;
}

int TestOutput::EndRecording(int status)
{
    m_session.reset();
    if (!m_recorder.IsOpen())
        return status;
    m_recorder.Close();
    if (m_recorder.Error().empty())
        return status;
    PrintError("the session record in " + m_recorder.Path() + " is incomplete: " + m_recorder.Error());
    return 1;
}
