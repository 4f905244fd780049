#include "input_lines.h"
#include "stop_pipe.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#else
#include <unistd.h>
#endif

namespace {

// The writing and reading ends of an anonymous pipe, as standard input is when piped.
struct Pipe {
    Pipe()
    {
#ifdef _WIN32
        ok = _pipe(fds, 64 * 1024, _O_BINARY) == 0;
#else
        ok = pipe(fds) == 0;
#endif
    }
    ~Pipe()
    {
        CloseWriter();
        if (fds[0] >= 0)
            close(fds[0]);
    }
    void Write(const std::string& text) const
    {
        ASSERT_EQ(write(fds[1], text.data(), static_cast<unsigned>(text.size())), static_cast<int>(text.size()));
    }
    void CloseWriter()
    {
        if (fds[1] >= 0)
            close(fds[1]);
        fds[1] = -1;
    }
    int fds[2] = {-1, -1};
    bool ok = false;
};

} // namespace

TEST(InputLines, SplitsLinesCutsLongOnesAndEndsWithTheLastUnfinishedOne)
{
    Pipe input;
    ASSERT_TRUE(input.ok);
    StopPipe wake;
    InputLines lines(input.fds[0], wake, 8);
    input.Write("20 20\r\n0123456789abcdef");
    input.Write("ghij\n\n1 2");
    input.CloseWriter();

    std::string line;
    ASSERT_EQ(lines.Next(line), InputLines::Got::Line);
    EXPECT_EQ(line, "20 20\r"); // the carriage return is blank to the command parser
    EXPECT_FALSE(lines.Cut());
    ASSERT_EQ(lines.Next(line), InputLines::Got::Line);
    EXPECT_EQ(line, "01234567");
    EXPECT_TRUE(lines.Cut());
    ASSERT_EQ(lines.Next(line), InputLines::Got::Line);
    EXPECT_EQ(line, "");
    EXPECT_FALSE(lines.Cut());
    ASSERT_EQ(lines.Next(line), InputLines::Got::Line);
    EXPECT_EQ(line, "1 2");
    EXPECT_EQ(lines.Next(line), InputLines::Got::End);
    EXPECT_EQ(lines.Next(line), InputLines::Got::End);
}

TEST(InputLines, ANoteEndsAWaitForInputThatNeverComes)
{
    Pipe input;
    ASSERT_TRUE(input.ok);
    StopPipe wake;
    InputLines lines(input.fds[0], wake, 64);
    std::thread noter([&wake] { wake.Note('Q'); });
    std::string line;
    EXPECT_EQ(lines.Next(line), InputLines::Got::Woken);
    noter.join();
    // The note stays for whoever takes it.
    EXPECT_EQ(wake.Take(std::nullopt), "Q");
    // A reading thread still waiting for input ends with it, before the descriptor goes.
    input.CloseWriter();
}

TEST(StopPipe, TakesTheNotesInOrderOrNothingAtTheDeadline)
{
    StopPipe notes;
    ASSERT_TRUE(notes.IsOpen());
    EXPECT_EQ(notes.Take(StopPipe::Clock::now()), "");
    notes.Note('E');
    notes.Note('S');
    EXPECT_EQ(notes.Take(StopPipe::Clock::now() + std::chrono::hours(1)), "ES");
    std::thread noter([&notes] { notes.Note('O'); });
    EXPECT_EQ(notes.Take(std::nullopt), "O");
    noter.join();
}
