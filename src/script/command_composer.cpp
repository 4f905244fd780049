#include "script/command_composer.h"

#include "catalogue/c_locale_strtod.h"
#include "catalogue/catalogue_lookup.h"
#include "catalogue/catalogue_tables.h"
#include "catalogue/value_encoders.h"
#include "catalogue/value_formatters.h"
#include "catalogue/variable_argument.h"
#include "protocol/byte_text.h"
#include "protocol/command_packet.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace {

std::string Quoted(std::string_view text)
{
    return '"' + std::string(text) + '"';
}

std::string Joined(const std::vector<std::string>& words, std::size_t from)
{
    std::string text;
    for (std::size_t i = from; i < words.size(); ++i)
        text += (i == from ? "" : " ") + words[i];
    return text;
}

// The message type by number or name, if the model takes it.
std::optional<int> FindMessageType(std::string_view word, int modelRow, std::string& error)
{
    int type = 0;
    const auto [end, failure] = std::from_chars(word.data(), word.data() + word.size(), type);
    const bool numeric = failure == std::errc{} && end == word.data() + word.size();
    if (!numeric) {
        type = 0;
        for (int t = kFirstCommandType; t <= kLastCommandType; ++t)
            if (CommandTypeName(t) && SameIgnoringCase(word, CommandTypeName(t)))
                type = t;
    }
    const std::vector<int> offered = OfferedMessageTypes(modelRow);
    if (std::ranges::find(offered, type) != offered.end())
        return type;
    error = Quoted(word) + " is not a message type " + ModelName(modelRow) + " takes; it takes";
    for (const int t : offered)
        error += std::string(t == offered.front() ? " " : ", ") + std::to_string(t) + " " + CommandTypeName(t);
    return std::nullopt;
}

// A number as a whole, in the C locale's notation; nothing for text, a NaN or an infinity.
std::optional<double> ReadNumber(const std::string& text)
{
    char* end = nullptr;
    const double value = StrtodInCLocale(text.c_str(), &end);
    if (text.empty() || end != text.c_str() + text.size() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

bool AppendValueBytes(CountedBytes& payload, const std::vector<std::string>& words, std::size_t from, std::string& error)
{
    for (std::size_t i = from; i < words.size(); ++i) {
        const auto byte = ReadValueByte(words[i]);
        if (!byte) {
            error = Quoted(words[i]) + " is not a byte value from -128 to 255";
            return false;
        }
        payload.Append(*byte);
    }
    return true;
}

std::string ListedNames(const ValueEntry* values)
{
    std::string names;
    for (const ValueEntry* entry = values; entry->text; ++entry)
        names += std::string(names.empty() ? "" : ", ") + entry->text;
    return names;
}

// The value bytes of a Set, as the builder turns a picked list entry or a typed number into them.
bool AppendSetValue(CountedBytes& payload, const VariableEntry& variable, const std::vector<std::string>& words,
                    int modelRow, std::string& error)
{
    const std::string typed = Joined(words, 2);
    if (variable.values) {
        for (const ValueEntry* entry = variable.values; entry->text; ++entry)
            if (SameIgnoringCase(typed, entry->text)) {
                payload.Append(static_cast<std::uint8_t>(entry->value));
                return true;
            }
    }
    const std::string converted = ConvertValueEntry(typed, static_cast<int>(variable.id), modelRow);
    if (converted == typed) { // no encoder of its own: the value is written as bytes
        if (AppendValueBytes(payload, words, 2, error))
            return true;
        error = Quoted(typed) + " is not a value of " + variable.name
            + (variable.values ? ": give one of " + ListedNames(variable.values) + ", or a byte value"
                               : ": give byte values from -128 to 255");
        return false;
    }
    const auto number = ReadNumber(typed);
    const ByteTextResult bytes = ReadByteText(converted);
    const bool oneByte = bytes.bytes.size() == 1;
    if (!number || converted == kInvalidValue || !bytes.error.empty() || (oneByte && !ReadValueByte(typed))) {
        error = Quoted(typed) + " is not a value of " + variable.name + ": give a number"
            + (oneByte ? " from -128 to 255" : " of dB from -100 to 100");
        return false;
    }
    for (const std::uint8_t b : bytes.bytes)
        payload.Append(b);
    return true;
}

} // namespace

ComposedCommand ComposeCommand(const std::vector<std::string>& words, int modelRow)
{
    ComposedCommand result;
    if (words.empty()) {
        result.error = "send needs byte values or a message type";
        return result;
    }
    const auto type = FindMessageType(words[0], modelRow, result.error);
    if (!type)
        return result;
    CountedBytes& payload = result.payload;
    payload.Append(static_cast<std::uint8_t>(*type));

    if (*type == MessageType::kQuery || *type == MessageType::kSet) {
        if (words.size() < 2) {
            result.error = std::string(CommandTypeName(*type)) + " needs a variable";
            return result;
        }
        const VariableArgument variable = FindVariableArgument(words[1], modelRow);
        if (!variable.error.empty()) {
            result.error = variable.error;
            return result;
        }
        const VariableEntry& entry = g_VariableTable[variable.row];
        payload.Append(static_cast<std::uint8_t>(entry.id));
        if (*type == MessageType::kQuery && words.size() > 2)
            result.error = "a Query takes no value";
        else if (*type == MessageType::kSet && IsQueryOnly(variable.row))
            result.error = std::string(entry.name) + " can only be queried";
        else if (*type == MessageType::kSet && words.size() < 3)
            result.error = "Set " + std::string(entry.name) + " needs a value";
        else if (*type == MessageType::kSet)
            AppendSetValue(payload, entry, words, modelRow, result.error);
    } else {
        AppendValueBytes(payload, words, 1, result.error);
    }
    if (result.error.empty() && payload.Count() > CCommandPacket::kMaxPayload)
        result.error = "a command holds at most " + std::to_string(CCommandPacket::kMaxPayload) + " bytes";
    return result;
}
