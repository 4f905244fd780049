// Any script text is read without undefined behaviour: it becomes steps or one error with a line
// inside the text, and its commands compose for any model to at most 127 bytes or an error.
#include "catalogue/catalogue_tables.h"
#include "protocol/command_packet.h"
#include "script/script_parser.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>

namespace {

void CheckCommands(const std::vector<ScriptStep>& steps)
{
    for (const ScriptStep& step : steps) {
        if (step.kind == ScriptStep::Kind::Send && step.command.Count() > CCommandPacket::kMaxPayload)
            std::abort();
        CheckCommands(step.body);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    ParsedScript parsed = ParseScript(text, "fuzz.vxs");
    if (parsed.error) {
        const auto lines = static_cast<int>(std::count(text.begin(), text.end(), '\n')) + 1;
        if (parsed.error->line < 1 || parsed.error->line > lines || parsed.error->reason.empty())
            std::abort();
        return 0;
    }
    for (int model = 0; model < static_cast<int>(kModelCount); ++model) {
        Script script = parsed.script;
        if (!ComposeScript(script, model))
            CheckCommands(script.steps);
    }
    return 0;
}
