#pragma once

#include "platform/colour.h"

class QPalette;

// System colours by their Windows index, read from a widget's palette. A palette change of the
// widget is the moment these colours change.
enum SystemColourIndex : int {
    COLOR_WINDOW = 5,
    COLOR_WINDOWTEXT = 8,
    COLOR_HIGHLIGHT = 13,
    COLOR_HIGHLIGHTTEXT = 14,
    COLOR_BTNFACE = 15,
    COLOR_BTNSHADOW = 16,
    COLOR_3DHIGHLIGHT = 20,
    COLOR_3DDKSHADOW = 21,
    COLOR_INFOBK = 24,
};

// The colour of a known index in the palette's active group; 0 for an index without a mapping.
COLORREF GetSysColor(int index, const QPalette& palette);
