#include "console_output.h"
#include "frame_row_printer.h"

#include "catalogue/radio_text.h"
#include "log/log_row.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>


namespace {

struct Frame {
    CountedBytes frame;
    CountedBytes payload;
    bool hasPayload;
    bool checksumError;
};

// What the printer wrote through a console output on a temporary file.
std::string Printed(const std::vector<Frame>& frames)
{
    std::FILE* file = std::tmpfile();
    std::string text;
    {
        ConsoleOut out(fileno(file));
        FrameRowPrinter printer(out);
        for (const Frame& f : frames)
            printer.OnFrame(f.frame, f.hasPayload ? &f.payload : nullptr, f.checksumError);
        EXPECT_TRUE(out.Flush());
    }
    std::rewind(file);
    char block[4096];
    for (std::size_t n; (n = std::fread(block, 1, sizeof block, file)) > 0;)
        text.append(block, n);
    std::fclose(file);
    return text;
}

} // namespace

// Rows of frames seen before come from memory; they must read exactly as describing the frame
// again would, and radio text, which builds up over the rows, must still build up.
TEST(RepeatedRows, RepeatedFramesPrintAsDescribedAfresh)
{
    const CountedBytes volume{20, 23, 226};
    const CountedBytes radioA{28, 0, 'N', 'e', 'w', 's'};
    const CountedBytes radioB{28, 1, ' ', 'a', 't', ' '};
    const CountedBytes radioC{28, 0, 'H', 'o', 'l', 'a'};
    const std::vector<Frame> frames = {
        {CountedBytes{1, 20, 23, 226, 2, 9}, volume, true, false},
        {CountedBytes{1, 28, 0, 78, 2, 7}, radioA, true, false},
        {CountedBytes{1, 20, 23, 226, 2, 9}, volume, true, false},
        {CountedBytes{1, 28, 1, 32, 2, 7}, radioB, true, false},
        {CountedBytes{1, 28, 0, 78, 2, 7}, radioA, true, false},
        {CountedBytes{1, 20, 23, 226, 2, 8}, volume, true, true},
        {CountedBytes{1, 20, 23, 226, 2, 8}, volume, true, true},
        {CountedBytes{1, 20, 2}, {}, false, false},
        {CountedBytes{1, 20, 23, 226, 2, 9}, volume, true, false},
        // The same radio text frame again, after another start: the text it completes differs.
        {CountedBytes{1, 28, 0, 72, 2, 7}, radioC, true, false},
        {CountedBytes{1, 28, 1, 32, 2, 7}, radioB, true, false},
    };
    CRadioText radioText;
    std::string expected;
    for (const Frame& f : frames) {
        AppendPacketColumns(expected, f.frame, f.hasPayload ? &f.payload : nullptr, f.checksumError, radioText);
        expected += '\n';
    }
    EXPECT_EQ(Printed(frames), expected);
}
