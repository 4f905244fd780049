#pragma once

#include <QString>

// Cell text is bytes: one Latin-1 character per byte, and no line breaks or tab stops.
QString DisplayText(const char* text);
