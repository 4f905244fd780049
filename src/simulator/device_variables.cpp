#include "device_variables.h"

#include "catalogue/catalogue_lookup.h"
#include "catalogue/catalogue_tables.h"
#include "catalogue/value_encoders.h"
#include "protocol/command_text_parser.h"

#include <cstring>
#include <string>

namespace {

std::vector<std::uint8_t> TextBytes(const char* text)
{
    return {text, text + std::strlen(text)};
}

std::vector<std::uint8_t> Word(unsigned value)
{
    return {static_cast<std::uint8_t>(value & 0xFF), static_cast<std::uint8_t>(value >> 8)};
}

// A level in dB in the form the model uses for the variable: where the builder writes two bytes
// of 1/256 dB for this model, two bytes, otherwise one signed byte.
std::vector<std::uint8_t> Level(int decibels, std::uint8_t id, int modelRow)
{
    const std::string typed = std::to_string(decibels);
    const CountedBytes bytes = ParseCommandText(ConvertValueEntry(typed, id, modelRow));
    return {bytes.Bytes().begin(), bytes.Bytes().end()};
}

// Starting values where the first entry of a list or a zero would look odd.
std::vector<std::uint8_t> StartingValue(const VariableEntry& variable, int modelRow)
{
    const auto id = static_cast<std::uint8_t>(variable.id);
    switch (id) {
    case kDeviceIdVariable: return TextBytes(ModelName(modelRow));
    case 21: return {1};                              // Power Mode: On
    case 22: return {5};                              // Brightness
    case 23: return Level(-30, id, modelRow);         // Volume
    case 27: return Level(-40, id, modelRow);         // Zone Volume
    case 43: return {1};                              // Tuner Band: FM
    case 44: return Word(810);                        // AM Frequency, kHz
    case 45: return Word(9810);                       // FM Frequency: 98.10
    case 53: return {1};                              // Current Input
    case 55: return TextBytes("Tuner");               // Input Name
    case 80: return {0, 12, 34};                      // Play Time
    case 81: return {1, 1};                           // Track Info: title 1, chapter 1
    case 88: return {1};                              // Play Mode: Play
    case 111: return Level(-20, id, modelRow);        // Master Volume
    case 150: return TextBytes("Blue in Green");
    case 151: return TextBytes("Miles Davis");
    case 152: return TextBytes("Kind of Blue");
    case 153: return TextBytes("Off");
    case 154: return TextBytes("Off");
    case 155: return TextBytes("Normal");
    case 156: return TextBytes("30 s");
    case 180: return {62};
    case 181: return TextBytes("Real Jazz");
    case 182: return TextBytes("Jazz");
    case 183: return TextBytes("Miles Davis");
    case 184: return TextBytes("So What");
    case 200: return TextBytes("Now playing: So What");
    case 201: return TextBytes("Vantrolix Radio");
    default: break;
    }
    if (variable.values)
        return {static_cast<std::uint8_t>(variable.values[0].value)};
    if (variable.formatter == FormatLevel)
        return Level(0, id, modelRow);
    if (variable.formatter == FormatWord || variable.formatter == FormatFmFrequency)
        return Word(0);
    if (variable.formatter == FormatPlayTime)
        return {0, 0, 0};
    if (variable.formatter == FormatTitleChapter)
        return {1, 1};
    if (variable.formatter == FormatText || !variable.formatter)
        return {};
    return {0}; // one byte: FormatByte, FormatSignedByte
}

} // namespace

CDeviceVariables::CDeviceVariables(int modelRow)
{
    for (const VariableEntry& variable : g_VariableTable) {
        if (!BitTest(modelRow, variable.modelMask))
            continue;
        const auto id = static_cast<std::uint8_t>(variable.id);
        m_values.emplace(id, StartingValue(variable, modelRow));
        m_settable.emplace(id, variable.access != kAccessQueryOnly);
    }
}

const std::vector<std::uint8_t>* CDeviceVariables::Value(std::uint8_t id) const
{
    const auto found = m_values.find(id);
    return found == m_values.end() ? nullptr : &found->second;
}

bool CDeviceVariables::Set(std::uint8_t id, std::span<const std::uint8_t> value)
{
    const auto found = m_values.find(id);
    if (found == m_values.end() || !m_settable.at(id))
        return false;
    found->second.assign(value.begin(), value.end());
    return true;
}

std::vector<std::uint8_t> CDeviceVariables::Ids() const
{
    std::vector<std::uint8_t> ids;
    for (const auto& [id, value] : m_values)
        ids.push_back(id);
    return ids;
}
