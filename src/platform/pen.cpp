#include "platform/pen.h"

const CPen* GetStockPen(int which)
{
    static const CPen black(CPen::PS_SOLID, 1, RGB(0, 0, 0));
    static const CPen none(CPen::PS_NULL, 0, 0);
    return which == NULL_PEN ? &none : &black;
}
