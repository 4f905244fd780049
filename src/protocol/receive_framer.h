#pragma once

#include "counted_bytes.h"

#include <cstdint>
#include <span>

// Receives every frame the framer closes, in order. The buffers are reused as soon as the call
// returns, so a sink copies what it keeps.
class IFrameSink {
public:
    virtual ~IFrameSink() = default;
    // payload is null for checksum errors and broken frames.
    virtual void OnFrame(const CountedBytes& frame, const CountedBytes* payload, bool checksumError) = 0;
};

// Cuts a received byte stream into packets: finds start markers, undoes the escaping, checks the
// checksum. Every byte received ends up in exactly one closed frame.
class CReceiveFramer {
public:
    // The longest frame a device sends; a longer one is handed on as broken at this length.
    static constexpr std::size_t kMaxFrame = 128;

    enum class State { Idle, Payload, Checksum };

    explicit CReceiveFramer(IFrameSink& sink) : m_sink(sink) {}

    void PutByte(std::uint8_t b);
    // The same as PutByte for each byte in turn; a run of plain payload bytes goes in at once.
    void PutBytes(std::span<const std::uint8_t> bytes);
    // A read failed: a partly gathered frame is closed as broken.
    void AbortFrame();

    State GetState() const { return m_state; }
    std::size_t PendingCount() const { return m_frame.Count(); }

private:
    void Reset();
    void HandBroken();
    // The length of the run of plain payload bytes at the start of the bytes, as far as the
    // frame has room: bytes that PutByte would only add to the frame, the payload and the sum.
    std::size_t PlainRun(std::span<const std::uint8_t> bytes) const;

    IFrameSink& m_sink;
    State m_state = State::Idle;
    CountedBytes m_frame;
    CountedBytes m_payload;
    std::uint8_t m_sum = 0;
    bool m_escapePending = false;
};
