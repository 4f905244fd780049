// The session record under a flood: in the window on the simulated device, and in the real
// program killed with SIGKILL in the middle of one.
#include "app/port_setting.h"
#include "app/vantrolix_dlg.h"
#include "catalogue/model_argument.h"
#include "grid/grid_ctrl.h"
#include "log/session_reader.h"
#include "platform/message_box.h"
#include "simulator/simulator_thread.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <thread>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

struct Recorded {
    std::vector<SessionRow> received;
    std::vector<SessionRow> all;
    std::vector<SessionProblem> problems;
};

Recorded ReadRecording(const fs::path& path)
{
    Recorded result;
    std::ifstream in(path, std::ios::binary);
    ReadSession(in, {[&](SessionRow&& row) {
                         if (row.direction == RowDirection::Received)
                             result.received.push_back(row);
                         result.all.push_back(std::move(row));
                     },
                     [&](SessionProblem&& problem) { result.problems.push_back(std::move(problem)); }});
    return result;
}

pid_t Spawn(std::vector<std::string> args, const std::vector<std::string>& environment)
{
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    std::vector<std::string> env(environment);
    for (char** e = environ; *e; ++e)
        env.emplace_back(*e);
    std::vector<char*> envp;
    for (std::string& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    EXPECT_EQ(posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()), 0);
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

} // namespace

TEST(SessionEndToEnd, AFloodIntoTheWindowIsOnDiskRowForRowWithoutTheFileBeingClosed)
{
    constexpr std::size_t kFlood = 20'000;
    SetMessageBoxHandler([](const std::string& text) { ADD_FAILURE() << text; });
    SimulatorOptions options;
    options.flood = kFlood;
    options.rdsInterval = std::chrono::hours(1);
    CSimulatorThread device(FindModelArgument("Arvane"), options);
    ASSERT_TRUE(device.Started()) << device.Error();
    QTemporaryDir dir;
    const QString config = dir.filePath("vantrolix.conf");
    QSettings(config, QSettings::IniFormat).setValue("Session/Folder", dir.filePath("sessions"));

    CVantrolixDlg dlg(CPortSetting(config), device.PortName());
    dlg.show();
    // The answer to the start-up query, then the flood it set off.
    ASSERT_TRUE(QTest::qWaitFor([&] { return dlg.Grid()->GetRowCount() >= static_cast<int>(kFlood) + 2; }, 60000))
        << dlg.Grid()->GetRowCount();
    dlg.ProcessReceivedRows();
    const std::vector<SessionRow> shown = dlg.Log()->ShownRows();
    const std::string path = dlg.SessionFile();

    // No Flush, no Close: what a SIGKILL now would leave behind.
    Recorded recorded;
    const auto giveUp = std::chrono::steady_clock::now() + 10s;
    do {
        std::this_thread::sleep_for(10ms);
        recorded = ReadRecording(path);
    } while (recorded.received.size() < shown.size() && std::chrono::steady_clock::now() < giveUp);
    EXPECT_TRUE(recorded.problems.empty());
    ASSERT_EQ(recorded.received.size(), shown.size());
    for (std::size_t i = 0; i < shown.size(); ++i)
        ASSERT_EQ(recorded.received[i], shown[i]) << "row " << i;
    dlg.reject();
    SetMessageBoxHandler({});
}

TEST(SessionEndToEnd, TheProgramKilledMidFloodLeavesAnIntactRecording)
{
    QTemporaryDir dir;
    const std::string root = dir.path().toStdString();
    const std::string link = root + "/device";
    const pid_t simulator =
        Spawn({VANTROLIX_CLI_PATH, "simulate", "--model", "Arvane", "--flood", "2000000", "--link", link}, {});
    for (int i = 0; i < 500 && !fs::exists(link); ++i)
        std::this_thread::sleep_for(10ms);
    ASSERT_TRUE(fs::exists(link));
    const pid_t program = Spawn({VANTROLIX_PATH, "--port", link},
                                {"QT_QPA_PLATFORM=offscreen", "XDG_STATE_HOME=" + root + "/state",
                                 "XDG_CONFIG_HOME=" + root + "/config"});

    const fs::path sessions = root + "/state/vantrolix/sessions";
    fs::path file;
    const auto giveUp = std::chrono::steady_clock::now() + 60s;
    while (std::chrono::steady_clock::now() < giveUp) {
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(sessions, ec))
            file = entry.path();
        if (!file.empty() && fs::file_size(file, ec) > 1'000'000)
            break;
        std::this_thread::sleep_for(10ms);
    }
    kill(program, SIGKILL);
    int status = 0;
    waitpid(program, &status, 0);
    kill(simulator, SIGTERM);
    waitpid(simulator, nullptr, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    ASSERT_FALSE(file.empty());

    // Whole batches only: every line a row, but perhaps the last, cut by the kill.
    const Recorded recorded = ReadRecording(file);
    for (const SessionProblem& problem : recorded.problems) {
        EXPECT_TRUE(problem.cutShort) << problem.Text();
        EXPECT_EQ(problem.line, recorded.all.size() + 2);
    }
    ASSERT_GT(recorded.received.size(), 1'000u); // a megabyte of rows: well into the flood
    EXPECT_EQ(recorded.all[0].encoded, "Port opened: " + link);
    EXPECT_EQ(recorded.all[1].encoded, "1, 20, 20, 2, 215");
    for (std::size_t i = 0; i < recorded.received.size(); ++i) {
        ASSERT_NE(recorded.received[i].data, "Invalid Packet!") << i;
        ASSERT_NE(recorded.received[i].data, "Checksum Error!") << i;
    }
}
