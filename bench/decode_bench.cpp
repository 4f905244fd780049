// "vantrolix-cli decode" on long captures: input bytes per second through the block reader, the
// framer and the row printer, on line noise and on a device's packets; and the resident memory
// of the real program at 10 MB and 100 MB of input, which must not grow with the input. Beside
// it, xxd on the same 100 MB of packets, for the ratio.
#include "cli/console_output.h"
#include "cli/decode_stream.h"
#include "cli/frame_row_printer.h"

#include "catalogue/radio_text.h"
#include "protocol/command_packet.h"
#include "simulator/simulated_device.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr std::size_t kMegabyte = 1 << 20;

std::vector<std::uint8_t> RandomBytes(std::size_t size)
{
    std::mt19937 rng(1);
    std::vector<std::uint8_t> bytes(size);
    for (auto& b : bytes)
        b = static_cast<std::uint8_t>(rng());
    return bytes;
}

// What a device floods the line with: Value answers of its variables, and radio text.
std::vector<std::uint8_t> DevicePackets(std::size_t size)
{
    CSimulatedDevice device(4);
    std::vector<std::uint8_t> bytes;
    CCommandPacket packet;
    for (std::size_t i = 0; bytes.size() < size; ++i) {
        packet.SetCommand(i % 8 == 7 ? device.NextRdsPacket() : device.FloodPacket(i));
        const auto encoded = packet.GetEncoded().Bytes();
        bytes.insert(bytes.end(), encoded.begin(), encoded.end());
    }
    bytes.resize(size);
    return bytes;
}

// The capture as a file in memory, read from the start for each run.
int CaptureFile(const std::vector<std::uint8_t>& bytes)
{
    const int fd = memfd_create("capture", MFD_CLOEXEC);
    if (fd < 0 || write(fd, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
        std::abort();
    return fd;
}

// A large capture made a few megabytes at a time, so that this process stays small: a child
// started from it inherits its size as the start of its own peak.
int LargeCaptureFile(std::size_t megabytes, bool packets)
{
    const int fd = memfd_create("capture", MFD_CLOEXEC);
    for (std::size_t done = 0; done < megabytes; done += 2) {
        const auto piece = packets ? DevicePackets(2 * kMegabyte) : RandomBytes(2 * kMegabyte);
        if (fd < 0 || write(fd, piece.data(), piece.size()) != static_cast<ssize_t>(piece.size()))
            std::abort();
    }
    return fd;
}

void Decode(benchmark::State& state, const std::vector<std::uint8_t>& bytes)
{
    const int input = CaptureFile(bytes);
    const int sinkFd = open("/dev/null", O_WRONLY | O_CLOEXEC);
    ConsoleOut out(sinkFd);
    std::string error;
    for (auto _ : state) {
        lseek(input, 0, SEEK_SET);
        // Each pass decodes the capture as a run of its own, radio text from the start.
        FrameRowPrinter printer(out);
        if (!DecodeStream(input, "capture", false, printer, [] { return true; }, error) || !out.Flush())
            state.SkipWithError("decode failed");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
    close(sinkFd);
    close(input);
}

void BM_DecodeRandomBytes(benchmark::State& state)
{
    Decode(state, RandomBytes(8 * kMegabyte));
}
BENCHMARK(BM_DecodeRandomBytes)->Unit(benchmark::kMillisecond);

void BM_DecodeDevicePackets(benchmark::State& state)
{
    Decode(state, DevicePackets(8 * kMegabyte));
}
BENCHMARK(BM_DecodeDevicePackets)->Unit(benchmark::kMillisecond);

// A program started on the capture as standard input, its output to /dev/null: its peak
// resident memory and processor time (the wall time of a shared machine says more about the
// neighbours).
struct ProgramRun {
    bool ok = false;
    long peakKb = 0;
    double cpuSeconds = 0;
};

ProgramRun RunOnCapture(int input, const char* path, const char* argument)
{
    lseek(input, 0, SEEK_SET);
    const pid_t child = fork();
    if (child == 0) {
        dup2(input, STDIN_FILENO);
        const int devNull = open("/dev/null", O_WRONLY);
        dup2(devNull, STDOUT_FILENO);
        execlp(path, path, argument, static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    rusage usage {};
    wait4(child, &status, 0, &usage);
    return {WIFEXITED(status) && WEXITSTATUS(status) == 0, usage.ru_maxrss,
            static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
                + static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6};
}

// The real program decoding a capture of the given size: its peak resident memory, and input
// bytes per second of its own processor time.
void BM_DecodeProgram(benchmark::State& state)
{
    const std::size_t megabytes = static_cast<std::size_t>(state.range(0));
    const int input = LargeCaptureFile(megabytes, state.range(1) != 0);
    long peakKb = 0;
    double cpuSeconds = 0;
    for (auto _ : state) {
        const ProgramRun run = RunOnCapture(input, VANTROLIX_CLI_PATH, "decode");
        if (!run.ok)
            state.SkipWithError("vantrolix-cli decode failed");
        peakKb = std::max(peakKb, run.peakKb);
        cpuSeconds += run.cpuSeconds;
    }
    state.counters["peak_resident_MB"] = static_cast<double>(peakKb) / 1024.0;
    state.counters["MB_per_cpu_s"] = static_cast<double>(megabytes * state.iterations()) / cpuSeconds;
    close(input);
}
BENCHMARK(BM_DecodeProgram)
    ->ArgNames({"MB", "packets"})
    ->Args({10, 0})
    ->Args({100, 0})
    ->Args({10, 1})
    ->Args({100, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

// The peer: xxd hex-dumping the same capture, the plainest tool a user would read it with.
void BM_PeerXxd(benchmark::State& state)
{
    const std::size_t megabytes = static_cast<std::size_t>(state.range(0));
    const int input = LargeCaptureFile(megabytes, true);
    long peakKb = 0;
    double cpuSeconds = 0;
    for (auto _ : state) {
        const ProgramRun run = RunOnCapture(input, "xxd", "-");
        if (!run.ok) {
            state.SkipWithError("xxd failed (is it installed?)");
            break;
        }
        peakKb = std::max(peakKb, run.peakKb);
        cpuSeconds += run.cpuSeconds;
    }
    state.counters["peak_resident_MB"] = static_cast<double>(peakKb) / 1024.0;
    state.counters["MB_per_cpu_s"] = static_cast<double>(megabytes * state.iterations()) / cpuSeconds;
    close(input);
}
BENCHMARK(BM_PeerXxd)->ArgNames({"MB"})->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

} // namespace
