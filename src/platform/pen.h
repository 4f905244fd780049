#pragma once

#include "platform/colour.h"

// A pen draws one-pixel lines; width 0 and 1 are the same. A null pen draws nothing.
struct CPen {
    enum Style : int { PS_SOLID = 0, PS_NULL = 5 };

    int style = PS_SOLID;
    int width = 1;
    COLORREF colour = 0;

    CPen() = default;
    CPen(int penStyle, int penWidth, COLORREF penColour) : style(penStyle), width(penWidth), colour(penColour) {}
};

enum StockPen : int { BLACK_PEN = 7, NULL_PEN = 8 };

// The platform's shared pens; never deleted.
const CPen* GetStockPen(int which);
