#pragma once

#include <optional>
#include <string>
#include <vector>

// The Qt platform the program asks for itself, if any. Under Wine, text drawn by Qt's default
// font engine on Windows (DirectWrite) does not show in line edits, while FreeType's does, so
// there the answer is "windows:fontengine=freetype". The user's own choice wins: nothing is chosen
// when QT_QPA_PLATFORM is set (`qpaPlatform`, null when unset) or the arguments hold -platform.
// On Windows itself and on other systems Qt's default stays.
std::optional<std::string> ChosenQtPlatform(bool underWine, const char* qpaPlatform,
                                            const std::vector<std::string>& args);

// True when the program runs under Wine (wine_detection_win32.cpp); never elsewhere.
bool RunningUnderWine();
