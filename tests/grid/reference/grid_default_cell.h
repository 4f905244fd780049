#pragma once

#include "grid/reference/grid_cell.h"
#include "platform/font_object.h"

namespace reference {

// A template cell: supplies the attributes ordinary cells inherit, the width of new columns and
// the height of new rows, all measured from its font.
class CGridDefaultCell : public CGridCell {
public:
    // The format every template starts with: one left-aligned, vertically centred line that
    // ends in an ellipsis when cut.
    static constexpr unsigned kDefaultFormat = 0x8824;

    CGridDefaultCell();
    ~CGridDefaultCell() override;

    static const CRuntimeClass classCGridDefaultCell;
    const CRuntimeClass* GetRuntimeClass() const override;

    void SetState(unsigned /*state*/) override {}
    unsigned GetState() const override { return CGridCell::GetState() | GRIDSTATE_READONLY; }
    void SetFont(const LOGFONT* font) override;
    const LOGFONT* GetFont() const override { return OwnFont(); }
    const CFont* GetFontObject() const override { return &m_fontObject; }

    virtual int GetWidth() const { return m_width; }
    virtual int GetHeight() const { return m_height; }

private:
    int m_width = 30;
    int m_height = 10;
    CFont m_fontObject;
};

} // namespace reference
