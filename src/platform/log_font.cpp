#include "platform/log_font.h"

#include <QFont>
#include <QFontInfo>
#include <QGuiApplication>

#include <algorithm>
#include <cstring>

namespace {

int PixelSizeOf(const QFont& font)
{
    if (font.pixelSize() > 0)
        return font.pixelSize();
    if (QGuiApplication::instance() != nullptr)
        return QFontInfo(font).pixelSize();
    // Without a screen a point size converts at the platform's 96 dots per inch.
    return std::max(1, static_cast<int>(font.pointSizeF() * 96.0 / 72.0 + 0.5));
}

int DefaultPixelSize() { return PixelSizeOf(QGuiApplication::font()); }

} // namespace

QFont ToQFont(const LOGFONT& lf)
{
    QFont font;
    const auto faceLength = static_cast<qsizetype>(strnlen(lf.lfFaceName, sizeof lf.lfFaceName));
    if (faceLength > 0)
        font.setFamily(QString::fromUtf8(lf.lfFaceName, faceLength));
    const int height = lf.lfHeight < 0 ? -lf.lfHeight : lf.lfHeight;
    font.setPixelSize(height > 0 ? height : DefaultPixelSize());
    if (lf.lfWeight > 0)
        font.setWeight(static_cast<QFont::Weight>(std::clamp(static_cast<int>(lf.lfWeight), 1, 1000)));
    font.setItalic(lf.lfItalic != 0);
    font.setUnderline(lf.lfUnderline != 0);
    font.setStrikeOut(lf.lfStrikeOut != 0);
    return font;
}

LOGFONT FromQFont(const QFont& font)
{
    LOGFONT lf;
    lf.lfHeight = -PixelSizeOf(font);
    lf.lfWeight = font.weight();
    lf.lfItalic = font.italic() ? 1 : 0;
    lf.lfUnderline = font.underline() ? 1 : 0;
    lf.lfStrikeOut = font.strikeOut() ? 1 : 0;
    // Names are UTF-8 here, as all text is; a name too long for the field is cut before a
    // whole character, never inside one.
    const QByteArray face = font.family().toUtf8();
    std::size_t length = std::min(static_cast<std::size_t>(face.size()), sizeof lf.lfFaceName - 1);
    while (length > 0 && length < static_cast<std::size_t>(face.size()) && (face[length] & 0xC0) == 0x80)
        --length;
    std::memcpy(lf.lfFaceName, face.constData(), length);
    return lf;
}

LOGFONT GetMessageFont() { return FromQFont(QGuiApplication::font()); }
