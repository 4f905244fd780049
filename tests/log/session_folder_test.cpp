#include "log/session_export.h"
#include "log/session_folder.h"
#include "log/session_format.h"

#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

namespace fs = std::filesystem;
using std::chrono::system_clock;

namespace {

class SessionFolder : public TempFolderTest {
protected:
    // A session file of `size` bytes, `age` minutes old.
    fs::path Make(const std::string& name, std::size_t size, int age)
    {
        const fs::path path = m_folder / name;
        std::ofstream(path, std::ios::binary) << std::string(size, 'x');
        fs::last_write_time(path, fs::file_time_type::clock::now() - std::chrono::minutes(age));
        return path;
    }

    std::string Read(const fs::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

};

std::string Name(int n)
{
    return "vantrolix-2026-12-0" + std::to_string(n % 10) + "T10-00-00-ttyS0.tsv";
}

} // namespace

TEST(SessionNames, NamedByStartAndPortAndRecognisedOnlyInThatShape)
{
    const std::string name = SessionFileName(system_clock::now(), "/dev/pts/3");
    EXPECT_TRUE(IsSessionFileName(name)) << name;
    EXPECT_TRUE(name.ends_with("-_dev_pts_3.tsv")) << name;
    EXPECT_TRUE(IsSessionFileName("vantrolix-2026-12-07T13-04-56-COM1-2.tsv"));
    for (const char* other : {"notes.tsv", "vantrolix-2026-12-07T13-04-56.tsv", "vantrolix-2026-12-07 13-04-56-x.tsv",
                              "vantrolix-2026-12-07T13-04-56-COM1.tsv~", "vantrolix-yesterday-at-noon-COM1.tsv"})
        EXPECT_FALSE(IsSessionFileName(other)) << other;
}

#ifdef _WIN32
TEST(SessionNames, TheDefaultFolderIsInLocalAppData)
{
    const wchar_t* saved = _wgetenv(L"LOCALAPPDATA");
    const std::wstring restore = saved ? saved : L"";
    _wputenv_s(L"LOCALAPPDATA", L"C:\\Users\\tester\\AppData\\Local");
    EXPECT_EQ(DefaultSessionFolder(), fs::path(L"C:\\Users\\tester\\AppData\\Local\\Vantrolix\\sessions"));
    // A relative value is not a place to keep sessions in.
    _wputenv_s(L"LOCALAPPDATA", L"relative");
    EXPECT_TRUE(DefaultSessionFolder().is_absolute()) << DefaultSessionFolder();
    _wputenv_s(L"LOCALAPPDATA", restore.c_str());
}
#else
TEST(SessionNames, TheDefaultFolderFollowsXdgStateHome)
{
    const char* saved = std::getenv("XDG_STATE_HOME");
    const std::string restore = saved ? saved : "";
    ::setenv("XDG_STATE_HOME", "/var/tmp/state", 1);
    EXPECT_EQ(DefaultSessionFolder(), fs::path("/var/tmp/state/vantrolix/sessions"));
    // A relative value is to be ignored.
    ::setenv("XDG_STATE_HOME", "relative/state", 1);
    ::setenv("HOME", "/home/tester", 1);
    EXPECT_EQ(DefaultSessionFolder(), fs::path("/home/tester/.local/state/vantrolix/sessions"));
    if (saved)
        ::setenv("XDG_STATE_HOME", restore.c_str(), 1);
    else
        ::unsetenv("XDG_STATE_HOME");
}
#endif

TEST_F(SessionFolder, NewFilesInTheSameSecondGetTheirOwnNamesAndAnUnusableFolderSaysWhy)
{
    const auto start = system_clock::now();
    SessionWriter first, second;
    std::string error;
    ASSERT_TRUE(StartSessionFile(first, m_folder / "a" / "b", start, "COM1", error)) << error;
    ASSERT_TRUE(StartSessionFile(second, m_folder / "a" / "b", start, "COM1", error)) << error;
    EXPECT_NE(first.Path(), second.Path());
    EXPECT_TRUE(second.Path().ends_with("-COM1-2.tsv")) << second.Path();

    std::ofstream(m_folder / "file") << "in the way";
    SessionWriter third;
    EXPECT_FALSE(StartSessionFile(third, m_folder / "file" / "sessions", start, "COM1", error));
    EXPECT_NE(error.find("cannot create the folder"), std::string::npos) << error;

    // A NUL would cut the name short: nothing is made at the cut, and the reason is the NUL.
    fs::path withNul = m_folder / "cut";
    withNul += std::string("\0rest", 5);
    SessionWriter fourth;
    error.clear();
    EXPECT_FALSE(StartSessionFile(fourth, withNul, start, "COM1", error));
    EXPECT_NE(error.find("the folder name holds a NUL character"), std::string::npos) << error;
    EXPECT_NE(error.find("cut\\x00rest"), std::string::npos) << error;
    EXPECT_FALSE(fs::exists(m_folder / "cut"));
    EXPECT_FALSE(fourth.IsOpen());
}

TEST_F(SessionFolder, RetentionKeepsTheNewestWithinBothLimitsAndOnlyTouchesSessions)
{
    const fs::path current = Make(Name(0), 100, 0);
    for (int i = 1; i <= 6; ++i)
        Make(Name(i), 100, i);
    Make("notes.txt", 100, 99);
    std::string error;
    // Five files: the current one and the four newest others.
    auto removed = PruneSessions(m_folder, {5, 1 << 20}, current, error);
    EXPECT_EQ(error, "");
    EXPECT_EQ(removed.size(), 2u);
    EXPECT_FALSE(fs::exists(m_folder / Name(5)));
    EXPECT_FALSE(fs::exists(m_folder / Name(6)));
    EXPECT_TRUE(fs::exists(m_folder / Name(4)));
    EXPECT_TRUE(fs::exists(m_folder / "notes.txt"));

    // 250 bytes: the current file and one other; the byte limit is the lesser here.
    removed = PruneSessions(m_folder, {50, 250}, current, error);
    EXPECT_EQ(removed.size(), 3u);
    EXPECT_TRUE(fs::exists(current));
    EXPECT_TRUE(fs::exists(m_folder / Name(1)));
    EXPECT_FALSE(fs::exists(m_folder / Name(2)));

    // The current file is kept even when it alone is over the limit.
    Make(Name(0), 1000, 0);
    removed = PruneSessions(m_folder, {50, 250}, current, error);
    EXPECT_EQ(removed.size(), 1u);
    EXPECT_TRUE(fs::exists(current));
    EXPECT_TRUE(fs::exists(m_folder / "notes.txt"));
}

TEST_F(SessionFolder, SaveWritesSessionOrCsvAndAFailureKeepsTheOldFile)
{
    const auto when = system_clock::now();
    const SessionRow sent = SentRow(when, "1, 20, 20, 2, 215", "20, 20", "Query Device ID");
    SessionRow quoted = ReceivedRow(when, {"", "1, 2", "Checksum Error!", "Name = \"Arvane\", line\\x0a"});
    const std::vector<const SessionRow*> rows{&sent, &quoted};
    std::string error;

    const fs::path tsv = m_folder / "capture.tsv";
    ASSERT_TRUE(SaveRows(tsv.string(), rows, error)) << error;
    std::string expected = std::string(kSessionTitles) + '\n';
    AppendSessionLine(expected, sent);
    AppendSessionLine(expected, quoted);
    EXPECT_EQ(Read(tsv), expected);
    // Saving again replaces the file in one step (Windows' rename refuses to).
    ASSERT_TRUE(SaveRows(tsv.string(), std::vector<const SessionRow*>{&sent}, error)) << error;
    std::string shorter = std::string(kSessionTitles) + '\n';
    AppendSessionLine(shorter, sent);
    EXPECT_EQ(Read(tsv), shorter);

    const fs::path csv = m_folder / "capture.CSV";
    ASSERT_TRUE(SaveRows(csv.string(), rows, error)) << error;
    const std::string time = FormatIsoTime(quoted.time);
    EXPECT_EQ(Read(csv), "Time,Direction,Encoded,Data,Description\r\n" + FormatIsoTime(sent.time)
                             + ",sent,\"1, 20, 20, 2, 215\",\"20, 20\",Query Device ID\r\n" + time
                             + ",received,\"1, 2\",Checksum Error!,\"Name = \"\"Arvane\"\", line\\x0a\"\r\n");

    // A folder where the file should go: the rename fails, the folder and its content stay.
    const fs::path blocked = m_folder / "blocked.tsv";
    fs::create_directories(blocked / "inside");
    EXPECT_FALSE(SaveRows(blocked.string(), rows, error));
    EXPECT_NE(error.find("blocked.tsv"), std::string::npos) << error;
    EXPECT_TRUE(fs::exists(blocked / "inside"));
    EXPECT_FALSE(SaveRows((m_folder / "missing" / "x.csv").string(), rows, error));
    EXPECT_NE(error.find("No such file"), std::string::npos) << error;
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(fs::directory_iterator(m_folder), fs::directory_iterator()), 3);
}
