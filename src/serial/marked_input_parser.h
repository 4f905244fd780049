#pragma once

#include <cstdint>
#include <span>

// Undoes the kernel's marking of line errors in the input stream (PARMRK): a byte c received with
// a framing or parity error arrives as FF 00 c, a break as FF 00 00, and a real FF as FF FF. The
// state is kept between chunks, so a mark may be split across reads.
class CMarkedInputParser {
public:
    // onByte(std::uint8_t) for each data byte, onMark(std::uint8_t c) for each marked byte
    // (c is 0 for a break), in stream order.
    template <typename OnByte, typename OnMark>
    void Feed(std::span<const std::uint8_t> raw, OnByte&& onByte, OnMark&& onMark)
    {
        for (const std::uint8_t b : raw) {
            switch (m_state) {
            case State::Plain:
                if (b == 0xFF)
                    m_state = State::AfterFF;
                else
                    onByte(b);
                break;
            case State::AfterFF:
                if (b == 0x00) {
                    m_state = State::AfterFF00;
                } else {
                    // FF FF is a real FF. Anything else cannot come from the kernel while marking
                    // is on; keep both bytes rather than lose one.
                    m_state = State::Plain;
                    onByte(0xFF);
                    if (b != 0xFF)
                        onByte(b);
                }
                break;
            case State::AfterFF00:
                m_state = State::Plain;
                onMark(b);
                break;
            }
        }
    }

    void Reset() { m_state = State::Plain; }

private:
    enum class State { Plain, AfterFF, AfterFF00 };
    State m_state = State::Plain;
};
