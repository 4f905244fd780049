#pragma once

#include "protocol/counted_bytes.h"

#include <chrono>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

// A test script as read from its file: one step a line, repeat blocks nested.

struct CompiledPattern;

// What a received row must be for an expect step to pass.
struct Expectation {
    enum class Kind { Description, Regex, Payload, Nothing };
    Kind kind = Kind::Description;
    std::string text;                   // the description, or the pattern as written
    std::shared_ptr<const CompiledPattern> pattern; // Kind::Regex
    CountedBytes payload;               // Kind::Payload
    std::chrono::milliseconds within{1000};
    bool allowErrors = false; // checksum errors, broken packets and line errors do not fail it
};

struct ScriptStep {
    enum class Kind { Send, Expect, Wait, Repeat };
    Kind kind = Kind::Send;
    int line = 0;
    std::string text; // the line as written, without its comment

    // Send: the words after "send"; raw tells that they were byte values, sent as they are.
    std::vector<std::string> words;
    bool raw = false;
    CountedBytes command; // the payload to send, once composed for the model

    Expectation expect;              // Expect
    std::chrono::milliseconds wait{0}; // Wait
    std::size_t count = 0;           // Repeat: how many times body runs
    std::vector<ScriptStep> body;
};

struct Script {
    std::string file;
    std::optional<std::string> model; // from a "model" line
    int modelLine = 0;
    std::vector<ScriptStep> steps;
};

// Where and why a script cannot run.
struct ScriptError {
    std::string file;
    int line = 0;
    std::string reason;
    // "FILE:LINE: REASON"
    std::string Text() const;
};
