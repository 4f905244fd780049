#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>

// A byte sequence of the wire protocol: typed commands, encoded packets, received frames and
// payloads. The count is not limited to one byte because the packet of a 127-byte payload can
// take up to 258 bytes once every byte is escaped, and such a packet is sent whole.
class CountedBytes {
public:
    static constexpr std::size_t kCapacity = 258;

    CountedBytes() = default;
    CountedBytes(std::initializer_list<std::uint8_t> bytes);
    explicit CountedBytes(std::span<const std::uint8_t> bytes);

    std::size_t Count() const { return m_count; }
    bool Empty() const { return m_count == 0; }
    bool Full() const { return m_count == kCapacity; }

    // Data byte at a zero-based index; callers check the index against Count().
    std::uint8_t operator[](std::size_t index) const { return m_data[index]; }
    const std::uint8_t* Data() const { return m_data.data(); }
    std::span<const std::uint8_t> Bytes() const { return {m_data.data(), m_count}; }

    // Returns false, changing nothing, when the buffer is full.
    bool Append(std::uint8_t byte)
    {
        if (m_count == kCapacity)
            return false;
        m_data[m_count++] = byte;
        return true;
    }
    void RemoveLast()
    {
        if (m_count > 0)
            --m_count;
    }
    void Clear() { m_count = 0; }

    friend bool operator==(const CountedBytes& a, const CountedBytes& b);

private:
    std::size_t m_count = 0;
    std::array<std::uint8_t, kCapacity> m_data{};
};

// The display text of a byte sequence: each byte in unsigned decimal, joined by ", ".
std::string FormatBytes(std::span<const std::uint8_t> bytes);
// The same text appended to out.
void AppendBytesText(std::string& out, std::span<const std::uint8_t> bytes);
inline std::string FormatBytes(const CountedBytes& bytes) { return FormatBytes(bytes.Bytes()); }
