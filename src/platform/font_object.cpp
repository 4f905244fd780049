#include "platform/font_object.h"

#include "platform/display_text.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

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
    m_advances.reset();
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

int CFont::TextWidth(const char* text) const { return TextWidth(std::string_view(text != nullptr ? text : "")); }

int CFont::TextWidth(std::string_view text) const
{
    if (const int known = m_widths.Find(text); known >= 0)
        return known;
    const int width = Metrics().horizontalAdvance(DisplayText(text));
    m_widths.Remember(text, width);
    return width;
}

int CFont::TextWidthBound(std::string_view text) const
{
    if (!m_advances)
        MeasureAdvances();
    // Every byte looked up alike, without a branch: a byte with no advance makes `unknown` negative.
    const int* const advances = m_advances->data();
    std::int64_t sum = 0;
    int unknown = 0;
    for (const char c : text) {
        const int advance = advances[static_cast<unsigned char>(c)];
        unknown |= advance;
        sum += advance;
    }
    if (unknown < 0)
        return -1;
    // Rounded as the metrics round a line's advance, from the same 64ths of a pixel.
    return static_cast<int>(std::min<std::int64_t>((sum + 32) / 64, std::numeric_limits<int>::max()));
}

void CFont::MeasureAdvances() const
{
    auto advances = std::make_unique<Advances>();
    advances->fill(-1);
    const QFontMetricsF metrics(m_font);
    std::string sample;
    for (char c = ' '; c <= '~'; ++c) {
        (*advances)[static_cast<unsigned char>(c)] = static_cast<int>(std::ceil(metrics.horizontalAdvance(QChar(c)) * 64));
        sample += c;
    }
    for (const char c : {'\t', '\r', '\n'})
        (*advances)[static_cast<unsigned char>(c)] = (*advances)[' '];
    m_advances = std::move(advances);
    // A font engine that draws a line otherwise than its characters side by side is not bounded
    // so: every character alone, and all of them in a line, must measure as their sum.
    bool sums = TextWidth(sample) == TextWidthBound(sample);
    for (std::size_t i = 0; sums && i < sample.size(); ++i)
        sums = TextWidth(sample.substr(i, 1)) == TextWidthBound(sample.substr(i, 1));
    if (!sums)
        m_advances->fill(-1);
}

void CFont::DeleteObject()
{
    m_metrics.reset();
    m_widths.Clear();
    m_advances.reset();
    m_created = false;
    m_font = QFont();
}
