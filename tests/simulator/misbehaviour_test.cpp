// A device told to get a variable wrong gets exactly that variable wrong, in the way asked, for
// every variable of every model: a sweep can only name what the device really does.

#include "simulator/simulated_device.h"
#include "catalogue/radio_text.h"

#include "catalogue/catalogue_lookup.h"
#include "catalogue/catalogue_tables.h"
#include "catalogue/describer.h"
#include "protocol/command_packet.h"

#include <gtest/gtest.h>

namespace {

std::vector<CountedBytes> Ask(CSimulatedDevice& device, const CountedBytes& command)
{
    CCommandPacket packet;
    packet.SetCommand(command);
    device.Receive(packet.GetEncoded().Bytes());
    return device.TakeAnswers();
}

// What a reader of the answer learns about the variable: its value text, if the answer is one.
bool ReadsAsValueOf(const CountedBytes& answer, const VariableEntry& variable)
{
    CRadioText radioText;
    const std::string description = DescribeResponse(answer, radioText);
    return answer.Count() >= 2 && answer[1] == variable.id
        && description.starts_with(std::string("Value ") + variable.name)
        && description.find(kInvalidValue) == std::string::npos;
}

} // namespace

TEST(Misbehaviour, WrongValuesCannotBeReadForAnyVariable)
{
    CRadioText radioText;
    for (int model = 0; model < static_cast<int>(kModelCount); ++model) {
        for (const std::size_t row : OfferedVariables(model, MessageType::kQuery)) {
            const VariableEntry& variable = g_VariableTable[row];
            const auto id = static_cast<std::uint8_t>(variable.id);
            CSimulatedDevice device(model);
            device.Misbehave({{id, Misbehaviour::WrongValue}});
            const auto answers = Ask(device, CountedBytes{20, id});
            ASSERT_EQ(answers.size(), 1u) << ModelName(model) << " " << variable.name;
            EXPECT_FALSE(ReadsAsValueOf(answers[0], variable))
                << ModelName(model) << " " << variable.name << ": " << DescribeResponse(answers[0], radioText);
            EXPECT_FALSE(device.SpoilsChecksum(answers[0]));
        }
    }
}

TEST(Misbehaviour, OnlyTheNamedVariableMisbehaves)
{
    constexpr int kFenlow = 5;
    CSimulatedDevice device(kFenlow);
    device.Misbehave({{24, Misbehaviour::Silent}, {43, Misbehaviour::BadChecksum}});
    EXPECT_TRUE(Ask(device, CountedBytes{20, 24}).empty());
    EXPECT_TRUE(Ask(device, CountedBytes{21, 24, 1}).empty());
    // A silent variable is still set: only its answer is missing.
    device.Misbehave({});
    EXPECT_EQ(Ask(device, CountedBytes{20, 24}), (std::vector<CountedBytes>{{20, 24, 1}}));

    device.Misbehave({{43, Misbehaviour::BadChecksum}});
    const auto band = Ask(device, CountedBytes{20, 43});
    ASSERT_EQ(band.size(), 1u);
    EXPECT_TRUE(device.SpoilsChecksum(band[0]));
    const auto mute = Ask(device, CountedBytes{20, 24});
    ASSERT_EQ(mute.size(), 1u);
    EXPECT_FALSE(device.SpoilsChecksum(mute[0]));
    EXPECT_TRUE(ReadsAsValueOf(mute[0], *FindVariableEntry(24)));
}
