#pragma once

#include <CLI/CLI.hpp>

#include <optional>
#include <string>

// The range a numeric option accepts, and whether it takes whole numbers only. Both ends are
// plain figures a double holds exactly (whole numbers up to 2^53).
struct NumberRange {
    double min;
    double max;
    bool whole = false;
};

// Reads a number given on the command line. Anything but a plain number inside the range (nan,
// infinity, trailing text, a fraction where a count is wanted, a value beyond the range however
// many digits it has) throws CLI::ValidationError naming the option, which ends the program with
// exit status 2 before anything has run.
double ReadNumber(const std::string& option, const std::string& text, NumberRange range);

// A figure as people write it: 0.001, 86400, never 1e+09.
std::string PlainFigure(double value);

template <typename T>
struct NumberTarget {
    using type = T;
};
template <typename T>
struct NumberTarget<std::optional<T>> {
    using type = T;
};

// Adds a numeric option read through ReadNumber, its range shown in the help; target is an
// arithmetic type, or an optional of one, that holds the whole range.
template <typename T>
CLI::Option* AddNumberOption(CLI::App& cmd, const std::string& name, T& target, NumberRange range,
                             const std::string& help)
{
    return cmd.add_option_function<std::string>(
        name,
        [&target, name, range](const std::string& text) {
            target = static_cast<typename NumberTarget<T>::type>(ReadNumber(name, text, range));
        },
        help + " (" + PlainFigure(range.min) + " to " + PlainFigure(range.max) + ")")
        ->type_name(range.whole ? "N" : "NUMBER");
}
