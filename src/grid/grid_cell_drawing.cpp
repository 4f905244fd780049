#include "grid/grid_cell_base.h"

#include "grid/grid_ctrl.h"
#include "grid/grid_default_cell.h"
#include "platform/device_context.h"
#include "platform/system_colours.h"

bool CGridCellBase::Draw(CDC* dc, int /*row*/, int /*column*/, CRect rect, bool eraseBackground)
{
    CGridCtrl* grid = GetGrid();
    if (grid == nullptr || dc == nullptr || rect.Width() <= 0 || rect.Height() <= 0)
        return false;
    const CGridDefaultCell* def = GetDefaultCell();
    if (def == nullptr)
        return false;

    const int saved = dc->SaveDC();
    dc->SetBkMode(TRANSPARENT);
    const QPalette& palette = grid->palette();

    COLORREF textColour = GetTextColour() == CLR_DEFAULT ? def->GetTextColour() : GetTextColour();
    COLORREF backColour = GetBackColour() == CLR_DEFAULT ? def->GetBackColour() : GetBackColour();
    const bool selected = (GetState() & GRIDSTATE_SELECTED) != 0;

    if (IsFocused()) {
        if (selected) {
            backColour = GetSysColor(COLOR_HIGHLIGHT, palette);
            textColour = GetSysColor(COLOR_HIGHLIGHTTEXT, palette);
            eraseBackground = true;
        }
        // The fill also covers the grid-line pixels on the right and bottom; the frame does not.
        if (eraseBackground)
            dc->FillSolidRect(CRect(rect.left, rect.top, rect.right + 1, rect.bottom + 1), backColour);
        dc->FrameRect(rect, textColour);
        dc->SetTextColor(textColour);
        rect.DeflateRect(1, 1);
    } else if (selected) {
        dc->FillSolidRect(CRect(rect.left, rect.top, rect.right + 1, rect.bottom + 1),
                          GetSysColor(COLOR_HIGHLIGHT, palette));
        dc->SetTextColor(GetSysColor(COLOR_HIGHLIGHTTEXT, palette));
    } else {
        if (eraseBackground)
            dc->FillSolidRect(CRect(rect.left, rect.top, rect.right + 1, rect.bottom + 1), backColour);
        dc->SetTextColor(textColour);
    }

    if (IsFixed()) {
        const CPen light(CPen::PS_SOLID, 1, GetSysColor(COLOR_3DHIGHLIGHT, palette));
        const CPen dark(CPen::PS_SOLID, 1, GetSysColor(COLOR_3DDKSHADOW, palette));
        const CPen* oldPen = dc->SelectObject(&light);
        dc->MoveTo(rect.right, rect.top);
        dc->LineTo(rect.left, rect.top);
        dc->LineTo(rect.left, rect.bottom);
        dc->SelectObject(&dark);
        dc->MoveTo(rect.right, rect.top);
        dc->LineTo(rect.right, rect.bottom);
        dc->LineTo(rect.left, rect.bottom);
        dc->SelectObject(oldPen);
        rect.DeflateRect(1, 1);
    }

    if (const CFont* font = GetFontObject())
        dc->SelectObject(font);
    const int margin = static_cast<int>(GetMargin());
    rect.left += margin;
    rect.right -= margin;
    GetTextRect(&rect);
    dc->DrawText(GetText(), rect, GetFormat() | DT_NOPREFIX);

    dc->RestoreDC(saved);
    return true;
}

bool CGridCellBase::GetTextRect(CRect* /*rect*/) { return true; }

CSize CGridCellBase::GetTextExtent(const char* text, CDC* dc)
{
    std::unique_ptr<CDC> windowDC;
    if (dc == nullptr) {
        if (CGridCtrl* grid = GetGrid())
            windowDC = grid->GetDC();
        dc = windowDC.get();
        if (dc == nullptr) {
            const CGridDefaultCell* def = GetDefaultCell();
            return def != nullptr ? CSize(def->GetWidth(), def->GetHeight()) : CSize();
        }
    }
    const CFont* font = GetFontObject();
    const CFont* oldFont = font != nullptr ? dc->SelectObject(font) : nullptr;
    CSize size = dc->GetTextExtent(text);
    const int overhang = dc->GetTextMetrics().tmOverhang;
    if (font != nullptr)
        dc->SelectObject(oldFont);
    const unsigned margin = GetMargin();
    size.cx = ExtentWidth(size.cx, overhang, margin);
    size.cy += 2 * static_cast<int>(margin);
    return size;
}

CSize CGridCellBase::GetCellExtent(CDC* dc) { return GetTextExtent(GetText(), dc); }
