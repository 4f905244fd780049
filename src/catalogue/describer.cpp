#include "describer.h"

#include "catalogue_lookup.h"
#include "radio_text.h"
#include "value_formatters.h"

namespace {

// A message in the numbering of its layout: Byte(1) is the type, Byte(2) the id or first
// parameter; From(k) points at byte k for a count that the caller takes from Count().
class MessageView {
public:
    explicit MessageView(const CountedBytes& message)
        : m_message(message), m_count(static_cast<int>(message.Count()))
    {
    }
    int Count() const { return m_count; }
    std::uint8_t Byte(int k) const { return m_message[static_cast<std::size_t>(k - 1)]; }
    const std::uint8_t* From(int k) const { return m_message.Data() + (k - 1); }

private:
    const CountedBytes& m_message;
    int m_count;
};

void AppendVariableName(std::string& text, const VariableEntry& variable)
{
    text += ' ';
    text += variable.name;
}

// The two directions differ on purpose: a Set carries exactly one listed value byte and shows a
// formatted value only when it has value bytes; a Value response names its first value byte and
// always runs the formatter, even on no bytes.
enum class Direction { Command, Response };

std::string DescribeVariableValue(const MessageView& m, Direction direction)
{
    std::string text;
    const VariableEntry* variable = FindVariableEntry(m.Byte(2));
    if (variable == nullptr)
        return text;
    AppendVariableName(text, *variable);
    const bool hasValueBytes = m.Count() >= 3;
    if (variable->values != nullptr) {
        const bool named = direction == Direction::Command ? m.Count() == 3 : hasValueBytes;
        text += " = ";
        text += named ? LookupValueName(variable->values, m.Byte(3)) : kInvalidValue;
    } else if (variable->formatter != nullptr && (direction == Direction::Response || hasValueBytes)) {
        text += " = " + variable->formatter(m.From(3), m.Count() - 2);
    }
    return text;
}

// The name of the message's type in one direction; null for an empty message or a type without one.
const char* TypeName(const MessageView& m, const char* (*nameOfType)(int))
{
    return m.Count() == 0 ? nullptr : nameOfType(m.Byte(1));
}

} // namespace

std::string DescribeCommand(const CountedBytes& message)
{
    const MessageView m(message);
    const char* name = TypeName(m, CommandTypeName);
    if (name == nullptr)
        return {};
    const int type = m.Byte(1);
    std::string text = name;
    if (m.Count() < 2)
        return text;

    switch (type) {
    case MessageType::kQuery:
        if (m.Count() > 2) {
            text += ' ';
            text += kInvalidValue;
        } else if (const VariableEntry* variable = FindVariableEntry(m.Byte(2))) {
            AppendVariableName(text, *variable);
        }
        break;
    case MessageType::kSet:
        text += DescribeVariableValue(m, Direction::Command);
        break;
    case MessageType::kIrCommand:
    case MessageType::kAvPreset:
    case MessageType::kTunerPreset:
        text += ' ' + FormatByteList(m.From(2), m.Count() - 1);
        break;
    default:
        // Get Version and Software Update: their parameter bytes are not shown.
        break;
    }
    return text;
}

std::string DescribeResponse(const CountedBytes& message, CRadioText& radioText)
{
    const MessageView m(message);
    const char* name = TypeName(m, ResponseTypeName);
    if (name == nullptr)
        return {};
    const int type = m.Byte(1);
    std::string text = name;

    switch (type) {
    case MessageType::kValue:
        if (m.Count() >= 2)
            text += DescribeVariableValue(m, Direction::Response);
        break;
    case MessageType::kAvPreset:
    case MessageType::kTunerPreset:
        text += " - Preset " + FormatByte(m.From(2), m.Count() - 1);
        break;
    case MessageType::kRdsPs:
        text += " - " + DescribeRdsPs(m.From(2), m.Count() - 1);
        break;
    case MessageType::kRdsRt:
        text += " - " + DescribeRdsRt(m.From(2), m.Count() - 1, radioText);
        break;
    default:
        // Software Version: the version bytes are not decoded.
        break;
    }
    return text;
}

std::string DescribeRdsPs(const std::uint8_t* bytes, int count)
{
    constexpr int kNameLength = 8;
    if (count == 0)
        return "No PS Name";
    if (count != kNameLength)
        return "Invalid Data!";
    std::string name;
    for (int i = 0; i < kNameLength; ++i) {
        if (bytes[i] == 0)
            return "Invalid Data!";
        name += static_cast<char>(bytes[i]);
    }
    return '"' + name + '"';
}

std::string DescribeRdsRt(const std::uint8_t* bytes, int count, CRadioText& radioText)
{
    return radioText.Apply(bytes, count);
}
