#pragma once

#include "grid/reference/grid_cell_base.h"

#include <memory>
#include <string>

namespace reference {

// The cell the grid creates for every position: its own text, state and attributes, each
// attribute falling back to the grid's default cell while it holds the inherit value.
class CGridCell : public CGridCellBase {
public:
    static constexpr unsigned kInherit = 0xFFFFFFFFu;

    CGridCell();
    ~CGridCell() override;

    static const CRuntimeClass classCGridCell;
    const CRuntimeClass* GetRuntimeClass() const override;

    void SetText(const char* text) override;
    void SetFormat(unsigned format) override;
    void SetTextColour(COLORREF colour) override { m_textColour = colour; }
    void SetBackColour(COLORREF colour) override { m_backColour = colour; }
    void SetFont(const LOGFONT* font) override;
    void SetMargin(unsigned margin) override;
    void SetGrid(CGridCtrl* grid) override;

    const char* GetText() const override { return m_text.c_str(); }
    unsigned GetFormat() const override;
    COLORREF GetTextColour() const override { return m_textColour; }
    COLORREF GetBackColour() const override { return m_backColour; }
    const LOGFONT* GetFont() const override;
    const CFont* GetFontObject() const override;
    CGridCtrl* GetGrid() const override { return m_grid; }
    unsigned GetMargin() const override;

    void Reset() override;

protected:
    const LOGFONT* OwnFont() const { return m_font.get(); }

private:
    std::string m_text;
    unsigned m_format = kInherit;
    COLORREF m_textColour = CLR_DEFAULT;
    COLORREF m_backColour = CLR_DEFAULT;
    std::unique_ptr<LOGFONT> m_font;
    unsigned m_margin = kInherit;
    CGridCtrl* m_grid = nullptr;
};

} // namespace reference
