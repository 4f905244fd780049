#include "script/script_parser.h"

#include "catalogue/model_argument.h"
#include "catalogue/variable_argument.h"
#include "protocol/byte_text.h"
#include "protocol/command_packet.h"
#include "script/command_composer.h"
#include "script/compiled_pattern.h"
#include "script/script_words.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace {

// A day: longer waits are typing mistakes, and the count stays far from any overflow.
constexpr unsigned long long kLongestMs = 24ull * 60 * 60 * 1000;
constexpr unsigned long long kMostRepeats = 1'000'000'000;
// A description is one line; a longer pattern is the wrong text.
constexpr std::size_t kLongestPattern = 1000;
// Repeat blocks nest for soak tests inside soak tests; deeper nesting is a runaway generator.
constexpr std::size_t kDeepestNesting = 100;

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

// The line without its comment: a # at the start or after white space, outside double quotes.
std::string_view WithoutComment(std::string_view line)
{
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"')
            quoted = !quoted;
        else if (line[i] == '#' && !quoted && (i == 0 || std::isspace(static_cast<unsigned char>(line[i - 1]))))
            return line.substr(0, i);
    }
    return line;
}

// The first word and the text after it.
std::pair<std::string_view, std::string_view> FirstWord(std::string_view text)
{
    std::size_t end = 0;
    while (end < text.size() && !std::isspace(static_cast<unsigned char>(text[end])))
        ++end;
    return {text.substr(0, end), Trimmed(text.substr(end))};
}

std::optional<unsigned long long> ReadCount(std::string_view word, unsigned long long most)
{
    unsigned long long value = 0;
    const auto [end, failure] = std::from_chars(word.data(), word.data() + word.size(), value);
    if (word.empty() || failure != std::errc{} || end != word.data() + word.size() || value > most)
        return std::nullopt;
    return value;
}

class Parser {
public:
    Parser(std::string_view text, const std::string& file) : m_text(text) { m_result.script.file = file; }

    ParsedScript Run()
    {
        std::vector<std::vector<ScriptStep>*> blocks{&m_result.script.steps};
        std::vector<ScriptStep*> open; // the repeat steps whose end is still to come
        std::size_t pos = 0;
        while (pos <= m_text.size() && !m_result.error) {
            const std::size_t newline = m_text.find('\n', pos);
            const std::string_view raw = m_text.substr(pos, newline == std::string_view::npos ? newline : newline - pos);
            pos = newline == std::string_view::npos ? m_text.size() + 1 : newline + 1;
            ++m_line;
            const std::string_view line = Trimmed(WithoutComment(raw));
            if (line.empty())
                continue;
            const auto [keyword, rest] = FirstWord(line);
            if (Is(keyword, "end")) {
                if (!rest.empty())
                    Fail("end takes nothing after it");
                else if (open.empty())
                    Fail("end without repeat");
                else {
                    open.pop_back();
                    blocks.pop_back();
                }
                continue;
            }
            if (Is(keyword, "model")) {
                ReadModel(rest);
                continue;
            }
            if (Is(keyword, "allow")) {
                if (SameIgnoringCase(rest, "errors"))
                    m_allowErrors = true;
                else
                    Fail("write \"allow errors\"");
                continue;
            }
            ScriptStep step;
            step.line = m_line;
            step.text = std::string(line);
            if (!ReadStep(keyword, rest, step))
                continue;
            blocks.back()->push_back(std::move(step));
            if (blocks.back()->back().kind == ScriptStep::Kind::Repeat) {
                if (open.size() == kDeepestNesting) {
                    Fail("repeats nest at most " + std::to_string(kDeepestNesting) + " deep");
                    continue;
                }
                open.push_back(&blocks.back()->back());
                blocks.push_back(&open.back()->body);
            }
        }
        if (!m_result.error && !open.empty())
            Fail(open.back()->line, "repeat without end");
        if (!m_result.error && m_result.script.steps.empty())
            Fail(1, "the script has no steps");
        return std::move(m_result);
    }

private:
    static bool Is(std::string_view word, std::string_view keyword) { return SameIgnoringCase(word, keyword); }

    void Fail(std::string reason) { Fail(m_line, std::move(reason)); }
    void Fail(int line, std::string reason)
    {
        if (!m_result.error)
            m_result.error = ScriptError{m_result.script.file, line, std::move(reason)};
    }

    bool ReadStep(std::string_view keyword, std::string_view rest, ScriptStep& step)
    {
        if (Is(keyword, "send"))
            return ReadSend(rest, step);
        if (Is(keyword, "expect"))
            return ReadExpect(rest, step);
        if (Is(keyword, "wait"))
            return ReadWait(rest, step);
        if (Is(keyword, "repeat"))
            return ReadRepeat(rest, step);
        Fail("unknown step \"" + std::string(keyword)
             + "\": a step is model, send, expect, wait, repeat ... end, or allow errors");
        return false;
    }

    void ReadModel(std::string_view rest)
    {
        const auto words = SplitWords(rest);
        if (!words || words->size() != 1) {
            Fail(words ? "model takes one name (in double quotes when it has spaces)" : "a double quote is not closed");
            return;
        }
        if (m_result.script.model) {
            Fail("the model is named twice (first on line " + std::to_string(m_result.script.modelLine) + ")");
            return;
        }
        if (FindModelArgument(words->front()) < 0) {
            Fail(UnknownModelText(words->front()));
            return;
        }
        m_result.script.model = words->front();
        m_result.script.modelLine = m_line;
    }

    bool ReadSend(std::string_view rest, ScriptStep& step)
    {
        const auto words = SplitWords(rest);
        if (!words) {
            Fail("a double quote is not closed");
            return false;
        }
        if (words->empty()) {
            Fail("send needs byte values or a message type");
            return false;
        }
        step.kind = ScriptStep::Kind::Send;
        step.words = *words;
        const ByteTextResult bytes = ReadByteText(rest);
        step.raw = bytes.error.empty() && rest.find('"') == std::string_view::npos;
        if (!step.raw)
            return true; // composed once the model is known
        if (bytes.bytes.size() > CCommandPacket::kMaxPayload) {
            Fail("a command holds at most " + std::to_string(CCommandPacket::kMaxPayload) + " bytes");
            return false;
        }
        step.command = CountedBytes(std::span(bytes.bytes));
        return true;
    }

    // "within N ms" at the end of an expect; the text before it is left in rest.
    bool ReadWithin(std::string_view& rest, Expectation& expect, bool required)
    {
        std::string_view text = rest;
        const auto cut = [&text]() {
            std::size_t end = text.size();
            while (end > 0 && !std::isspace(static_cast<unsigned char>(text[end - 1])))
                --end;
            const std::string_view word = text.substr(end);
            text = Trimmed(text.substr(0, end));
            return word;
        };
        const std::string_view unit = cut();
        const std::string_view number = cut();
        const std::string_view within = cut();
        if (!Is(within, "within") || !Is(unit, "ms")) {
            if (required)
                Fail("write \"within N ms\" at the end");
            return !required;
        }
        const auto ms = ReadCount(number, kLongestMs);
        if (!ms || *ms == 0) {
            Fail("\"" + std::string(number) + "\" is not a time from 1 to " + std::to_string(kLongestMs) + " ms");
            return false;
        }
        expect.within = std::chrono::milliseconds(*ms);
        rest = text;
        return true;
    }

    bool ReadExpect(std::string_view rest, ScriptStep& step)
    {
        step.kind = ScriptStep::Kind::Expect;
        Expectation& expect = step.expect;
        expect.allowErrors = m_allowErrors;
        if (Is(rest, "nothing") || Is(FirstWord(rest).first, "nothing")) {
            expect.kind = Expectation::Kind::Nothing;
            if (!ReadWithin(rest, expect, true))
                return false;
            if (!Is(rest, "nothing")) {
                Fail("write \"expect nothing within N ms\"");
                return false;
            }
            return true;
        }
        if (!ReadWithin(rest, expect, false))
            return false;
        if (rest.empty()) {
            Fail("expect needs a description, /pattern/, payload BYTES or nothing");
            return false;
        }
        if (rest.front() == '/') {
            if (rest.size() < 2 || rest.back() != '/') {
                Fail("a pattern ends with /");
                return false;
            }
            expect.kind = Expectation::Kind::Regex;
            expect.text = std::string(rest.substr(1, rest.size() - 2));
            if (expect.text.size() > kLongestPattern) {
                Fail("a pattern holds at most " + std::to_string(kLongestPattern) + " characters");
                return false;
            }
            std::string error;
            expect.pattern = CompiledPattern::Compile(expect.text, error);
            if (!expect.pattern) {
                Fail("the pattern /" + expect.text + "/ cannot be read: " + error);
                return false;
            }
            return true;
        }
        const auto [first, bytesText] = FirstWord(rest);
        if (Is(first, "payload")) {
            const ByteTextResult bytes = ReadByteText(bytesText);
            if (!bytes.error.empty() || bytes.bytes.empty() || bytes.bytes.size() > CountedBytes::kCapacity) {
                Fail("expect payload needs byte values from 0 to 255"
                     + (bytes.error.empty() ? std::string() : ": " + bytes.error));
                return false;
            }
            expect.kind = Expectation::Kind::Payload;
            expect.payload = CountedBytes(std::span(bytes.bytes));
            expect.text = std::string(bytesText);
            return true;
        }
        expect.kind = Expectation::Kind::Description;
        expect.text = std::string(rest);
        if (expect.text.size() >= 2 && expect.text.front() == '"' && expect.text.back() == '"')
            expect.text = expect.text.substr(1, expect.text.size() - 2);
        return true;
    }

    bool ReadWait(std::string_view rest, ScriptStep& step)
    {
        const auto [number, unit] = FirstWord(rest);
        const auto ms = ReadCount(number, kLongestMs);
        if (!Is(unit, "ms") || !ms) {
            Fail("write \"wait N ms\" with N from 0 to " + std::to_string(kLongestMs));
            return false;
        }
        step.kind = ScriptStep::Kind::Wait;
        step.wait = std::chrono::milliseconds(*ms);
        return true;
    }

    bool ReadRepeat(std::string_view rest, ScriptStep& step)
    {
        const auto count = ReadCount(rest, kMostRepeats);
        if (!count || *count == 0) {
            Fail("write \"repeat N\" with N from 1 to " + std::to_string(kMostRepeats));
            return false;
        }
        step.kind = ScriptStep::Kind::Repeat;
        step.count = static_cast<std::size_t>(*count);
        return true;
    }

    std::string_view m_text;
    ParsedScript m_result;
    int m_line = 0;
    bool m_allowErrors = false;
};

bool AnyNamedSend(const std::vector<ScriptStep>& steps)
{
    for (const ScriptStep& step : steps)
        if ((step.kind == ScriptStep::Kind::Send && !step.raw) || AnyNamedSend(step.body))
            return true;
    return false;
}

std::optional<ScriptError> ComposeSteps(std::vector<ScriptStep>& steps, const std::string& file, int modelRow)
{
    for (ScriptStep& step : steps) {
        if (step.kind == ScriptStep::Kind::Send && !step.raw) {
            ComposedCommand composed = ComposeCommand(step.words, modelRow);
            if (!composed.error.empty())
                return ScriptError{file, step.line, composed.error};
            step.command = composed.payload;
        }
        if (auto error = ComposeSteps(step.body, file, modelRow))
            return error;
    }
    return std::nullopt;
}

} // namespace

std::string ScriptError::Text() const
{
    return file + ":" + std::to_string(line) + ": " + reason;
}

ParsedScript ParseScript(std::string_view text, const std::string& file)
{
    return Parser(text, file).Run();
}

bool NeedsModel(const Script& script)
{
    return AnyNamedSend(script.steps);
}

std::optional<ScriptError> ComposeScript(Script& script, int modelRow)
{
    return ComposeSteps(script.steps, script.file, modelRow);
}
