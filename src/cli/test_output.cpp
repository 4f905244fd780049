#include "test_output.h"
#include "console_output.h"

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

CTestReport::Printer TestOutput::Printer()
{
    return [](const StepOutcome& outcome) {
        ConsoleOut& out = StandardOut();
        out.Write(FormatStepLine(outcome) + '\n');
        out.Flush();
    };
}

int TestOutput::Finish(const CTestReport& report, const std::string& junitPath)
{
    int status = report.Failed() == 0 ? 0 : 1;
    if (g_stopTests) {
        PrintError("stopped before the end");
        status = 1;
    }
    ConsoleOut& out = StandardOut();
    out.Write(FormatSummary(report) + '\n');
    if (out.Finish() != 0)
        status = 1;
    std::string error;
    if (!junitPath.empty() && !WriteFile(junitPath, JUnitXml(report), error)) {
        PrintError("cannot write " + junitPath + ": " + error);
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
        error = path + " is a directory";
        return false;
    }
    if (fs::exists(target, ec) && !IsJUnitReport(path)) {
        error = path + " exists and is not a JUnit report; it is left as it is";
        return false;
    }
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    if (!fs::is_directory(folder, ec) || access(folder.c_str(), W_OK) != 0) {
        error = "cannot write a report in " + folder.string() + ": no such folder, or no permission";
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
        PrintError("cannot record the session in " + path + ": " + error);
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
    PrintError("the session record in " + recorder.Path() + " is incomplete: " + recorder.Error());
    return 1;
}

const std::atomic<bool>& TestOutput::CatchStop()
{
    struct sigaction action {};
    action.sa_handler = StopTests;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
    return g_stopTests;
}
