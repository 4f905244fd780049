#pragma once

#include <QString>

#include <string_view>

// Cell text is UTF-8 (device bytes were made Latin-1 characters when their row was made), with
// no line breaks or tab stops.
QString DisplayText(const char* text);
QString DisplayText(std::string_view text);
