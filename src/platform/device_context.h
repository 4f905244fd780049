#pragma once

#include "platform/colour.h"
#include "platform/font_object.h"
#include "platform/geometry.h"
#include "platform/pen.h"

#include <memory>
#include <vector>

class QPainter;

// Text format flags of DrawText. Text is always output on one line.
enum DrawTextFormat : unsigned {
    DT_LEFT = 0x0000,
    DT_CENTER = 0x0001,
    DT_RIGHT = 0x0002,
    DT_VCENTER = 0x0004,
    DT_BOTTOM = 0x0008,
    DT_SINGLELINE = 0x0020,
    DT_NOCLIP = 0x0100,
    DT_NOPREFIX = 0x0800,
    DT_END_ELLIPSIS = 0x8000,
};

enum BackgroundMode : int { TRANSPARENT = 1, OPAQUE = 2 };
enum ClipBoxResult : int { RGN_ERROR = 0, NULLREGION = 1, SIMPLEREGION = 2 };

struct TEXTMETRIC {
    int tmHeight = 0;
    int tmAscent = 0;
    int tmDescent = 0;
    int tmOverhang = 0;
};

// A drawing context over a QPainter that keeps the platform's pixel rules: fills leave out the
// right and bottom edges, lines leave out their end point, text is Latin-1 on one line with TAB,
// CR and LF shown as spaces. Without a painter it only measures (a screen context).
class CDC {
public:
    // A measuring context whose font is the application's.
    CDC();
    // A measuring context whose font is the given one (a window's).
    explicit CDC(const QFont& font);
    // Draws with painter, which must outlive the context. The font is the painter's current one.
    explicit CDC(QPainter* painter);
    virtual ~CDC();
    CDC(const CDC&) = delete;
    CDC& operator=(const CDC&) = delete;

    QPainter* GetPainter() const { return m_painter; }

    // SaveDC answers the new save level; RestoreDC(-1) goes back one level, RestoreDC(n) to
    // the state saved by the call that answered n.
    int SaveDC();
    bool RestoreDC(int savedDC);

    int SetBkMode(int mode);
    int GetBkMode() const { return m_state.bkMode; }
    COLORREF SetTextColor(COLORREF colour);
    COLORREF GetTextColor() const { return m_state.textColour; }
    COLORREF SetBkColor(COLORREF colour);
    COLORREF GetBkColor() const { return m_state.bkColour; }
    // Each answers the object selected before. Selecting null keeps the current one.
    const CFont* SelectObject(const CFont* font);
    const CPen* SelectObject(const CPen* pen);
    const CFont* GetCurrentFont() const { return m_state.font; }
    const CPen* GetCurrentPen() const { return m_state.pen; }

    // Fills from (left, top) up to but not including right and bottom.
    void FillSolidRect(const CRect& rect, COLORREF colour);
    // A one-pixel frame along the inside of the rectangle (right and bottom excluded).
    void FrameRect(const CRect& rect, COLORREF colour);
    CPoint MoveTo(int x, int y);
    // A line in the current pen from the current position up to, not including, (x, y).
    bool LineTo(int x, int y);

    // Answers the text's height; 0 when nothing could be drawn.
    int DrawText(const char* text, CRect rect, unsigned format);
    // Text with its top-left corner at (x, y), not clipped.
    bool TextOut(int x, int y, const char* text);
    CSize GetTextExtent(const char* text) const;
    TEXTMETRIC GetTextMetrics() const;

    // The bounding box of what may be drawn, in the context's coordinates.
    int GetClipBox(CRect* rect) const;

protected:
    void AttachPainter(QPainter* painter);

private:
    struct State {
        const CFont* font = nullptr;
        const CPen* pen = nullptr;
        COLORREF textColour = RGB(0, 0, 0);
        COLORREF bkColour = RGB(255, 255, 255);
        int bkMode = OPAQUE;
        CPoint position;
    };

    void FillPixels(int x, int y, int w, int h, COLORREF colour);
    void DrawLine(CPoint from, CPoint to);

    QPainter* m_painter = nullptr;
    CFont m_defaultFont;
    State m_state;
    std::vector<State> m_saved;
};

// A measuring context of the whole screen; null while no GUI application exists (there is no
// font database to measure with then).
std::unique_ptr<CDC> CreateScreenDC();
