#pragma once

#include "script/script.h"

#include <optional>
#include <string>
#include <string_view>

// Reads the text of a test script. Commands written by name are checked for form here and
// composed later, once the model is known (ComposeScript).
struct ParsedScript {
    Script script;
    std::optional<ScriptError> error; // the first line that could not be read
};

ParsedScript ParseScript(std::string_view text, const std::string& file);

// Whether any send step names its message type or variable, so that the model must be known.
bool NeedsModel(const Script& script);

// Composes every named send step for the model; the first that cannot be composed is the error.
std::optional<ScriptError> ComposeScript(Script& script, int modelRow);
