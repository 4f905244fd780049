#include "stop_flag.h"
#include "stop_pipe.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>

namespace {

using Clock = StopPipe::Clock;

// Each case runs in a child of its own: a stop request is for the whole process, for good.
bool WokenWithin10s(const StopPipe& pipe)
{
    return pipe.Take(Clock::now() + std::chrono::seconds(10)) == "S";
}

} // namespace

// A signal both sets the flag that stepwise work checks and wakes the pipe a waiting command
// sleeps on, whichever of the two caught it first.
TEST(StopRequests, ASignalSetsTheFlagAndWakesThePipe)
{
    EXPECT_EXIT(
        {
            const std::atomic<bool>& flag = CatchStopRequests();
            StopPipe pipe;
            pipe.CatchStopSignals();
            std::raise(SIGTERM);
            std::_Exit(flag && WokenWithin10s(pipe) ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EXIT(
        {
            StopPipe pipe;
            pipe.CatchStopSignals();
            const std::atomic<bool>& flag = CatchStopRequests();
            std::raise(SIGHUP);
            std::_Exit(flag && WokenWithin10s(pipe) ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

// A request made before the pipe waits (Ctrl+C during start-up) is not lost: the pipe is woken
// as soon as it starts catching.
TEST(StopRequests, AnEarlierRequestWakesThePipeAtOnce)
{
    EXPECT_EXIT(
        {
            CatchStopRequests();
            std::raise(SIGINT);
            StopPipe pipe;
            pipe.CatchStopSignals();
            std::_Exit(WokenWithin10s(pipe) ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}
