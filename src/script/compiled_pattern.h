#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace re2 {
class RE2;
}

// A pattern a user wrote, compiled once and matched on a linear-time engine (RE2): however the
// pattern is written and whatever text a device sends, a match takes time in proportion to the
// text, so no device can stall a test. RE2's syntax is close to ECMAScript's, without
// back-references or look-arounds. The text is taken byte by byte, as device text comes.
class CompiledPattern {
public:
    // Nothing, with RE2's reason, for a pattern it refuses. Without caseSensitive, letters match
    // either case (ASCII and Latin-1 letters, as RE2 folds them).
    static std::shared_ptr<const CompiledPattern> Compile(std::string_view pattern, std::string& error,
                                                          bool caseSensitive = true);
    ~CompiledPattern();
    CompiledPattern(const CompiledPattern&) = delete;
    CompiledPattern& operator=(const CompiledPattern&) = delete;

    // Whether the whole text matches.
    bool MatchesWhole(std::string_view text) const;
    // Whether some part of the text matches (for finding and filtering).
    bool MatchesPart(std::string_view text) const;

private:
    explicit CompiledPattern(std::unique_ptr<re2::RE2> regex);

    std::unique_ptr<re2::RE2> m_regex;
};
