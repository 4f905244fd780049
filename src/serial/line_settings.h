#pragma once

#include <optional>
#include <string_view>

enum class Parity { None, Even, Odd, Mark, Space };

// How a port drives its line. A port is always opened with every one of these set, so what it
// does never depends on what an earlier program left behind.
struct LineSettings {
    unsigned baud = 9600; // one of the rates of VANTROLIX_BAUD_RATES
    unsigned dataBits = 8; // 5 to 8
    Parity parity = Parity::None;
    unsigned stopBits = 1; // 1 or 2
    bool dtr = true;
    bool rts = false;

    friend bool operator==(const LineSettings&, const LineSettings&) = default;
};

// The settings the tool always uses with its devices: 9600 baud, 8 data bits, no parity, 1 stop
// bit, DTR on (many devices listen only then) and RTS off.
inline constexpr LineSettings kDeviceLineSettings{};

// The baud rates a port can be set to, as X(rate) for each; every platform maps the same list to
// its own values, so a rate is either known everywhere or nowhere.
#define VANTROLIX_BAUD_RATES(X)                                                                            \
    X(50) X(75) X(110) X(134) X(150) X(200) X(300) X(600) X(1200) X(1800) X(2400) X(4800) X(9600)     \
    X(19200) X(38400) X(57600) X(115200) X(230400) X(460800) X(500000) X(576000) X(921600) X(1000000) \
    X(1152000) X(1500000) X(2000000) X(2500000) X(3000000) X(3500000) X(4000000)

bool IsBaudRate(unsigned baud);
// Whether every field is in its range, so that a port can be asked to take the settings.
bool IsValid(const LineSettings& settings);

// Reads settings written as a mode text, as a configuration file keeps them:
// "baud=9600 parity=N data=8 stop=1 dtr=on rts=off". Keys may come in any order and any case,
// separated by spaces; a key that is left out keeps its value in `base`. Nothing is returned for
// malformed text: an unknown key, a value out of range, a key given twice, or no key at all.
std::optional<LineSettings> ParseLineSettings(std::string_view text, const LineSettings& base = kDeviceLineSettings);
