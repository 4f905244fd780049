#pragma once

#include "value_formatters.h"

#include <array>
#include <cstddef>
#include <cstdint>

// The built-in knowledge of the device family: message types, models, variables and their value
// lists. Constant data, initialised at compile time, so any thread may read it at any moment.

// One named value of a variable. Only the low byte of value is compared or shown. A list ends
// with an entry whose text is null.
struct ValueEntry {
    std::uint32_t value;
    const char* text;
};

struct ModelEntry {
    const char* name;       // as the device reports it in its "Device ID" value
    std::uint32_t typeMask; // bit i: the builder offers message type 20 + i
};

struct VariableEntry {
    std::uint32_t id;            // only the low byte is compared or shown
    const char* name;
    std::uint32_t modelMask;     // bit m: model row m has this variable
    std::uint32_t access;        // kAccessQueryOnly or kAccessQueryAndSet
    const ValueEntry* values;    // null, or a list ended by a null text
    ValueFormatter formatter;    // null, or how the value bytes read
};

inline constexpr std::uint32_t kAccessQueryOnly = 1;
inline constexpr std::uint32_t kAccessQueryAndSet = 4;

inline constexpr int kFirstCommandType = 20;
inline constexpr int kLastCommandType = 26;
inline constexpr int kFirstResponseType = 20;
inline constexpr int kLastResponseType = 28;

// Message types that the describers decode further.
namespace MessageType {
inline constexpr int kQuery = 20;        // command
inline constexpr int kSet = 21;          // command
inline constexpr int kIrCommand = 22;    // command
inline constexpr int kValue = 20;        // response
inline constexpr int kAvPreset = 25;     // both directions
inline constexpr int kTunerPreset = 26;  // both directions
inline constexpr int kRdsPs = 27;        // response
inline constexpr int kRdsRt = 28;        // response
} // namespace MessageType

// The variable whose value is the model's name: the window and the test runner ask for it to
// know the device, and the log reads the name from its answer.
inline constexpr std::uint8_t kDeviceIdVariable = 20;

// Entries 0 to 6 name command types 20 to 26, entries 7 to 15 response types 20 to 28; a null
// entry has no name.
inline constexpr std::size_t kMessageTypeNameCount = 16;
extern const std::array<const char*, kMessageTypeNameCount> g_MessageTypeNames;

inline constexpr std::size_t kModelCount = 14;
extern const std::array<ModelEntry, kModelCount> g_ModelTable;

inline constexpr std::size_t kVariableCount = 91;
extern const std::array<VariableEntry, kVariableCount> g_VariableTable;
