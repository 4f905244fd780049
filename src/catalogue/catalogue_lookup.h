#pragma once

#include "catalogue_tables.h"

#include <cstddef>
#include <cstdint>
#include <vector>

// Questions asked of the constant tables. Every search runs in table order and stops at the first
// match; ids and values compare by their low byte. Out-of-range rows answer 0, false, an empty
// text or null, never by reading outside a table.

// The text of the first entry whose value matches, or "<invalid>".
const char* LookupValueName(const ValueEntry* list, std::uint8_t value);

inline constexpr std::size_t kVariableNotFound = kVariableCount;
// Row of the variable with this id, or kVariableNotFound.
std::size_t FindVariable(std::uint8_t id);
// The same search, answering the row itself or null.
const VariableEntry* FindVariableEntry(std::uint8_t id);

// Names of message types 20 to 26 sent and 20 to 28 received; null when the type has none.
const char* CommandTypeName(int type);
const char* ResponseTypeName(int type);

// A model row is 0 to kModelCount - 1, or -1 for no model.
const char* ModelName(int modelRow);
std::uint32_t ModelTypeMask(int modelRow);

std::uint32_t VariableModelMask(std::size_t row);
std::uint32_t VariableAccess(std::size_t row);
bool IsQueryOnly(std::size_t row);

bool BitTest(int bit, std::uint32_t mask);

// The message types the builder offers for a model, ascending.
std::vector<int> OfferedMessageTypes(int modelRow);
// The variable rows the builder offers for a model and a message type, in table order: every
// variable of the model for Query, those that can be set for Set, none for other types.
std::vector<std::size_t> OfferedVariables(int modelRow, int messageType);
// The value list of the variable with this id; null when it has none or the id is unknown.
const ValueEntry* ValueChoices(std::uint8_t id);
