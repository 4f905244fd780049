#include "receive_framer.h"

#include "command_packet.h"

#include <algorithm>

void CReceiveFramer::Reset()
{
    m_state = State::Idle;
    m_sum = 0;
    m_escapePending = false;
    m_frame.Clear();
    m_payload.Clear();
}

void CReceiveFramer::HandBroken()
{
    m_sink.OnFrame(m_frame, nullptr, false);
}

void CReceiveFramer::AbortFrame()
{
    if (m_frame.Empty())
        return;
    HandBroken();
    Reset();
}

void CReceiveFramer::PutByte(std::uint8_t b)
{
    // A frame that outgrows what a device sends is shown rather than dropped: a test tool must
    // not lose what the line carried.
    if (m_frame.Count() >= kMaxFrame) {
        HandBroken();
        Reset();
    }
    m_frame.Append(b);
    if (b < Packet::kFirstPlain)
        m_escapePending = false;

    if (b == Packet::kStart) {
        if (m_state != State::Idle) {
            m_frame.RemoveLast();
            HandBroken();
            m_sum = 0;
            m_escapePending = false;
            m_payload.Clear();
            m_frame.Clear();
            m_frame.Append(Packet::kStart);
        }
        m_state = State::Payload;
        return;
    }
    if (b == Packet::kEnd) {
        if (m_state == State::Payload) {
            m_state = State::Checksum;
        } else {
            HandBroken();
            Reset();
        }
        return;
    }
    if (m_state != State::Idle && b >= Packet::kFirstPlain) {
        std::uint8_t value = b;
        if (b == Packet::kEscape && !m_escapePending) {
            m_escapePending = true;
            return;
        }
        if (m_escapePending) {
            m_escapePending = false;
            if (b != Packet::kEscape)
                value = static_cast<std::uint8_t>(b & ~Packet::kEscapeBit);
        }
        if (m_state == State::Payload) {
            m_payload.Append(value);
            m_sum = static_cast<std::uint8_t>(m_sum + value);
            return;
        }
        if (value == static_cast<std::uint8_t>(~m_sum))
            m_sink.OnFrame(m_frame, &m_payload, false);
        else
            m_sink.OnFrame(m_frame, nullptr, true);
        Reset();
        return;
    }
    HandBroken();
    Reset();
}

std::size_t CReceiveFramer::PlainRun(std::span<const std::uint8_t> bytes) const
{
    if (m_state != State::Payload || m_escapePending || m_frame.Count() >= kMaxFrame)
        return 0;
    const std::size_t most = std::min(bytes.size(), kMaxFrame - m_frame.Count());
    std::size_t n = 0;
    while (n < most && bytes[n] >= Packet::kFirstPlain && bytes[n] != Packet::kEscape)
        ++n;
    return n;
}

void CReceiveFramer::PutBytes(std::span<const std::uint8_t> bytes)
{
    while (!bytes.empty()) {
        const std::size_t run = PlainRun(bytes);
        if (run == 0) {
            PutByte(bytes.front());
            bytes = bytes.subspan(1);
            continue;
        }
        std::uint8_t sum = m_sum;
        for (const std::uint8_t b : bytes.first(run)) {
            m_frame.Append(b);
            m_payload.Append(b);
            sum = static_cast<std::uint8_t>(sum + b);
        }
        m_sum = sum;
        bytes = bytes.subspan(run);
    }
}
