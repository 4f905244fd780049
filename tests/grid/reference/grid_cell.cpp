#include "grid/reference/grid_cell.h"

#include "grid/reference/grid_default_cell.h"
#include "platform/log_font.h"

namespace reference {

const CRuntimeClass CGridCell::classCGridCell = {
    "CGridCell", &CGridCellBase::classCGridCellBase, []() -> CObject* { return new CGridCell; }};

namespace {
const CRuntimeClass* const g_registered = RegisterRuntimeClass(&CGridCell::classCGridCell);
}

const CRuntimeClass* CGridCell::GetRuntimeClass() const { return &classCGridCell; }

CGridCell::CGridCell() { CGridCell::Reset(); }

CGridCell::~CGridCell() = default;

void CGridCell::SetText(const char* text)
{
    m_text = text != nullptr ? text : "";
    ContentChanged();
}

void CGridCell::SetFormat(unsigned format)
{
    m_format = format;
    ContentChanged();
}

void CGridCell::SetFont(const LOGFONT* font)
{
    if (font == nullptr) {
        m_font.reset();
    } else if (m_font) {
        *m_font = *font;
    } else {
        m_font = std::make_unique<LOGFONT>(*font);
    }
    ContentChanged();
}

void CGridCell::SetMargin(unsigned margin)
{
    m_margin = margin;
    ContentChanged();
}

void CGridCell::SetGrid(CGridCtrl* grid)
{
    m_grid = grid;
    ContentChanged();
}

unsigned CGridCell::GetFormat() const
{
    if (m_format != kInherit)
        return m_format;
    // The normal template inherits from itself; it must not ask itself again.
    const CGridDefaultCell* def = GetDefaultCell();
    return def != nullptr && def != this ? def->GetFormat() : 0;
}

const LOGFONT* CGridCell::GetFont() const
{
    if (m_font)
        return m_font.get();
    const CGridDefaultCell* def = GetDefaultCell();
    return def != nullptr ? def->GetFont() : nullptr;
}

const CFont* CGridCell::GetFontObject() const
{
    const CGridDefaultCell* def = GetDefaultCell();
    return def != nullptr ? def->GetFontObject() : nullptr;
}

unsigned CGridCell::GetMargin() const
{
    if (m_margin != kInherit)
        return m_margin;
    const CGridDefaultCell* def = GetDefaultCell();
    return def != nullptr && def != this ? def->GetMargin() : 0;
}

void CGridCell::Reset()
{
    // Told while the grid is still known: the cell measures differently from now on.
    ContentChanged();
    CGridCellBase::Reset();
    m_text.clear();
    m_format = kInherit;
    m_margin = kInherit;
    m_textColour = CLR_DEFAULT;
    m_backColour = CLR_DEFAULT;
    m_font.reset();
    m_grid = nullptr;
}

} // namespace reference
