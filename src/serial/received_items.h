#pragma once

#include <cstdint>
#include <vector>

// Received input as a port queues it: each item is a data byte, or line errors (CE_ flags) at the
// place in the stream where they occurred.
using ReceivedItems = std::vector<std::uint32_t>;

constexpr std::uint32_t kErrorItem = 0x8000'0000;
constexpr std::uint32_t kGoneItem = 0x4000'0000; // with kErrorItem: the device has gone

inline void PushLineError(ReceivedItems& items, std::uint32_t flags)
{
    items.push_back(kErrorItem | flags);
}
