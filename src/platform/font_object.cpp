#include "platform/font_object.h"

#include "platform/display_text.h"

bool CFont::CreateFontIndirect(const LOGFONT* font)
{
    DeleteObject();
    if (font == nullptr)
        return false;
    CreateFromQFont(ToQFont(*font));
    return true;
}

void CFont::CreateFromQFont(const QFont& font)
{
    m_font = font;
    // Text here is the log's: Latin letters, digits and signs, which need no shaping; left out,
    // measuring costs a fraction.
    m_font.setStyleStrategy(static_cast<QFont::StyleStrategy>(m_font.styleStrategy() | QFont::PreferNoShaping));
    m_font.setKerning(false);
    m_metrics.reset();
    m_widths.Clear();
    m_created = true;
}

const QFontMetrics& CFont::Metrics() const
{
    if (!m_metrics) {
        m_metrics = std::make_unique<QFontMetrics>(m_font);
        m_measures = {m_metrics->height(), m_metrics->ascent(), m_metrics->descent()};
    }
    return *m_metrics;
}

const CFont::VerticalMeasures& CFont::Measures() const
{
    Metrics();
    return m_measures;
}

int CFont::TextWidth(const char* text) const
{
    const std::string_view bytes = text != nullptr ? text : "";
    if (const int known = m_widths.Find(bytes); known >= 0)
        return known;
    const int width = Metrics().horizontalAdvance(DisplayText(text));
    m_widths.Remember(bytes, width);
    return width;
}

void CFont::DeleteObject()
{
    m_metrics.reset();
    m_widths.Clear();
    m_created = false;
    m_font = QFont();
}
