#include "cli_run.h"

#include "protocol/command_packet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace {

// A raw capture of the packets of these payloads, one after the other.
std::string WriteCapture(const std::string& name, const std::vector<CountedBytes>& payloads, const std::string& tail = "")
{
    const std::string path = ::testing::TempDir() + name;
    std::ofstream out(path, std::ios::binary);
    for (const CountedBytes& payload : payloads) {
        CCommandPacket packet;
        packet.SetCommand(payload);
        for (std::uint8_t b : packet.GetEncoded().Bytes())
            out.put(static_cast<char>(b));
    }
    out << tail;
    return path;
}

} // namespace

TEST(CliEncode, PrintsTheDescriptionAsThirdLine)
{
    const CliRun run = RunCli("encode 21 23 128 245");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "Command: 21, 23, 128, 245\nEncoded: 1, 21, 23, 128, 245, 2, 94, 94\n"
                       "Description: Set Volume = -10.500000 dB\n");
    EXPECT_EQ(Lines(RunCli("encode 1 2").out).at(2), "Description: ");
    // A control byte in text would break the line; it is shown escaped.
    EXPECT_EQ(Lines(RunCli("encode 21 20 65 10 66").out).at(2), "Description: Set Device ID = A\\x0aB");
}

// The preview is printed for any text; a text that would not go out as written is named and fails.
TEST(CliEncode, NamesTheFirstValueThatIsNotSentAsWritten)
{
    CliRun run = RunCliAsIs("encode 20 300 2>/dev/null");
    EXPECT_EQ(run.exitCode, 1);
    const auto preview = Lines(run.out);
    ASSERT_EQ(preview.size(), 3u) << run.out;
    EXPECT_EQ(preview[0], "Command: 20, 44");
    EXPECT_EQ(preview[1], "Encoded: 1, 20, 44, 2, 191");
    run = RunCliAsIs("encode 20 300 2>&1 >/dev/null");
    EXPECT_EQ(run.out, "vantrolix-cli: not a command as written: value 2 (\"300\") is not a byte value: write 0 to 255, "
                       "or 0x00 to 0xFF\n");

    const std::vector<std::pair<std::string, std::string>> named = {
        {"query '\"Power Mode\"'", "value 1 (\"query\")"},
        {"20 '<invalid>' 21", "value 2 (\"<invalid>\") ends the command"}};
    for (const auto& [text, problem] : named) {
        run = RunCliAsIs("encode " + text + " 2>&1 >/dev/null");
        EXPECT_EQ(run.exitCode, 1) << text;
        EXPECT_NE(run.out.find(problem), std::string::npos) << text << ": " << run.out;
    }
    std::string tooMany;
    for (int i = 0; i < 128; ++i)
        tooMany += " 20";
    run = RunCli("encode" + tooMany);
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.out.find("Command: \n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("value 128 (\"20\") is one too many"), std::string::npos) << run.out;
    // A control byte typed in is shown escaped.
    EXPECT_NE(RunCli("encode $'2\\e[0m'").out.find("(\"2\\x1b[0m\")"), std::string::npos);
}

TEST(CliDecode, EveryRowHasThreeColumnsAndRadioTextAccumulates)
{
    const std::string path = WriteCapture("rds.bin",
        {{28, 0, 72, 105}, {20, 24, 1}, {28, 4, 'Y', 'O'}, {27, 'R', 'a', 'd', 'i', 'o', ' ', ' ', '1'}},
        std::string("\x01\x14\x14\x02\xD6"));
    const CliRun run = RunCli("decode '" + path + "'");
    ASSERT_EQ(run.exitCode, 0) << run.out;
    const std::vector<std::string> rows = Lines(run.out);
    ASSERT_EQ(rows.size(), 5u) << run.out;
    for (const std::string& row : rows)
        EXPECT_EQ(std::count(row.begin(), row.end(), '\t'), 2) << row;
    EXPECT_TRUE(rows[0].ends_with("\t28, 0, 72, 105\tRDS RT - This Packet: Pos 0 = \"Hi\", Full RT: \"Hi\"")) << rows[0];
    EXPECT_TRUE(rows[1].ends_with("\tValue Mute = On")) << rows[1];
    EXPECT_TRUE(rows[2].ends_with("Full RT: \"Hi  YO\"")) << rows[2];
    EXPECT_TRUE(rows[3].ends_with("\tRDS PS - \"Radio  1\"")) << rows[3];
    EXPECT_EQ(rows[4], "1, 20, 20, 2, 214\tChecksum Error!\t");

    // A second run starts from an empty radio text.
    const std::string second = WriteCapture("rds2.bin", {{28, 4, 'Y', 'O'}});
    EXPECT_TRUE(RunCli("decode '" + second + "'").out.ends_with("Full RT: \"    YO\"\n"));
}

TEST(CliCatalogue, ListsModelsAndOneModelsVariables)
{
    const CliRun all = RunCli("catalogue");
    EXPECT_EQ(all.exitCode, 0);
    const std::vector<std::string> models = Lines(all.out);
    ASSERT_EQ(models.size(), 14u);
    EXPECT_EQ(models[4], "4 - Elmora: 20 - Query, 21 - Set, 22 - IR Command, 23 - Get Version");

    const CliRun elmora = RunCli("catalogue --model Elmora");
    EXPECT_EQ(elmora.exitCode, 0);
    const std::string setSection = elmora.out.substr(elmora.out.find("\n21 - Set\n"));
    EXPECT_EQ(setSection.find("Device ID"), std::string::npos); // query only
    EXPECT_NE(setSection.find("  112 - Downmix: 0 - Lt/Rt, 1 - Stereo, 2 - off\n"), std::string::npos);
    EXPECT_NE(elmora.out.find("\n20 - Query\n  20 - Device ID: text\n"), std::string::npos);
    EXPECT_EQ(RunCli("catalogue --model 'orlin aster'").exitCode, 0);

    const CliRun unknown = RunCli("catalogue --model Nobody");
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_NE(unknown.out.find("no model named \"Nobody\""), std::string::npos);
}

// Captures far longer than one read: packets and byte values cut at every block boundary come
// out whole, the text and raw forms of one capture give the same rows, and C1 bytes of device
// text are escaped like the C0 ones.
TEST(CliDecode, LongCapturesReadInBlocksGiveEveryRow)
{
    std::vector<CountedBytes> payloads;
    for (int i = 0; i < 12'000; ++i)
        payloads.push_back(i % 3 == 0 ? CountedBytes{20, 20, 'A', 0x9B, 'B', 0xE9} : CountedBytes{20, 24, static_cast<std::uint8_t>(i % 2)});
    const std::string raw = WriteCapture("long.bin", payloads);
    const std::string text = ::testing::TempDir() + "long.txt";
    {
        std::ifstream in(raw, std::ios::binary);
        std::ofstream out(text);
        int n = 0;
        for (char c; in.get(c); ++n)
            out << (n % 2 ? "0x" : "") << (n % 2 ? std::hex : std::dec) << int(static_cast<unsigned char>(c))
                << (n % 5 ? ", " : "\n");
    }
    const CliRun fromRaw = RunCli("decode '" + raw + "'");
    const CliRun fromText = RunCli("decode --text < '" + text + "'");
    ASSERT_EQ(fromRaw.exitCode, 0);
    ASSERT_EQ(fromText.exitCode, 0) << fromText.out.substr(0, 200);
    EXPECT_EQ(fromText.out, fromRaw.out);
    const auto rows = Lines(fromRaw.out);
    ASSERT_EQ(rows.size(), payloads.size());
    // The letter a device's 0xE9 stands for, in UTF-8, as the window's log shows it.
    EXPECT_TRUE(rows[0].ends_with("\tValue Device ID = A\\x9bB\xC3\xA9")) << rows[0];
    EXPECT_EQ(std::count_if(rows.begin(), rows.end(), [](const std::string& row) { return row.ends_with("Mute = On"); }), 4000);
}
