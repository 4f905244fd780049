#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string_view>

// How a simulated device can get one variable wrong, so that a test can show its failures.
enum class Misbehaviour {
    WrongValue,  // answers with a value the catalogue cannot read
    Silent,      // never answers for the variable
    BadChecksum, // answers, but the packet's checksum is wrong
};

// Variable id to what goes wrong with it.
using MisbehaviourMap = std::map<std::uint8_t, Misbehaviour>;

// "wrong", "silent" or "bad-checksum".
std::optional<Misbehaviour> ParseMisbehaviour(std::string_view word);
