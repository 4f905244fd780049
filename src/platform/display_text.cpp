#include "platform/display_text.h"

QString DisplayText(const char* text) { return DisplayText(std::string_view(text != nullptr ? text : "")); }

QString DisplayText(std::string_view text)
{
    QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    for (QChar& c : s) {
        if (c == u'\t' || c == u'\r' || c == u'\n')
            c = u' ';
    }
    return s;
}
