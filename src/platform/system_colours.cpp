#include "platform/system_colours.h"

#include <QPalette>

COLORREF GetSysColor(int index, const QPalette& palette)
{
    QPalette::ColorRole role;
    switch (index) {
    case COLOR_WINDOW: role = QPalette::Base; break;
    case COLOR_WINDOWTEXT: role = QPalette::Text; break;
    case COLOR_HIGHLIGHT: role = QPalette::Highlight; break;
    case COLOR_HIGHLIGHTTEXT: role = QPalette::HighlightedText; break;
    case COLOR_BTNFACE: role = QPalette::Button; break;
    case COLOR_BTNSHADOW: role = QPalette::Dark; break;
    case COLOR_3DHIGHLIGHT: role = QPalette::Light; break;
    case COLOR_3DDKSHADOW: role = QPalette::Shadow; break;
    case COLOR_INFOBK: role = QPalette::ToolTipBase; break;
    default: return 0;
    }
    return FromQColor(palette.color(QPalette::Active, role));
}
