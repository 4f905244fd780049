#include "simulator/misbehaviour.h"

std::optional<Misbehaviour> ParseMisbehaviour(std::string_view word)
{
    if (word == "wrong")
        return Misbehaviour::WrongValue;
    if (word == "silent")
        return Misbehaviour::Silent;
    if (word == "bad-checksum")
        return Misbehaviour::BadChecksum;
    return std::nullopt;
}
