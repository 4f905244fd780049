#include "app/qt_platform_choice.h"

#include <algorithm>

std::optional<std::string> ChosenQtPlatform(bool underWine, const char* qpaPlatform,
                                            const std::vector<std::string>& args)
{
    if (!underWine || (qpaPlatform && *qpaPlatform))
        return std::nullopt;
    // Qt reads its options with one dash or two, each followed by its value as the next argument.
    const bool given = std::any_of(args.begin() + std::min<std::size_t>(1, args.size()), args.end(),
                                   [](const std::string& arg) { return arg == "-platform" || arg == "--platform"; });
    if (given)
        return std::nullopt;
    return "windows:fontengine=freetype";
}
