#include "repeated_rows.h"

#include <cstdint>

std::size_t CRepeatedRows::SlotOf(std::string_view frame)
{
    // FNV-1a: frames are short, and a general-purpose string hash costs more than the look-up.
    std::uint32_t hash = 2166136261u;
    for (const char c : frame)
        hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
    return (hash ^ (hash >> 16)) % kSlots;
}

const std::string* CRepeatedRows::Find(std::string_view frame) const
{
    const Slot& slot = (*m_slots)[SlotOf(frame)];
    return slot.used && slot.frame == frame ? &slot.row : nullptr;
}

void CRepeatedRows::Remember(std::string_view frame, std::string_view row)
{
    Slot& slot = (*m_slots)[SlotOf(frame)];
    slot.frame.assign(frame);
    slot.row.assign(row);
    slot.used = true;
}
