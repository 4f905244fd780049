// Scripted round trips: "vantrolix-cli run" sending Query Power Mode and expecting its answer
// 10,000 times against the simulated device, on its pseudo-terminal and through tcp:// (socat
// relaying a loopback port to the same pseudo-terminal); beside it the peer, a pyserial loop doing
// the same (send the query, frame the answer, check its checksum: peer_round_trips.py). Round
// trips per second of wall time, and the processor time of the client alone per round trip (the
// simulator's is the same for both).
#include "support/spawn_quietly.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <string>
#include <thread>

#include <sys/resource.h>
#include <sys/wait.h>

namespace {

constexpr int kRoundTrips = 10'000;
constexpr const char* kTcpPort = "47311";

std::string Temp(const std::string& name)
{
    return (std::filesystem::temp_directory_path() / ("vantrolix-round-trips-" + std::to_string(getpid()) + "-" + name))
        .string();
}

// A background program, ended with SIGTERM when it goes out of scope.
class Background {
public:
    explicit Background(std::vector<std::string> args) : m_pid(SpawnQuietly(std::move(args), true)) {}
    ~Background()
    {
        if (m_pid == 0)
            return;
        kill(m_pid, SIGTERM);
        waitpid(m_pid, nullptr, 0);
    }
    bool Started() const { return m_pid != 0; }

private:
    pid_t m_pid;
};

bool WaitFor(const std::function<bool()>& ready)
{
    for (int i = 0; i < 1000; ++i) {
        if (ready())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

bool Listening()
{
    // /proc/net/tcp: "local_address rem_address st ...", the port in hex, 0A for LISTEN.
    std::ifstream table("/proc/net/tcp");
    char hexPort[8];
    std::snprintf(hexPort, sizeof hexPort, ":%04X", std::stoi(kTcpPort));
    for (std::string line; std::getline(table, line);)
        if (line.find(std::string(hexPort) + " 00000000:0000 0A") != std::string::npos)
            return true;
    return false;
}

// socat relaying one connection on the loopback port to the device, started afresh for each
// client: a relay that outlived its connection would still hold the pseudo-terminal and take the
// next client's answers.
class Relay {
public:
    explicit Relay(const std::string& link)
        : m_pid(SpawnQuietly({"/usr/bin/socat", std::string("TCP-LISTEN:") + kTcpPort + ",bind=127.0.0.1,reuseaddr",
                              "FILE:" + link + ",raw,echo=0"},
                             true))
    {
        ready = m_pid != 0 && WaitFor(Listening);
    }
    ~Relay()
    {
        if (m_pid != 0 && !WaitFor([this] { return waitpid(m_pid, nullptr, WNOHANG) == m_pid; })) {
            kill(m_pid, SIGTERM);
            waitpid(m_pid, nullptr, 0);
        }
    }
    bool ready = false;

private:
    pid_t m_pid;
};

// The simulated device behind its link.
struct Device {
    Device() : link(Temp("sim")), simulator({VANTROLIX_CLI_PATH, "simulate", "--link", link})
    {
        ready = simulator.Started() && WaitFor([this] { return std::filesystem::exists(link); });
    }
    std::string Port(bool tcp) const { return tcp ? std::string("tcp://127.0.0.1:") + kTcpPort : link; }
    std::string PeerPort(bool tcp) const { return tcp ? std::string("socket://127.0.0.1:") + kTcpPort : link; }

    std::string link;
    Background simulator;
    bool ready = false;
};

struct ClientRun {
    bool ok = false;
    double wallSeconds = 0;
    double cpuSeconds = 0;
};

ClientRun RunClient(std::vector<std::string> args)
{
    const auto begun = std::chrono::steady_clock::now();
    const pid_t child = SpawnQuietly(std::move(args));
    int status = 0;
    rusage usage{};
    if (child == 0 || wait4(child, &status, 0, &usage) != child)
        return {};
    const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - begun;
    return {WIFEXITED(status) && WEXITSTATUS(status) == 0, wall.count(),
            static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
                + static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6};
}

void RoundTrips(benchmark::State& state, const std::function<std::vector<std::string>(const Device&, bool)>& command)
{
    const bool tcp = state.range(0) != 0;
    Device device;
    if (!device.ready) {
        state.SkipWithError("the simulator did not start");
        return;
    }
    double wall = 0;
    double cpu = 0;
    for (auto _ : state) {
        std::optional<Relay> relay;
        if (tcp && !relay.emplace(device.link).ready) {
            state.SkipWithError("socat did not start");
            return;
        }
        const ClientRun run = RunClient(command(device, tcp));
        if (!run.ok) {
            state.SkipWithError("the client failed");
            return;
        }
        state.SetIterationTime(run.wallSeconds);
        wall += run.wallSeconds;
        cpu += run.cpuSeconds;
    }
    const double trips = static_cast<double>(kRoundTrips) * static_cast<double>(state.iterations());
    state.counters["round_trips_per_s"] = trips / wall;
    state.counters["cpu_us_per_round_trip"] = cpu * 1e6 / trips;
}

// The script's two steps per round trip go to /dev/null, as a CI log would take them.
void BM_RunRoundTrips(benchmark::State& state)
{
    const std::string script = Temp("round-trips.vxs");
    std::ofstream(script) << "model Arvane\nrepeat " << kRoundTrips
                          << "\nsend query \"Power Mode\"\nexpect /Value Power Mode = .*/\nend\n";
    RoundTrips(state, [&](const Device& device, bool tcp) {
        return std::vector<std::string>{VANTROLIX_CLI_PATH, "run", script, "--port", device.Port(tcp)};
    });
    std::filesystem::remove(script);
}
BENCHMARK(BM_RunRoundTrips)->ArgName("tcp")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

void BM_PeerPyserialRoundTrips(benchmark::State& state)
{
    RoundTrips(state, [](const Device& device, bool tcp) {
        return std::vector<std::string>{"/usr/bin/python3", VANTROLIX_PEER_SCRIPT, device.PeerPort(tcp),
                                        std::to_string(kRoundTrips)};
    });
}
BENCHMARK(BM_PeerPyserialRoundTrips)->ArgName("tcp")->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

} // namespace
