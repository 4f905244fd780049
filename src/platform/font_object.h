#pragma once

#include "platform/log_font.h"
#include "platform/text_width_cache.h"

#include <QFont>
#include <QFontMetrics>

#include <array>
#include <memory>
#include <string_view>

// A platform font made from a LOGFONT. It keeps its metrics so that measuring many texts in one
// font does not look the font up again each time.
class CFont {
public:
    CFont() = default;
    CFont(const CFont&) = delete;
    CFont& operator=(const CFont&) = delete;

    // False, leaving the object empty, for a null record.
    bool CreateFontIndirect(const LOGFONT* font);
    // A font that stands for a Qt font (a widget's or the application's).
    void CreateFromQFont(const QFont& font);
    void DeleteObject();

    // Null while empty.
    const void* GetSafeHandle() const { return m_created ? this : nullptr; }
    const QFont& Font() const { return m_font; }
    // Made on first use: measuring needs the application's font database.
    const QFontMetrics& Metrics() const;
    // The metrics' height, ascent and descent, looked up once: every measured text asks for them.
    int Height() const { return Measures().height; }
    int Ascent() const { return Measures().ascent; }
    int Descent() const { return Measures().descent; }
    // The width of a cell text (bytes, shown as DisplayText shows them) as the metrics measure it.
    int TextWidth(const char* text) const;
    int TextWidth(std::string_view text) const;
    // A width TextWidth(text) never exceeds, found without measuring: the sum of the characters'
    // advances, for texts of printable ASCII (tabs and line breaks show as spaces); -1 for other
    // texts, and for every text in a font whose lines turn out otherwise than the sum. With
    // shaping and kerning off, a line of such text is its characters side by side.
    int TextWidthBound(std::string_view text) const;

private:
    struct VerticalMeasures {
        int height = 0;
        int ascent = 0;
        int descent = 0;
    };
    const VerticalMeasures& Measures() const;
    // Fills m_advances, or leaves them all -1 when the font's lines are not their characters' sum.
    void MeasureAdvances() const;

    QFont m_font;
    bool m_created = false;
    mutable std::unique_ptr<QFontMetrics> m_metrics;
    mutable CTextWidthCache m_widths;
    // Each byte's advance in 64ths of a pixel as a character of printable ASCII (or a tab or line
    // break), -1 for the others; null until asked for, and all -1 when the font's lines turned out
    // otherwise than their characters' sum.
    using Advances = std::array<int, 256>;
    mutable std::unique_ptr<Advances> m_advances;
    mutable VerticalMeasures m_measures;
};
