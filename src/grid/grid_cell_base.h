#pragma once

#include "grid/grid_row_cells.h"
#include "grid/grid_state.h"
#include "platform/colour.h"
#include "platform/geometry.h"
#include "platform/runtime_class.h"

class CDC;
class CFont;
class CGridCtrl;
class CGridDefaultCell;
struct LOGFONT;

// The cell interface. The grid reads cells only through these operations; this class answers
// the "nothing stored" values and implements drawing and measuring once for every cell class.
class CGridCellBase : public CObject {
public:
    CGridCellBase() = default;
    ~CGridCellBase() override = default;
    CGridCellBase(const CGridCellBase&) = delete;
    CGridCellBase& operator=(const CGridCellBase&) = delete;

    static const CRuntimeClass classCGridCellBase;
    const CRuntimeClass* GetRuntimeClass() const override;

    virtual void SetText(const char* /*text*/) {}
    virtual void SetState(unsigned state);
    virtual void SetFormat(unsigned /*format*/) {}
    virtual void SetTextColour(COLORREF /*colour*/) {}
    virtual void SetBackColour(COLORREF /*colour*/) {}
    virtual void SetFont(const LOGFONT* /*font*/) {}
    virtual void SetMargin(unsigned /*margin*/) {}
    virtual void SetGrid(CGridCtrl* /*grid*/) {}
    virtual void SetCoords(int /*row*/, int /*column*/) {}

    virtual const char* GetText() const { return nullptr; }
    virtual const char* GetTipText() const { return GetText(); }
    // A cell placed in a grid answers the selected bit from the grid's selection.
    virtual unsigned GetState() const;
    virtual unsigned GetFormat() const { return 0; }
    virtual COLORREF GetTextColour() const { return 0; }
    virtual COLORREF GetBackColour() const { return 0; }
    virtual const LOGFONT* GetFont() const { return nullptr; }
    virtual const CFont* GetFontObject() const { return nullptr; }
    virtual CGridCtrl* GetGrid() const { return nullptr; }
    virtual unsigned GetMargin() const { return 0; }
    // The grid's template whose attributes this cell inherits, chosen by the fixed bits.
    virtual CGridDefaultCell* GetDefaultCell() const;

    virtual bool IsFocused() const { return (GetState() & GRIDSTATE_FOCUSED) != 0; }
    virtual bool IsFixed() const { return (GetState() & GRIDSTATE_FIXED) != 0; }
    virtual bool IsFixedColumn() const { return (GetState() & GRIDSTATE_FIXEDCOL) != 0; }
    virtual bool IsFixedRow() const { return (GetState() & GRIDSTATE_FIXEDROW) != 0; }

    virtual void Reset();

    // rect is inclusive: right and bottom are the cell's last pixel column and row.
    virtual bool Draw(CDC* dc, int row, int column, CRect rect, bool eraseBackground);
    virtual bool GetTextRect(CRect* rect);
    virtual bool GetTipTextRect(CRect* rect) { return GetTextRect(rect); }
    // dc may be null: the grid window's context is used.
    virtual CSize GetTextExtent(const char* text, CDC* dc);
    // The width GetTextExtent gives a text of this width: the overhang and two margins either side.
    static int ExtentWidth(int textWidth, int overhang, unsigned margin) { return textWidth + overhang + 4 * static_cast<int>(margin); }
    virtual CSize GetCellExtent(CDC* dc);

    virtual bool OnSetCursor();

protected:
    // Tells the grid that what the cell measures may have changed (text, font, format, margin,
    // or the template it inherits from).
    void ContentChanged();

private:
    friend class CGridCtrl;

    // Where the grid placed the cell and what its column width tally holds for it. The row is
    // kept as the grid stores it (CGridCtrl::PlacedRow reads it), so that removing rows renumbers
    // only the cells on the shorter side of the gap; -1 while the cell is not placed.
    struct Slot {
        int storedRow = -1;
        int column = -1;
        CCellExtent extent;
    };

    unsigned m_state = 0;
    Slot m_slot;
};
