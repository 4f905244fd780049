#include "test_output.h"
#include "console_output.h"

#include "stop_flag.h"

#include "log/session_files.h"
#include "log/session_writer.h"
#include "script/device_session.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <string_view>

namespace {

bool WriteFile(const std::string& path, const std::string& text, std::string& error)
{
    // Written beside the target and put in its place, so a failed write leaves any older report whole.
    std::string partial;
    int failure = 0;
    const int fd = CreateBeside(path, partial, failure);
    if (fd < 0) {
        error = ErrorText(failure);
        return false;
    }
    const bool written = WriteAllBytes(fd, text, failure);
    if (!CloseFile(fd) && written)
        failure = errno;
    if (failure != 0 || !MoveIntoPlace(partial, path, failure)) {
        error = ErrorText(failure);
        RemoveFile(partial);
        return false;
    }
    return true;
}

// Whether a file can be made in `folder`, found by making one: permission bits and access lists
// alike are answered by the system that enforces them.
bool CanWriteIn(const std::filesystem::path& folder)
{
    std::string probe;
    int error = 0;
    const int fd = CreateBeside((folder / ".vantrolix-report").string(), probe, error);
    if (fd < 0)
        return false;
    CloseFile(fd);
    RemoveFile(probe);
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
    if (CatchStopRequests()) {
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

namespace {

// False, with the reason, when the JUnit file could not be written where it is asked for.
bool CheckReportPath(const std::string& path, std::string& error)
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
    if (!fs::is_directory(folder, ec) || !CanWriteIn(folder)) {
        error = "cannot write a report in " + folder.string() + ": no such folder, or no permission";
        return false;
    }
    return true;
}

bool StartRecording(const std::string& path, SessionWriter& recorder, CDeviceSession& session)
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

} // namespace

int TestOutput::Prepare(const std::string& junitPath, const std::string& logPath, const std::string& port,
                        SessionWriter& recorder, CDeviceSession& session)
{
    std::string error;
    if (!CheckReportPath(junitPath, error)) {
        PrintError(error);
        return 2;
    }
    if (!StartRecording(logPath, recorder, session))
        return 2;
    if (!session.Open(port, error)) {
        PrintError(error);
        return 1;
    }
    return 0;
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
    return CatchStopRequests();
}
