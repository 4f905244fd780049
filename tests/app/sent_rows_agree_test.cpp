// One command sent and one that could not be, by the window, `monitor` and `run`: each records
// them in its session file, and the rows read the same in every field but the time.
#include "app/vantrolix_dlg_ids.h"
#include "log/session_reader.h"

#include "main_window_fixture.h"

#include <QSettings>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr std::size_t kQueryPacketSize = 5; // 1, 20, 20, 2, 215

std::vector<SessionRow> ReadRows(const std::string& path)
{
    std::vector<SessionRow> rows;
    std::ifstream in(path, std::ios::binary);
    ReadSession(in, {[&](SessionRow&& row) { rows.push_back(std::move(row)); }, [](SessionProblem&&) {}});
    return rows;
}

std::vector<SessionRow> SentRows(const std::string& path)
{
    std::vector<SessionRow> sent;
    for (SessionRow& row : ReadRows(path))
        if (row.direction == RowDirection::Sent)
            sent.push_back(std::move(row));
    return sent;
}

bool HasDeviceGoneRow(const std::string& path)
{
    for (const SessionRow& row : ReadRows(path))
        if (row.direction == RowDirection::Port && row.encoded.starts_with("Device gone: "))
            return true;
    return false;
}

// Waits until the device end has read a whole query packet from the program.
bool DeviceTakesQuery(const CPseudoTerminal& device)
{
    std::size_t got = 0;
    const auto giveUp = std::chrono::steady_clock::now() + 20s;
    std::uint8_t buffer[64];
    while (got < kQueryPacketSize && std::chrono::steady_clock::now() < giveUp) {
        device.WaitInput(20ms);
        got += device.ReadAvailable(buffer);
    }
    return got >= kQueryPacketSize;
}

template <typename Condition>
bool WaitUntil(Condition condition)
{
    const auto giveUp = std::chrono::steady_clock::now() + 20s;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= giveUp)
            return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

// The console tool with the given arguments, its standard input a pipe the test writes to.
struct CliProcess {
    pid_t pid = -1;
    int input = -1;

    explicit CliProcess(std::vector<std::string> args)
    {
        args.insert(args.begin(), VANTROLIX_CLI_PATH);
        std::vector<char*> argv;
        for (std::string& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0)
            return;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[0], STDIN_FILENO);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
        if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
            pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(fds[0]);
        input = fds[1];
    }
    ~CliProcess()
    {
        CloseInput();
        Wait();
    }
    bool Type(const std::string& line) const
    {
        return write(input, line.data(), line.size()) == static_cast<ssize_t>(line.size());
    }
    void CloseInput()
    {
        if (input >= 0)
            close(input);
        input = -1;
    }
    void Wait()
    {
        if (pid > 0)
            waitpid(pid, nullptr, 0);
        pid = -1;
    }
};

class SentRowsAgree : public MainWindowTest {
protected:
    std::string Temp(const std::string& name) const { return settings.filePath(QString::fromStdString(name)).toStdString(); }
};

} // namespace

TEST_F(SentRowsAgree, WindowMonitorAndRunRecordTheSameSentAndFailureRows)
{
    // The window: its start-up Device ID query goes out; the device then vanishes, and Send of
    // the same query fails.
    QSettings(SettingsFile(), QSettings::IniFormat).setValue("Session/Folder", settings.filePath("sessions"));
    Start();
    ASSERT_TRUE(DeviceTakesQuery(device));
    device.Close();
    ASSERT_TRUE(QTest::qWaitFor([&] { return dlg->Port().IsDeviceGone(); }, 20000));
    Edit(IDC_COMMAND_DATA)->setText("20 20");
    dlg->Transmit();
    EXPECT_EQ(messages, QStringList{"RS232 Transmit Error"});
    const std::string windowFile = dlg->SessionFile();
    dlg->reject();
    const std::vector<SessionRow> window = SentRows(windowFile);

    // `monitor`: the same with lines typed on standard input.
    std::string error;
    CPseudoTerminal monitorDevice;
    ASSERT_TRUE(monitorDevice.Create(error)) << error;
    const std::string monitorFile = Temp("monitor.tsv");
    {
        CliProcess monitor({"monitor", "--port", monitorDevice.SlavePath(), "--log", monitorFile});
        ASSERT_GT(monitor.pid, 0);
        ASSERT_TRUE(monitor.Type("20 20\n"));
        ASSERT_TRUE(DeviceTakesQuery(monitorDevice));
        monitorDevice.Close();
        ASSERT_TRUE(WaitUntil([&] { return HasDeviceGoneRow(monitorFile); }));
        ASSERT_TRUE(monitor.Type("20 20\n"));
    }
    const std::vector<SessionRow> monitor = SentRows(monitorFile);

    // `run`: the expect after the first query fails when the device vanishes, and the second
    // query cannot go out.
    CPseudoTerminal runDevice;
    ASSERT_TRUE(runDevice.Create(error)) << error;
    const std::string script = Temp("vanishing.vxs");
    std::ofstream(script) << "send 20 20\nexpect payload 20 20 69 within 60000 ms\nsend 20 20\n";
    const std::string runFile = Temp("run.tsv");
    {
        CliProcess run({"run", script, "--port", runDevice.SlavePath(), "--log", runFile});
        ASSERT_GT(run.pid, 0);
        ASSERT_TRUE(DeviceTakesQuery(runDevice));
        runDevice.Close();
    }
    const std::vector<SessionRow> run = SentRows(runFile);

    ASSERT_EQ(window.size(), 2u);
    EXPECT_EQ(window[0].encoded, "1, 20, 20, 2, 215");
    EXPECT_EQ(window[0].data, "20, 20");
    EXPECT_EQ(window[0].description, "Query Device ID");
    EXPECT_EQ(window[1].encoded, "1, 20, 20, 2, 215");
    EXPECT_EQ(window[1].data, "RS232 Transmit Error");
    EXPECT_EQ(window[1].description, "Query Device ID (0 of 5 bytes sent)");
    for (const auto* other : {&monitor, &run}) {
        ASSERT_EQ(other->size(), 2u);
        for (std::size_t i = 0; i < 2; ++i) {
            SessionRow row = (*other)[i];
            row.time = window[i].time;
            EXPECT_EQ(row, window[i]) << "row " << i << ": " << row.encoded << " | " << row.data << " | " << row.description;
        }
    }
}
