#include "platform/display_text.h"

QString DisplayText(const char* text)
{
    QString s = QString::fromUtf8(text != nullptr ? text : "");
    for (QChar& c : s) {
        if (c == u'\t' || c == u'\r' || c == u'\n')
            c = u' ';
    }
    return s;
}
