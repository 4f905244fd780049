#include "console_output.h"
#include "console_row_sink.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

// A console sink printing to a temporary file, read back whole.
class PrintedSink {
public:
    PrintedSink() : m_file(std::tmpfile()), m_out(fileno(m_file)), m_sink("port", m_out, nullptr) {}
    ~PrintedSink() { std::fclose(m_file); }

    // An RDS RT segment of two characters at a position, as a device sends it.
    void RadioText(std::uint8_t position, char a, char b)
    {
        const CountedBytes payload{28, position, static_cast<std::uint8_t>(a), static_cast<std::uint8_t>(b)};
        m_sink.LogPacket(IRowSink::Clock::now(), CountedBytes{1, 28}, &payload, false);
    }

    std::string LastLine()
    {
        EXPECT_TRUE(m_out.Flush());
        std::rewind(m_file);
        std::string text;
        char block[4096];
        for (std::size_t n; (n = std::fread(block, 1, sizeof block, m_file)) > 0;)
            text.append(block, n);
        text.pop_back();
        return text.substr(text.rfind('\n') + 1);
    }

private:
    std::FILE* m_file;
    ConsoleOut m_out;
    ConsoleRowSink m_sink;
};

} // namespace

// Two ports logged at once (both sides of a watched line, or tests run side by side) build their
// radio texts apart, however their packets interleave.
TEST(ConsoleRowSink, EachSourceKeepsItsOwnRadioText)
{
    PrintedSink first;
    PrintedSink second;
    first.RadioText(0, 'A', 'B');
    second.RadioText(0, 'x', 'y');
    first.RadioText(2, 'C', 'D');
    second.RadioText(2, 'z', '!');
    EXPECT_NE(first.LastLine().find("Full RT: \"ABCD\""), std::string::npos) << first.LastLine();
    EXPECT_NE(second.LastLine().find("Full RT: \"xyz!\""), std::string::npos) << second.LastLine();
}
