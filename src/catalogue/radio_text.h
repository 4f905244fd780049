#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// The RDS radio text as it builds up from segments: 64 characters, each received segment
// overwriting 2 or 4 of them, until an empty segment clears it. Each stream of received packets
// (a port's log, a decoded capture, one side of a watched line) owns its own, so that two streams
// never mix their texts. Not locked: only the thread that describes that stream may touch it.
class CRadioText {
public:
    static constexpr std::size_t kLength = 64;

    // Takes one RDS RT response's content (position byte, then the segment) and returns its
    // description; a rejected segment leaves the text as it was.
    std::string Apply(const std::uint8_t* bytes, int count);

    // The characters before the first zero: empty at the start and after a clear, else all 64.
    std::string_view Visible() const;

    // Back to the state at program start.
    void Reset() { m_text.fill('\0'); }

private:
    std::array<char, kLength + 1> m_text{};
};
