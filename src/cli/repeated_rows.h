#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

// The printed columns of frames already seen, by the frame's bytes. A capture repeats its frames
// (a device answers the same queries again and again, a flood cycles through its variables), and
// describing a frame costs many times more than finding its row here. Only rows that follow from
// the frame alone belong here (not radio text, which builds up over the rows). A fixed table of
// kSlots rows, each frame in the slot its hash picks, a newer one replacing the older: the memory
// stays the same however long the capture.
class CRepeatedRows {
public:
    static constexpr std::size_t kSlots = 4096;

    CRepeatedRows() : m_slots(std::make_unique<std::array<Slot, kSlots>>()) {}

    // The row printed for these frame bytes, or null.
    const std::string* Find(std::string_view frame) const;
    void Remember(std::string_view frame, std::string_view row);

private:
    struct Slot {
        std::string frame;
        std::string row;
        bool used = false;
    };
    static std::size_t SlotOf(std::string_view frame);

    std::unique_ptr<std::array<Slot, kSlots>> m_slots;
};
