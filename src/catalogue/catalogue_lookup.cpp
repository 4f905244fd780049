#include "catalogue_lookup.h"

#include <array>

namespace {

bool IsModelRow(int modelRow)
{
    return modelRow >= 0 && static_cast<std::size_t>(modelRow) < kModelCount;
}

} // namespace

const char* LookupValueName(const ValueEntry* list, std::uint8_t value)
{
    if (list != nullptr) {
        for (const ValueEntry* entry = list; entry->text != nullptr; ++entry)
            if ((entry->value & 0xFF) == value)
                return entry->text;
    }
    return kInvalidValue;
}

std::size_t FindVariable(std::uint8_t id)
{
    // Every received Value packet looks its variable up: an index by id, built once, keeps long
    // captures from searching the table row by row. The first row with an id is the one.
    static const auto kRowById = [] {
        std::array<std::size_t, 256> rows;
        rows.fill(kVariableNotFound);
        for (std::size_t row = kVariableCount; row-- > 0;)
            rows[g_VariableTable[row].id & 0xFF] = row;
        return rows;
    }();
    return kRowById[id];
}

const VariableEntry* FindVariableEntry(std::uint8_t id)
{
    const std::size_t row = FindVariable(id);
    return row == kVariableNotFound ? nullptr : &g_VariableTable[row];
}

const char* CommandTypeName(int type)
{
    if (type < kFirstCommandType || type > kLastCommandType)
        return nullptr;
    return g_MessageTypeNames[static_cast<std::size_t>(type - kFirstCommandType)];
}

const char* ResponseTypeName(int type)
{
    if (type < kFirstResponseType || type > kLastResponseType)
        return nullptr;
    constexpr std::size_t kFirstResponseEntry = 7;
    return g_MessageTypeNames[kFirstResponseEntry + static_cast<std::size_t>(type - kFirstResponseType)];
}

const char* ModelName(int modelRow)
{
    return IsModelRow(modelRow) ? g_ModelTable[static_cast<std::size_t>(modelRow)].name : "";
}

std::uint32_t ModelTypeMask(int modelRow)
{
    return IsModelRow(modelRow) ? g_ModelTable[static_cast<std::size_t>(modelRow)].typeMask : 0;
}

std::uint32_t VariableModelMask(std::size_t row)
{
    return row < kVariableCount ? g_VariableTable[row].modelMask : 0;
}

std::uint32_t VariableAccess(std::size_t row)
{
    return row < kVariableCount ? g_VariableTable[row].access : 0;
}

bool IsQueryOnly(std::size_t row)
{
    return VariableAccess(row) == kAccessQueryOnly;
}

bool BitTest(int bit, std::uint32_t mask)
{
    return bit >= 0 && bit < 32 && ((mask >> bit) & 1u) != 0;
}

std::vector<int> OfferedMessageTypes(int modelRow)
{
    std::vector<int> types;
    const std::uint32_t mask = ModelTypeMask(modelRow);
    for (int type = kFirstCommandType; type <= kLastCommandType; ++type)
        if (BitTest(type - kFirstCommandType, mask))
            types.push_back(type);
    return types;
}

std::vector<std::size_t> OfferedVariables(int modelRow, int messageType)
{
    std::vector<std::size_t> rows;
    if (!IsModelRow(modelRow) || (messageType != MessageType::kQuery && messageType != MessageType::kSet))
        return rows;
    for (std::size_t row = 0; row < kVariableCount; ++row) {
        if (!BitTest(modelRow, VariableModelMask(row)))
            continue;
        if (messageType == MessageType::kSet && IsQueryOnly(row))
            continue;
        rows.push_back(row);
    }
    return rows;
}

const ValueEntry* ValueChoices(std::uint8_t id)
{
    const VariableEntry* variable = FindVariableEntry(id);
    return variable != nullptr ? variable->values : nullptr;
}
