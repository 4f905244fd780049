#include "simulator/simulated_device.h"
#include "catalogue/radio_text.h"

#include "catalogue/catalogue_tables.h"
#include "catalogue/describer.h"
#include "protocol/command_packet.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::uint8_t> PacketOf(const CountedBytes& command)
{
    CCommandPacket packet;
    packet.SetCommand(command);
    const auto bytes = packet.GetEncoded().Bytes();
    return {bytes.begin(), bytes.end()};
}

// The answers to one command, each as the bytes of its payload.
std::vector<std::string> Ask(CSimulatedDevice& device, const CountedBytes& command)
{
    device.Receive(PacketOf(command));
    std::vector<std::string> answers;
    for (const CountedBytes& answer : device.TakeAnswers())
        answers.push_back(FormatBytes(answer));
    return answers;
}

using Answers = std::vector<std::string>;

// Model rows of the catalogue.
constexpr int kArvane = 0;
constexpr int kBrisolt = 1;
constexpr int kDunvey = 3;
constexpr int kElmora = 4;
constexpr int kFenlow = 5;
constexpr int kHestor = 7;
constexpr int kOrlinAster = 12;

} // namespace

TEST(SimulatedDevice, ReportsItsModelName)
{
    CSimulatedDevice aster(kOrlinAster);
    EXPECT_EQ(Ask(aster, {20, 20}), Answers{"20, 20, 79, 114, 108, 105, 110, 32, 65, 115, 116, 101, 114"});
    CSimulatedDevice arvane(kArvane);
    EXPECT_EQ(Ask(arvane, {20, 20}), Answers{"20, 20, 65, 114, 118, 97, 110, 101"});
}

TEST(SimulatedDevice, AnswersQueriesOfItsOwnVariablesOnly)
{
    CSimulatedDevice brisolt(kBrisolt);
    // Volume is two bytes of 1/256 dB on this model, as its builder writes it: -30 dB.
    EXPECT_EQ(Ask(brisolt, {20, 23}), Answers{"20, 23, 0, 226"});
    EXPECT_EQ(Ask(brisolt, {20, 29}), Answers{"20, 29, 0"}); // THX Mode
    EXPECT_TRUE(Ask(brisolt, {20, 80}).empty());             // Play Time: a player's variable
    EXPECT_TRUE(Ask(brisolt, {20, 38}).empty());             // no model has it
    EXPECT_TRUE(Ask(brisolt, {20, 63}).empty());             // not in the catalogue
    EXPECT_TRUE(Ask(brisolt, {20, 23, 5}).empty());          // a query carries no value
    CSimulatedDevice fenlow(kFenlow);
    EXPECT_EQ(Ask(fenlow, {20, 23}), Answers{"20, 23, 226"}); // one signed byte elsewhere
}

TEST(SimulatedDevice, SetStoresTheValueAndAnswersWithIt)
{
    CSimulatedDevice device(kHestor);
    EXPECT_EQ(Ask(device, {21, 24, 1}), Answers{"20, 24, 1"}); // Mute on
    EXPECT_EQ(Ask(device, {20, 24}), Answers{"20, 24, 1"});
    EXPECT_EQ(Ask(device, {21, 24}), Answers{"20, 24, 1"}); // no value: reports the present one
    // Device ID can only be queried: the answer shows it unchanged.
    EXPECT_EQ(Ask(device, {21, 20, 65}), Answers{"20, 20, 72, 101, 115, 116, 111, 114"});
    EXPECT_TRUE(Ask(device, {21, 80, 1, 2, 3}).empty()); // a variable it lacks
}

TEST(SimulatedDevice, AnswersVersionAndPresetCommandsItOffers)
{
    CSimulatedDevice arvane(kArvane);
    EXPECT_EQ(Ask(arvane, {23}), Answers{"23, 2, 1, 7"});
    EXPECT_EQ(Ask(arvane, {25, 3}), Answers{"25, 3"});
    EXPECT_EQ(Ask(arvane, {26, 9}), Answers{"26, 9"});
    EXPECT_TRUE(Ask(arvane, {25}).empty()); // no preset number
    EXPECT_TRUE(Ask(arvane, {22, 16}).empty()); // IR commands are obeyed silently

    CSimulatedDevice elmora(kElmora); // offers types 20 to 23 only
    EXPECT_EQ(Ask(elmora, {23}), Answers{"23, 2, 1, 7"});
    EXPECT_TRUE(Ask(elmora, {25, 3}).empty());
    EXPECT_TRUE(Ask(elmora, {26, 3}).empty());
}

TEST(SimulatedDevice, IgnoresWhatItCannotTrust)
{
    CSimulatedDevice device(0);
    device.Receive(std::vector<std::uint8_t>{1, 20, 20, 2, 214}); // checksum error
    device.Receive(std::vector<std::uint8_t>{1, 20, 10, 2, 215}); // broken
    device.Receive(std::vector<std::uint8_t>{65, 66});            // noise
    EXPECT_TRUE(device.TakeAnswers().empty());
    EXPECT_EQ(device.CommandsReceived(), 0u);

    // A command in pieces, straddling noise before it, is still answered.
    const auto packet = PacketOf({20, 43});
    device.Receive(std::vector<std::uint8_t>{packet.begin(), packet.begin() + 2});
    device.Receive(std::vector<std::uint8_t>{packet.begin() + 2, packet.end()});
    EXPECT_EQ(device.TakeAnswers().size(), 1u);
    EXPECT_EQ(device.CommandsReceived(), 1u);
}

TEST(SimulatedDevice, StartingValuesAllDescribeCleanly)
{
    CRadioText radioText;
    for (std::size_t row = 0; row < kModelCount; ++row) {
        CSimulatedDevice device(static_cast<int>(row));
        for (const std::uint8_t id : device.Variables().Ids()) {
            device.Receive(PacketOf({20, id}));
            const auto list = device.TakeAnswers();
            ASSERT_EQ(list.size(), 1u) << "model " << row << " id " << int{id};
            const std::string description = DescribeResponse(list[0], radioText);
            EXPECT_EQ(description.find("<invalid>"), std::string::npos)
                << g_ModelTable[row].name << ": " << description;
        }
    }
}

TEST(SimulatedDevice, SendsRadioDataWhileTheTunerIsOnFm)
{
    CSimulatedDevice device(0);
    ASSERT_TRUE(device.SendsRds());
    std::vector<std::string> cycle;
    for (int i = 0; i < 3 * 17 + 1; ++i)
        cycle.push_back(FormatBytes(device.NextRdsPacket()));
    EXPECT_EQ(cycle[0], "27, 86, 88, 32, 82, 65, 68, 73, 79"); // "VX RADIO"
    EXPECT_EQ(cycle[1], "28, 0, 86, 97, 110, 116");          // "Vant" at 0
    EXPECT_EQ(cycle[16].substr(0, 7), "28, 60,");
    EXPECT_EQ(cycle[17], cycle[0]);
    // The third round ends with a clear, then starts over.
    EXPECT_EQ(cycle[3 * 17], "28");
    EXPECT_EQ(cycle[3 * 17 - 17], cycle[0]);

    Ask(device, {21, 43, 0}); // Tuner Band: AM
    EXPECT_FALSE(device.SendsRds());
    CSimulatedDevice player(kDunvey);
    EXPECT_FALSE(player.SendsRds());
}

TEST(SimulatedDevice, FloodCyclesThroughValueResponses)
{
    CSimulatedDevice device(0);
    const std::size_t variables = device.Variables().Ids().size();
    EXPECT_EQ(FormatBytes(device.FloodPacket(0)), "20, 20, 65, 114, 118, 97, 110, 101");
    EXPECT_EQ(device.FloodPacket(variables), device.FloodPacket(0));
    EXPECT_NE(device.FloodPacket(1), device.FloodPacket(0));
}
