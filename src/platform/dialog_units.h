#pragma once

#include <QRect>
#include <QSize>

class QFont;

// Converts dialog units to pixels for one font: a horizontal unit is a quarter of the font's average
// character width, a vertical unit an eighth of its height, so a dialog grows with the user's font.
class CDialogUnits {
public:
    explicit CDialogUnits(const QFont& font);
    CDialogUnits(int baseX, int baseY) : m_baseX(baseX), m_baseY(baseY) {}

    int BaseX() const { return m_baseX; }
    int BaseY() const { return m_baseY; }

    // Maps the four edges separately, so neighbouring controls that touch in dialog units still touch.
    QRect MapDialogRect(const QRect& dialogUnits) const;
    QSize MapDialogSize(const QSize& dialogUnits) const;

private:
    int m_baseX;
    int m_baseY;
};
