#include "script/compiled_pattern.h"

#include <re2/re2.h>

CompiledPattern::CompiledPattern(std::unique_ptr<re2::RE2> regex) : m_regex(std::move(regex)) {}

CompiledPattern::~CompiledPattern() = default;

std::shared_ptr<const CompiledPattern> CompiledPattern::Compile(std::string_view pattern, std::string& error,
                                                                bool caseSensitive)
{
    re2::RE2::Options options;
    // Rows are UTF-8 text, device bytes in them Latin-1 characters: "." is one character, and
    // \xE9 in a pattern is "é", the character a device's byte 0xE9 became.
    options.set_encoding(re2::RE2::Options::EncodingUTF8);
    // The reason goes to the caller, not to standard error.
    options.set_log_errors(false);
    options.set_case_sensitive(caseSensitive);
    auto regex = std::make_unique<re2::RE2>(re2::StringPiece(pattern.data(), pattern.size()), options);
    if (!regex->ok()) {
        error = regex->error();
        return nullptr;
    }
    return std::shared_ptr<const CompiledPattern>(new CompiledPattern(std::move(regex)));
}

bool CompiledPattern::MatchesWhole(std::string_view text) const
{
    return re2::RE2::FullMatch(re2::StringPiece(text.data(), text.size()), *m_regex);
}

bool CompiledPattern::MatchesPart(std::string_view text) const
{
    return re2::RE2::PartialMatch(re2::StringPiece(text.data(), text.size()), *m_regex);
}
