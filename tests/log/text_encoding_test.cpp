#include "catalogue/radio_text.h"
#include "log/log_row.h"
#include "log/printable_text.h"
#include "log/session_export.h"
#include "log/session_format.h"
#include "log/session_reader.h"
#include "log/session_writer.h"

#include "support/temp_folder.h"
#include "support/utf8_check.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;
using std::chrono::system_clock;

namespace {

// "ł" and "€" as UTF-8: two and three bytes, the last of "€" (0xAC) and of "ł" (0x82) in the
// range the old escaping took for control or Latin-1 bytes.
const std::string kL = "\xC5\x82";
const std::string kEuro = "\xE2\x82\xAC";

std::string Slurp(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<SessionRow> ReadRows(const std::string& text)
{
    std::vector<SessionRow> rows;
    std::istringstream in(text);
    EXPECT_TRUE(ReadSession(in, {[&](SessionRow&& row) { rows.push_back(std::move(row)); },
                                 [](SessionProblem&& problem) { ADD_FAILURE() << problem.Text(); }}));
    return rows;
}

// A Device ID answer naming itself with every byte value 0x01-0xFF (a zero ends the name), and
// one whose text is that of a Latin-1 device: "Café ÿ".
std::vector<SessionRow> RowsWithEveryByte(const std::string& port)
{
    const auto when = system_clock::now();
    std::vector<std::uint8_t> bytes{20, 20};
    for (int b = 1; b <= 0xFF; ++b)
        bytes.push_back(static_cast<std::uint8_t>(b));
    const CountedBytes all{std::span<const std::uint8_t>(bytes)};
    const CountedBytes cafe{20, 20, 'C', 'a', 'f', 0xE9, ' ', 0xFF};
    const CountedBytes frame{1, 2};
    CRadioText radioText;
    return {PortRow(when, PortEventKind::Opened, port),
            ReceivedRow(when, MakePacketRow(when, frame, &all, false, radioText)),
            ReceivedRow(when, MakePacketRow(when, frame, &cafe, false, radioText)),
            PortRow(when, PortEventKind::CouldNotOpen, port, "no such port: " + port)};
}

using TextEncodingFiles = TempFolderTest;

} // namespace

TEST(TextEncoding, DeviceBytesBecomeLatin1CharactersAndControlsBecomeEscapes)
{
    std::string every;
    for (int b = 0; b <= 0xFF; ++b)
        every += static_cast<char>(b);
    const std::string text = DeviceText(every);
    const auto points = DecodeUtf8(text);
    ASSERT_TRUE(points) << "not UTF-8";
    // Read back: each escape stands for its byte, every other character is the byte's Latin-1 one.
    std::string back;
    for (std::size_t i = 0; i < points->size(); ++i) {
        const char32_t c = (*points)[i];
        ASSERT_LE(c, 0xFFu);
        const bool control = c < 0x20 || (c >= 0x7F && c <= 0x9F);
        ASSERT_FALSE(control) << "raw control U+" << std::hex << static_cast<unsigned>(c);
        if (c == '\\' && i + 3 < points->size() && (*points)[i + 1] == 'x') {
            const std::string hex{static_cast<char>((*points)[i + 2]), static_cast<char>((*points)[i + 3])};
            back += static_cast<char>(std::stoi(hex, nullptr, 16));
            i += 3;
        } else {
            back += static_cast<char>(c);
        }
    }
    EXPECT_EQ(back, every);
    EXPECT_EQ(DeviceText("Caf\xE9 \x85\x9B"), "Caf\xC3\xA9 \\x85\\x9b");
}

TEST(TextEncoding, EscapingKeepsWholeCharactersAndShowsControlsAndBadBytes)
{
    // Names and paths: the letters are kept whole, where byte-wise escaping cut them in half.
    const std::string name = "/dev/ttyUSB" + kL + kEuro + "\xC3\xA9";
    EXPECT_EQ(PrintableText(name), name);
    EXPECT_TRUE(IsPrintableText(name));
    // C0, DEL and the C1 code points are controls however they are written.
    EXPECT_EQ(PrintableText("a\tb\x7F" "c\xC2\x85" "d\xC2\x9B" "e\xC2\xA0"), "a\\x09b\\x7fc\\x85d\\x9be\xC2\xA0");
    // Bytes of no valid sequence: a Latin-1 byte, 0xFF, a cut-short "€", a stray continuation,
    // an overlong "/", a surrogate and a code point past U+10FFFF.
    EXPECT_EQ(PrintableText("\xE9|\xFF|\xE2\x82|\x82|\xC0\xAF|\xED\xA0\x80|\xF4\x90\x80\x80|" + kEuro),
              "\\xe9|\\xff|\\xe2\\x82|\\x82|\\xc0\\xaf|\\xed\\xa0\\x80|\\xf4\\x90\\x80\\x80|" + kEuro);
    EXPECT_FALSE(IsPrintableText("\xE9"));
    EXPECT_FALSE(IsPrintableText("\xC2\x85"));
    // The largest code point and a four-byte letter stay.
    EXPECT_EQ(PrintableText("\xF4\x8F\xBF\xBF\xF0\x9F\x98\x80"), "\xF4\x8F\xBF\xBF\xF0\x9F\x98\x80");
}

TEST(TextEncoding, EveryRowOfEveryByteAndNameWritesValidUtf8AndReadsBackTheSame)
{
    const std::vector<SessionRow> rows = RowsWithEveryByte("/dev/tty" + kL + kEuro + "\xE9\xFF");
    std::string tsv(kSessionTitles);
    tsv += '\n';
    std::string csv(kCsvTitles);
    for (const SessionRow& row : rows) {
        AppendSessionLine(tsv, row);
        AppendCsvLine(csv, row);
    }
    EXPECT_TRUE(IsValidUtf8(tsv)) << tsv;
    EXPECT_TRUE(IsValidUtf8(csv)) << csv;
    EXPECT_EQ(ReadRows(tsv), rows);
    // The letters stay letters, the bytes that are not UTF-8 in the name are escapes.
    EXPECT_NE(tsv.find("Port opened: /dev/tty" + kL + kEuro + "\\xe9\\xff\t"), std::string::npos) << tsv;
    EXPECT_NE(tsv.find("Value Device ID = Caf\xC3\xA9 \xC3\xBF\n"), std::string::npos) << tsv;
}

TEST(TextEncoding, AFileOfTheOldFormShowsItsRawBytesAsEscapes)
{
    // Written before the files were all UTF-8: device text byte for byte (0xE9, 0xA0, 0xFF), and
    // a port name in UTF-8 as it always was.
    const std::string old = std::string(kSessionTitles) + "\n"
        + "2026-12-07T13:04:56.123+01:00\tport\tPort opened: /dev/tty" + kL + "\t\t\n"
        + "2026-12-07T13:04:56.180+01:00\treceived\t1, 2\t20, 20, 67, 233\tValue Device ID = Caf\xE9\xA0\xFF\n";
    const std::vector<SessionRow> rows = ReadRows(old);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].encoded, "Port opened: /dev/tty" + kL);
    EXPECT_EQ(rows[1].description, "Value Device ID = Caf\\xe9\\xa0\\xff");
    // Saved again, it is valid UTF-8 and reads back as it now shows.
    std::string again(kSessionTitles);
    again += '\n';
    for (const SessionRow& row : rows)
        AppendSessionLine(again, row);
    EXPECT_TRUE(IsValidUtf8(again));
    EXPECT_EQ(ReadRows(again), rows);
}

TEST_F(TextEncodingFiles, SessionRecordAndSavedLogAreValidUtf8UnderANonAsciiFolder)
{
    const fs::path folder = m_folder / ("Pomiary " + kL + kEuro);
    fs::create_directories(folder);
    const std::vector<SessionRow> rows = RowsWithEveryByte("COM" + kL);

    std::string error;
    const fs::path recorded = folder / "record.tsv";
    {
        SessionWriter writer;
        ASSERT_TRUE(writer.Open(recorded.string(), SessionWriter::OpenMode::CreateNew, error)) << error;
        for (const SessionRow& row : rows)
            writer.Append(row);
        writer.Close();
        ASSERT_EQ(writer.Error(), "");
    }
    std::vector<const SessionRow*> shown;
    for (const SessionRow& row : rows)
        shown.push_back(&row);
    ASSERT_TRUE(SaveRows((folder / ("saved " + kEuro + ".tsv")).string(), shown, error)) << error;
    ASSERT_TRUE(SaveRows((folder / ("saved " + kEuro + ".csv")).string(), shown, error)) << error;

    for (const char* name : {"record.tsv", "saved \xE2\x82\xAC.tsv", "saved \xE2\x82\xAC.csv"}) {
        const std::string text = Slurp(folder / name);
        EXPECT_GT(text.size(), 300u) << name;
        EXPECT_TRUE(IsValidUtf8(text)) << name;
        EXPECT_NE(text.find("Caf\xC3\xA9"), std::string::npos) << name;
    }
    EXPECT_EQ(ReadRows(Slurp(recorded)), rows);
}
