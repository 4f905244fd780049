#include "platform/message_box.h"

#include <QApplication>
#include <QMessageBox>

namespace {

MessageBoxHandler& Handler()
{
    static MessageBoxHandler handler;
    return handler;
}

} // namespace

void AfxMessageBox(const std::string& text)
{
    if (Handler()) {
        Handler()(text);
        return;
    }
    QMessageBox::warning(QApplication::activeWindow(), QApplication::applicationName(),
                         QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler)
{
    MessageBoxHandler old = std::move(Handler());
    Handler() = std::move(handler);
    return old;
}
