#pragma once

#include "catalogue/value_encoders.h"
#include "protocol/counted_bytes.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// A command written with names, composed through the catalogue as the Build Command window
// composes it: message type and variable by name or number, in any case; a Set value by the name
// of one of the variable's listed values, or as a number read by the variable's own encoder.
struct ComposedCommand {
    CountedBytes payload;
    std::string error; // empty when the payload is the command
};

ComposedCommand ComposeCommand(const std::vector<std::string>& words, int modelRow);

