#pragma once

#include <regex>

// An expect step's pattern, compiled once when the script is read. Kept out of script.h so that
// only the code that compiles or matches patterns pays for <regex>.
struct CompiledPattern {
    std::regex regex;
};
