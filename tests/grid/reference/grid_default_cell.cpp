#include "grid/reference/grid_default_cell.h"

#include "platform/device_context.h"
#include "platform/log_font.h"

namespace reference {

const CRuntimeClass CGridDefaultCell::classCGridDefaultCell = {
    "CGridDefaultCell", &CGridCell::classCGridCell, []() -> CObject* { return new CGridDefaultCell; }};

namespace {
const CRuntimeClass* const g_registered = RegisterRuntimeClass(&CGridDefaultCell::classCGridDefaultCell);

// Measured in the template's font: the margin is one space, a column fits twelve capital X
// between two spaces, a row is one and a half lines of that text.
const char* const kMarginSample = " ";
const char* const kWidthSample = " XXXXXXXXXXXX ";
} // namespace

const CRuntimeClass* CGridDefaultCell::GetRuntimeClass() const { return &classCGridDefaultCell; }

CGridDefaultCell::CGridDefaultCell()
{
    SetFormat(kDefaultFormat);
    SetTextColour(CLR_DEFAULT);
    SetBackColour(CLR_DEFAULT);
    const LOGFONT messageFont = GetMessageFont();
    CGridDefaultCell::SetFont(&messageFont);
}

CGridDefaultCell::~CGridDefaultCell() { m_fontObject.DeleteObject(); }

void CGridDefaultCell::SetFont(const LOGFONT* font)
{
    if (font == nullptr)
        return;
    m_fontObject.CreateFontIndirect(font);
    CGridCell::SetFont(font);
    if (std::unique_ptr<CDC> dc = CreateScreenDC()) {
        const CFont* old = dc->SelectObject(&m_fontObject);
        SetMargin(static_cast<unsigned>(dc->GetTextExtent(kMarginSample).cx));
        const CSize size = dc->GetTextExtent(kWidthSample);
        m_width = size.cx;
        m_height = size.cy * 3 / 2;
        dc->SelectObject(old);
    } else {
        SetMargin(3);
        m_width = 40;
        m_height = 16;
    }
}

} // namespace reference
