#include "test_output.h"

#include "log/printable_text.h"
#include "log/session_writer.h"
#include "script/device_session.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string_view>

#include <unistd.h>

namespace {

std::atomic<bool> g_stopTests{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

extern "C" void StopTests(int)
{
    g_stopTests = true;
}

bool WriteFile(const std::string& path, const std::string& text, std::string& error)
{
    // Written beside the target and renamed over it, so a failed write leaves any older report whole.
    const std::string partial = path + ".partial-" + std::to_string(getpid());
    std::FILE* file = std::fopen(partial.c_str(), "wx");
    if (!file) {
        error = std::strerror(errno);
        return false;
    }
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    const int savedErrno = errno;
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed || std::rename(partial.c_str(), path.c_str()) != 0) {
        error = std::strerror(!written ? savedErrno : errno);
        std::remove(partial.c_str());
        return false;
    }
    return true;
}

// An earlier report is replaced; any other file is not ours to overwrite.
bool IsJUnitReport(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file)
        return false;
    char head[128] = {};
    const std::size_t n = std::fread(head, 1, sizeof head - 1, file);
    std::fclose(file);
    return std::string_view(head, n).find("<testsuites>") != std::string_view::npos;
}

} // namespace

bool TestOutput::Print(const std::string& text)
{
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0)
        m_writeFailed = true;
    return !m_writeFailed;
}

CTestReport::Printer TestOutput::Printer()
{
    return [this](const StepOutcome& outcome) { Print(FormatStepLine(outcome) + '\n'); };
}

int TestOutput::Finish(const CTestReport& report, const std::string& junitPath)
{
    int status = report.Failed() == 0 ? 0 : 1;
    if (g_stopTests) {
        std::fprintf(stderr, "vantrolix-cli: stopped before the end\n");
        status = 1;
    }
    Print(FormatSummary(report) + '\n');
    if (m_writeFailed) {
        std::fprintf(stderr, "vantrolix-cli: the report could not be written to standard output\n");
        status = 1;
    }
    std::string error;
    if (!junitPath.empty() && !WriteFile(junitPath, JUnitXml(report), error)) {
        std::fprintf(stderr, "vantrolix-cli: cannot write %s: %s\n", PrintableText(junitPath).c_str(), error.c_str());
        status = 1;
    }
    return status;
}

bool TestOutput::CheckReportPath(const std::string& path, std::string& error)
{
    if (path.empty())
        return true;
    namespace fs = std::filesystem;
    std::error_code ec;
    const fs::path target(path);
    if (fs::is_directory(target, ec)) {
        error = PrintableText(path) + " is a directory";
        return false;
    }
    if (fs::exists(target, ec) && !IsJUnitReport(path)) {
        error = PrintableText(path) + " exists and is not a JUnit report; it is left as it is";
        return false;
    }
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    if (!fs::is_directory(folder, ec) || access(folder.c_str(), W_OK) != 0) {
        error = "cannot write a report in " + PrintableText(folder.string()) + ": no such folder, or no permission";
        return false;
    }
    return true;
}

bool TestOutput::StartRecording(const std::string& path, SessionWriter& recorder, CDeviceSession& session)
{
    if (path.empty())
        return true;
    std::string error;
    if (!recorder.Open(path, SessionWriter::OpenMode::CreateOrAppend, error)) {
        std::fprintf(stderr, "vantrolix-cli: cannot record the session in %s: %s\n", PrintableText(path).c_str(),
                     PrintableText(error).c_str());
        return false;
    }
    session.RecordTo(recorder);
    return true;
}

int TestOutput::EndRecording(SessionWriter& recorder, int status)
{
    if (!recorder.IsOpen())
        return status;
    recorder.Close();
    if (recorder.Error().empty())
        return status;
    std::fprintf(stderr, "vantrolix-cli: the session record in %s is incomplete: %s\n",
                 PrintableText(recorder.Path()).c_str(), PrintableText(recorder.Error()).c_str());
    return 1;
}

const std::atomic<bool>& TestOutput::CatchStop()
{
    struct sigaction action {};
    action.sa_handler = StopTests;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    // A closed pipe on standard output then shows as a failed write, reported, not a silent death.
    std::signal(SIGPIPE, SIG_IGN);
    return g_stopTests;
}
