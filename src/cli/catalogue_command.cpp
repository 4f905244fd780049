#include "cli_commands.h"
#include "console_output.h"
#include "catalogue/model_argument.h"

#include "catalogue/catalogue_lookup.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cctype>
#include <ostream>
#include <sstream>
#include <memory>
#include <string>

namespace {

// How a formatter reads the value bytes, in an engineer's words.
const char* FormatterLabel(ValueFormatter formatter)
{
    struct Label {
        ValueFormatter formatter;
        const char* text;
    };
    static constexpr Label kLabels[] = {
        {FormatText, "text"},
        {FormatLevel, "level in dB (1 byte signed dB, or 2 bytes signed 1/256 dB)"},
        {FormatByte, "byte"},
        {FormatByteList, "1 to 3 bytes"},
        {FormatWord, "word (2 bytes)"},
        {FormatFmFrequency, "FM frequency in MHz (2 bytes, 10 kHz steps)"},
        {FormatPlayTime, "play time (3 bytes: hours, minutes, seconds)"},
        {FormatSignedByte, "signed byte"},
        {FormatTitleChapter, "title and chapter (2 bytes)"},
    };
    for (const Label& label : kLabels)
        if (label.formatter == formatter)
            return label.text;
    return "no value text";
}

std::string ValueText(const VariableEntry& variable)
{
    if (variable.values == nullptr)
        return FormatterLabel(variable.formatter);
    std::string text;
    for (const ValueEntry* entry = variable.values; entry->text != nullptr; ++entry) {
        if (!text.empty())
            text += ", ";
        text += std::to_string(entry->value & 0xFF) + " - " + entry->text;
    }
    return text;
}

std::string TypeEntry(int type)
{
    return std::to_string(type) + " - " + CommandTypeName(type);
}

std::string TypeList(int modelRow)
{
    std::string text;
    for (int type : OfferedMessageTypes(modelRow)) {
        if (!text.empty())
            text += ", ";
        text += TypeEntry(type);
    }
    return text;
}

void PrintModels(std::ostream& out)
{
    for (int row = 0; row < static_cast<int>(kModelCount); ++row)
        out << row << " - " << ModelName(row) << ": " << TypeList(row) << '\n';
}

void PrintModel(std::ostream& out, int modelRow)
{
    out << modelRow << " - " << ModelName(modelRow) << ": " << TypeList(modelRow) << '\n';
    for (int type : OfferedMessageTypes(modelRow)) {
        const auto rows = OfferedVariables(modelRow, type);
        if (rows.empty())
            continue;
        out << '\n' << TypeEntry(type) << '\n';
        for (std::size_t row : rows) {
            const VariableEntry& variable = g_VariableTable[row];
            out << "  " << (variable.id & 0xFF) << " - " << variable.name << ": " << ValueText(variable)
                      << '\n';
        }
    }
}

int RunCatalogue(const std::string* model)
{
    std::ostringstream text;
    if (model == nullptr) {
        PrintModels(text);
    } else {
        const int row = FindModelArgument(*model);
        if (row < 0) {
            PrintError(UnknownModelText(*model));
            return 2;
        }
        PrintModel(text, row);
    }
    ConsoleOut& out = StandardOut();
    out.Write(text.str());
    return out.Finish();
}

} // namespace

void AddCatalogueCommand(CLI::App& app, CliResult& result)
{
    auto model = std::make_shared<std::string>();
    CLI::App* cmd = app.add_subcommand(
        "catalogue", "List the device models and their message types, or one model's variables and values");
    CLI::Option* modelOption = cmd->add_option("--model", *model, "model name (as the device reports it; any case)");
    cmd->callback([model, modelOption, &result] {
        result.exitCode = RunCatalogue(modelOption->count() > 0 ? model.get() : nullptr);
    });
}
