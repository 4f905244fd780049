#include "log/session_files.h"
#include "catalogue/radio_text.h"
#include "log/session_format.h"
#include "log/session_reader.h"
#include "log/session_writer.h"
#include "serial/line_errors.h"

#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#endif

namespace fs = std::filesystem;
using std::chrono::system_clock;

namespace {

struct ReadBack {
    std::vector<SessionRow> rows;
    std::vector<SessionProblem> problems;
};

ReadBack Read(const std::string& text)
{
    ReadBack result;
    std::istringstream in(text);
    EXPECT_TRUE(ReadSession(in, {[&](SessionRow&& row) { result.rows.push_back(std::move(row)); },
                                 [&](SessionProblem&& problem) { result.problems.push_back(std::move(problem)); }}));
    return result;
}

std::string Slurp(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

using SessionFile = TempFolderTest;

// Every kind of row the window and the monitor record, with device text that needs escaping.
std::vector<SessionRow> EveryKind()
{
    CRadioText radioText;
    const auto when = system_clock::now();
    const CountedBytes frame{1, 20, 24, 94, 65, 2, 230};
    const CountedBytes payload{20, 24, 1};
    std::vector<SessionRow> rows{
        ReceivedRow(when, MakePacketRow(when, frame, &payload, false, radioText)),
        ReceivedRow(when, MakePacketRow(when, frame, nullptr, true, radioText)),
        ReceivedRow(when, MakePacketRow(when, CountedBytes{65}, nullptr, false, radioText)),
        ReceivedRow(when, MakeLineErrorRow(when, CE_FRAME)),
        SentRow(when, "1, 20, 20, 2, 215", "20, 20", "Query Device ID"),
        SentRow(when, "1, 20, 20, 2, 215", "RS232 Transmit Error", "Query Device ID"),
        PortRow(when, PortEventKind::Opened, "/dev/pts/3"),
        PortRow(when, PortEventKind::CouldNotOpen, "COM1", "no such port"),
        PortRow(when, PortEventKind::DeviceGone, "ttyUSB0"),
        PortRow(when, PortEventKind::Reopened, "ttyUSB0"),
        PortRow(when, PortEventKind::Closed, "ttyUSB0"),
    };
    // Device text as the log shows it: control bytes already escaped.
    rows.push_back(ReceivedRow(when, {"", "1, 2", "3", "Radio Text = \"A\\x09B\\x0aC\" \\ backslash, \"quoted\""}));
    return rows;
}

} // namespace

TEST(SessionTime, IsoTextRoundTripsWithItsOffset)
{
    for (const int offset : {0, 60, -300, 330, -570, 14 * 60}) {
        const RowTime time{1'796'645'096'123, offset};
        const std::string text = FormatIsoTime(time);
        ASSERT_EQ(text.size(), 29u) << text;
        EXPECT_EQ(ParseIsoTime(text), time) << text;
    }
    // 2026-12-07 12:04:56.123 UTC seen from +01:00.
    const RowTime paris{1'796'645'096'123, 60};
    EXPECT_EQ(FormatIsoTime(paris), "2026-12-07T13:04:56.123+01:00");
    EXPECT_EQ(FormatClockTime(paris, false), "13:04:56");
    EXPECT_EQ(FormatClockTime(paris, true), "13:04:56.123");
    // Midnight crossing: the local date is the day before UTC's.
    EXPECT_EQ(FormatIsoTime({1'796'601'600'007, -60}), "2026-12-06T23:00:00.007-01:00");

    for (const char* bad : {"", "2026-12-07T13:04:56+01:00", "2026-12-07 13:04:56.123+01:00",
                            "2026-02-30T13:04:56.123+01:00", "2026-12-07T24:00:00.000+00:00",
                            "2026-12-07T13:04:56.123+01:00x", "2026-12-07T13:04:5a.123+01:00",
                            "2026-12-07T13:04:56.123Z00:00"})
        EXPECT_FALSE(ParseIsoTime(bad)) << bad;
}

namespace {

void SetTimeZone(const char* zone)
{
#ifdef _WIN32
    _putenv_s("TZ", zone ? zone : "");
    _tzset();
#else
    if (zone)
        ::setenv("TZ", zone, 1);
    else
        ::unsetenv("TZ");
    ::tzset();
#endif
}

} // namespace

// Each platform finds the local offset its own way (Windows' struct tm has no offset field).
TEST(SessionTime, LocalTimeCarriesTheZonesOffsetEastAndWest)
{
    const char* saved = std::getenv("TZ");
    const std::string restore = saved ? saved : "";
    // 2026-12-07 12:04:56 UTC; the zone names are TZ's own, west of Greenwich counting positive.
    const auto when = system_clock::time_point(std::chrono::seconds(1'796'645'096));
    SetTimeZone("IST-5:30");
    const RowTime east = RowTime::Local(when);
    SetTimeZone("NST3:30");
    // One second on: the offset of the second last asked for is kept.
    const RowTime west = RowTime::Local(when + std::chrono::seconds(1));
    SetTimeZone(saved ? restore.c_str() : nullptr);
    EXPECT_EQ(east.offsetMinutes, 330);
    EXPECT_EQ(FormatIsoTime(east), "2026-12-07T17:34:56.000+05:30");
    EXPECT_EQ(west.offsetMinutes, -210);
    EXPECT_EQ(FormatClockTime(west, false), "08:34:57");
}

TEST(SessionFormat, EveryRowKindRoundTripsOnOneLineOfFiveFields)
{
    std::string text(kSessionTitles);
    text += '\n';
    const std::vector<SessionRow> rows = EveryKind();
    for (const SessionRow& row : rows)
        AppendSessionLine(text, row);
    const ReadBack back = Read(text);
    EXPECT_TRUE(back.problems.empty()) << back.problems.front().Text();
    EXPECT_EQ(back.rows, rows);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), static_cast<long>(rows.size() + 1));
    EXPECT_NE(text.find("\treceived\t1, 20, 24, 94, 65, 2, 230\t20, 24, 1\tValue Mute = On\n"), std::string::npos);
    EXPECT_NE(text.find("\tport\tCould not open port: COM1\tno such port\t\n"), std::string::npos);
}

TEST(SessionFormat, RawControlBytesInAnyFieldAreEscapedNotSplit)
{
    // A port name or a row built elsewhere may hold a tab or line feed; the file must not break.
    const auto when = system_clock::now();
    SessionRow row = PortRow(when, PortEventKind::Opened, "/tmp/odd\tname\n");
    row.description = "a\tb\r\nc";
    std::string text;
    AppendSessionLine(text, row);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\t'), 4);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1);
    const auto parsed = ParseSessionLine(std::string_view(text).substr(0, text.size() - 1));
    ASSERT_TRUE(std::holds_alternative<SessionRow>(parsed));
    EXPECT_EQ(std::get<SessionRow>(parsed).encoded, "Port opened: /tmp/odd\\x09name\\x0a");
    EXPECT_EQ(std::get<SessionRow>(parsed).description, "a\\x09b\\x0d\\x0ac");
}

TEST(SessionReader, MalformedLinesAreNamedAndTheRestStillLoads)
{
    std::string good;
    AppendSessionLine(good, EveryKind().front());
    const std::string text = std::string(kSessionTitles) + "\r\n" + good
        + "2026-12-07T13:04:56.123+01:00\treceived\tonly three\n"      // line 3
        + "2026-12-07T13:04:56.123+01:00\tsideways\ta\tb\tc\n"         // line 4
        + "yesterday\treceived\ta\tb\tc\n"                             // line 5
        + "2026-12-07T13:04:56.123+01:00\tsent\ta\tb\tc\td\n"          // line 6
        + "\n"                                                          // blank: skipped
        + good;
    const ReadBack back = Read(text + "2026-12-07T13:04:56.123+01:00\treceived\t\x1b[2J\t\t\n");
    ASSERT_EQ(back.rows.size(), 3u);
    // A control byte put in by hand is shown escaped, never passed on to a terminal.
    EXPECT_EQ(back.rows[2].encoded, "\\x1b[2J");
    ASSERT_EQ(back.problems.size(), 4u);
    EXPECT_FALSE(back.problems[0].cutShort);
    EXPECT_EQ(back.problems[0].line, 3u);
    EXPECT_EQ(back.problems[0].Text(), "line 3: only 3 of the five tab-separated fields");
    EXPECT_EQ(back.problems[1].line, 4u);
    EXPECT_NE(back.problems[1].reason.find("sideways"), std::string::npos);
    EXPECT_EQ(back.problems[2].line, 5u);
    EXPECT_NE(back.problems[2].reason.find("yesterday"), std::string::npos);
    EXPECT_EQ(back.problems[3].line, 6u);
}

TEST(SessionReader, ALastLineCutShortAndAMissingTitleAreReported)
{
    std::string text(kSessionTitles);
    text += '\n';
    AppendSessionLine(text, EveryKind().front());
    AppendSessionLine(text, EveryKind()[4]);
    // A crash in the middle of a write leaves part of a line with all five fields still there.
    text.resize(text.size() - 5);
    ReadBack back = Read(text);
    ASSERT_EQ(back.rows.size(), 1u);
    ASSERT_EQ(back.problems.size(), 1u);
    EXPECT_EQ(back.problems[0].line, 3u);
    EXPECT_NE(back.problems[0].reason.find("cut short"), std::string::npos);
    EXPECT_TRUE(back.problems[0].cutShort);

    // Without its titles a file is no session, whatever follows: nothing of it is read as rows.
    for (const std::string& other : {text.substr(kSessionTitles.size() + 1), std::string("hello\nworld\n"),
                                     std::string("plain text without a line feed"), std::string(5000, '\0'),
                                     std::string(kSessionTitles) + "\tExtra\n", std::string(kSessionTitles)}) {
        back = Read(other);
        EXPECT_TRUE(back.rows.empty());
        ASSERT_EQ(back.problems.size(), 1u);
        EXPECT_TRUE(back.problems[0].notASession);
        EXPECT_FALSE(back.problems[0].cutShort);
        EXPECT_EQ(back.problems[0].Text(), "not a session file: its first line is not the column titles");
    }
    // An empty file claims nothing.
    back = Read("");
    EXPECT_TRUE(back.rows.empty());
    EXPECT_TRUE(back.problems.empty());
}

namespace {

// A file of zero bytes as long as a sparse file can be; counts what is taken from it.
class EndlessZeros : public std::streambuf {
public:
    std::uint64_t taken = 0;

protected:
    int_type underflow() override
    {
        if (m_given >= kSize)
            return traits_type::eof();
        setg(m_block, m_block, m_block + sizeof m_block);
        m_given += sizeof m_block;
        taken += sizeof m_block;
        return 0;
    }

private:
    static constexpr std::uint64_t kSize = std::uint64_t{2} << 30;
    char m_block[4096] = {};
    std::uint64_t m_given = 0;
};

} // namespace

TEST(SessionReader, AFileOfZerosIsRefusedAtItsStart)
{
    EndlessZeros zeros;
    std::istream in(&zeros);
    std::vector<SessionProblem> problems;
    EXPECT_TRUE(ReadSession(in, {[](SessionRow&&) { ADD_FAILURE() << "a row from zeros"; },
                                 [&](SessionProblem&& problem) { problems.push_back(std::move(problem)); }}));
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_TRUE(problems[0].notASession);
    EXPECT_LE(zeros.taken, 4096u);
}

// A recording killed mid-line leaves a short line; a megabyte without a line feed is no row
// and is named as too long, not taken for a recording cut short.
TEST(SessionReader, AnOverlongLastLineIsNamedAsTooLong)
{
    std::string good;
    AppendSessionLine(good, EveryKind().front());
    const ReadBack back = Read(std::string(kSessionTitles) + "\n" + good + std::string(kMaxSessionLine + 1, 'x'));
    EXPECT_EQ(back.rows.size(), 1u);
    ASSERT_EQ(back.problems.size(), 1u);
    EXPECT_EQ(back.problems[0].line, 3u);
    EXPECT_FALSE(back.problems[0].cutShort);
    EXPECT_NE(back.problems[0].reason.find("longer than"), std::string::npos) << back.problems[0].reason;
}

TEST(SessionReader, AnOverlongLineIsSkippedWithoutBeingKept)
{
    std::string good;
    AppendSessionLine(good, EveryKind().front());
    const std::string text = std::string(kSessionTitles) + "\n" + std::string(kMaxSessionLine + 10, 'x') + "\n" + good;
    const ReadBack back = Read(text);
    EXPECT_EQ(back.rows.size(), 1u);
    ASSERT_EQ(back.problems.size(), 1u);
    EXPECT_EQ(back.problems[0].line, 2u);
}

namespace {

// A source that hands over its text a few bytes at a time, as a pipe or a terminal may, and
// says nothing of what it holds ahead: whatever the reader takes in blocks must come out the same.
class Trickle : public std::streambuf {
public:
    explicit Trickle(std::string text) : m_text(std::move(text)) {}

protected:
    int_type underflow() override
    {
        if (m_at >= m_text.size())
            return traits_type::eof();
        // 1 to 13 bytes at a time, varying, so pieces end everywhere in a line.
        const std::size_t n = std::min<std::size_t>(1 + (m_step++ * 7) % 13, m_text.size() - m_at);
        char* start = m_text.data() + m_at;
        setg(start, start, start + n);
        m_at += n;
        return traits_type::to_int_type(*start);
    }

private:
    std::string m_text;
    std::size_t m_at = 0;
    std::size_t m_step = 0;
};

} // namespace

// Lines are split in blocks: a line across a block's end, CR LF split between two reads, an
// overlong line spread over many blocks, and a last line cut short read the same from a source
// that trickles as from one that holds everything.
TEST(SessionReader, LinesReadTheSameWhereverTheSourcesPiecesEnd)
{
    std::string text(kSessionTitles);
    text += "\r\n";
    const std::vector<SessionRow> kinds = EveryKind();
    // Enough rows that the 64 KiB blocks end inside lines many times.
    for (int i = 0; i < 3000; ++i) {
        std::string line;
        AppendSessionLine(line, kinds[static_cast<std::size_t>(i) % kinds.size()]);
        if (i % 7 == 0) {
            line.pop_back();
            line += "\r\n";
        }
        text += line;
        if (i == 1500)
            text += std::string(kMaxSessionLine + 70'000, 'x') + "\n";
    }
    text += "2026-12-07T13:04:56.123+01:00\treceived\tcut";

    const ReadBack whole = Read(text);
    ASSERT_EQ(whole.rows.size(), 3000u);
    ASSERT_EQ(whole.problems.size(), 2u);
    EXPECT_EQ(whole.problems[0].line, 2u + 1501u);
    EXPECT_NE(whole.problems[0].reason.find("longer than"), std::string::npos) << whole.problems[0].reason;
    EXPECT_TRUE(whole.problems[1].cutShort);
    for (std::size_t i = 0; i < whole.rows.size(); ++i)
        ASSERT_EQ(whole.rows[i], kinds[i % kinds.size()]) << "row " << i;

    Trickle trickle(text);
    std::istream in(&trickle);
    ReadBack trickled;
    EXPECT_TRUE(ReadSession(in, {[&](SessionRow&& row) { trickled.rows.push_back(std::move(row)); },
                                 [&](SessionProblem&& problem) { trickled.problems.push_back(std::move(problem)); }}));
    EXPECT_EQ(trickled.rows, whole.rows);
    ASSERT_EQ(trickled.problems.size(), whole.problems.size());
    for (std::size_t i = 0; i < whole.problems.size(); ++i) {
        EXPECT_EQ(trickled.problems[i].line, whole.problems[i].line);
        EXPECT_EQ(trickled.problems[i].reason, whole.problems[i].reason);
    }
}

TEST_F(SessionFile, WriterRoundTripsThroughTheFileAndWritesWithoutBeingAsked)
{
    const fs::path path = m_folder / "run.tsv";
    std::string error;
    {
        SessionWriter writer;
        ASSERT_TRUE(writer.Open(path.string(), SessionWriter::OpenMode::CreateNew, error)) << error;
        const std::vector<SessionRow> rows = EveryKind();
        for (const SessionRow& row : rows)
            writer.Append(row);
        // No Flush: the batch reaches the file on its own, as it must for a program killed later.
        const auto giveUp = std::chrono::steady_clock::now() + 100 * SessionWriter::kBatchInterval;
        while (writer.RowsWritten() < rows.size() && std::chrono::steady_clock::now() < giveUp)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        const std::string text = Slurp(path);
        const ReadBack back = Read(text);
        EXPECT_EQ(back.rows, rows);
        EXPECT_TRUE(back.problems.empty());
        // Lines end alike on every platform; no text mode turned them into CR LF.
        EXPECT_EQ(text.find('\r'), std::string::npos);
        EXPECT_FALSE(writer.Open(path.string(), SessionWriter::OpenMode::CreateNew, error));
    }
    // A new file is never made over an old one.
    SessionWriter again;
    EXPECT_FALSE(again.Open(path.string(), SessionWriter::OpenMode::CreateNew, error));
    EXPECT_NE(error.find("exists"), std::string::npos) << error;
}

TEST_F(SessionFile, AppendingContinuesASessionAndRefusesAnyOtherFile)
{
    const fs::path path = m_folder / "monitor.tsv";
    std::string error;
    const std::vector<SessionRow> rows = EveryKind();
    {
        SessionWriter writer;
        ASSERT_TRUE(writer.Open(path.string(), SessionWriter::OpenMode::CreateOrAppend, error)) << error;
        writer.Append(rows[0]);
        writer.Append(rows[1]);
    }
    // As a killed run leaves it: the last line cut.
    std::string text = Slurp(path);
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text.substr(0, text.size() - 3);
    {
        SessionWriter writer;
        ASSERT_TRUE(writer.Open(path.string(), SessionWriter::OpenMode::CreateOrAppend, error)) << error;
        writer.Append(rows[4]);
        writer.Flush();
        const ReadBack back = Read(Slurp(path));
        ASSERT_EQ(back.rows.size(), 2u);
        EXPECT_EQ(back.rows[1], rows[4]);
        ASSERT_EQ(back.problems.size(), 1u); // the cut line, now no longer the last
        EXPECT_EQ(back.problems[0].line, 3u);
    }

    const fs::path notes = m_folder / "notes.txt";
    std::ofstream(notes, std::ios::binary) << "my notes\n";
    SessionWriter writer;
    EXPECT_FALSE(writer.Open(notes.string(), SessionWriter::OpenMode::CreateOrAppend, error));
    EXPECT_NE(error.find("not a session file"), std::string::npos) << error;
    EXPECT_EQ(Slurp(notes), "my notes\n");

    EXPECT_FALSE(writer.Open((m_folder / "no" / "such" / "x.tsv").string(), SessionWriter::OpenMode::CreateNew, error));
    EXPECT_NE(error.find("No such file"), std::string::npos) << error;
}

// A per-process file-size limit stands in for a full disk; Windows has none to set.
#ifndef _WIN32
TEST_F(SessionFile, AFailedWriteIsReportedOnceAndTheProducerGoesOn)
{
    // A file-size limit makes the disk "full" after a few rows, for this process only.
    rlimit before {};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &before), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    std::atomic<int> reports{0};
    std::string reported;
    SessionWriter writer;
    writer.OnError([&](const std::string& text) {
        reported = text;
        ++reports;
    });
    std::string error;
    ASSERT_TRUE(writer.Open((m_folder / "full.tsv").string(), SessionWriter::OpenMode::CreateNew, error)) << error;
    rlimit small = before;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    for (int round = 0; round < 3; ++round) {
        for (int i = 0; i < 200; ++i)
            writer.Append(EveryKind().front());
        writer.Flush();
    }
    writer.Close();
    ::setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(reports.load(), 1);
    EXPECT_NE(reported.find("full.tsv"), std::string::npos) << reported;
    EXPECT_EQ(writer.Error(), reported);
    EXPECT_LE(fs::file_size(m_folder / "full.tsv"), 4096u);
}
#endif

#ifndef _WIN32
// A file made beside its target (a saved log, a report) is an ordinary file: the mode the umask
// gives, whatever it is; and making it leaves the umask, which every thread shares, as it was.
TEST_F(SessionFile, AFileMadeBesideItsTargetTakesTheUmasksModeAndLeavesTheUmask)
{
    const mode_t before = ::umask(027);
    std::string temporary;
    int error = 0;
    const int fd = CreateBeside((m_folder / "saved.tsv").string(), temporary, error);
    const mode_t during = ::umask(before);
    ASSERT_GE(fd, 0) << std::strerror(error);
    struct stat info {};
    ASSERT_EQ(::fstat(fd, &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(during, 027u);
    EXPECT_TRUE(CloseFile(fd));
    // A second one beside the same target gets a name of its own.
    std::string second;
    const int other = CreateBeside((m_folder / "saved.tsv").string(), second, error);
    ASSERT_GE(other, 0) << std::strerror(error);
    EXPECT_NE(second, temporary);
    EXPECT_TRUE(CloseFile(other));
}
#endif
