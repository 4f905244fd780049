#include "app/deferred_icon_style.h"

#include <QApplication>
#include <QIconEngine>
#include <QPointer>
#include <QStyleOption>
#include <QWidget>

#include <optional>

namespace {

class CDeferredIconEngine : public QIconEngine {
public:
    CDeferredIconEngine(QPointer<QStyle> style, QStyle::StandardPixmap which, Qt::LayoutDirection direction)
        : m_style(std::move(style)), m_which(which), m_direction(direction)
    {
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        Icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return Icon().actualSize(size, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return Icon().pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal scale) override
    {
        return Icon().pixmap(size, scale, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        return Icon().availableSizes(mode, state);
    }
    QString iconName() override { return Icon().name(); }
    bool isNull() override { return Icon().isNull(); }
    QString key() const override { return QStringLiteral("CDeferredIconEngine"); }
    QIconEngine* clone() const override { return new CDeferredIconEngine(*this); }

private:
    QIcon& Icon()
    {
        if (!m_icon) {
            // The style that promised the icon may have been replaced since: the current one draws it.
            QStyle* style = m_style ? m_style.data() : QApplication::style();
            QStyleOption option;
            option.direction = m_direction;
            m_icon = style->standardIcon(m_which, &option);
        }
        return *m_icon;
    }

    QPointer<QStyle> m_style;
    QStyle::StandardPixmap m_which;
    Qt::LayoutDirection m_direction;
    std::optional<QIcon> m_icon;
};

} // namespace

CDeferredIconStyle::CDeferredIconStyle(QStyle* base) : QProxyStyle(base) {}

QIcon CDeferredIconStyle::standardIcon(StandardPixmap which, const QStyleOption* option, const QWidget* widget) const
{
    // An option may choose among the style's pictures by more than a direction: such a request is
    // answered at once. Otherwise the widget's direction is all the picture depends on.
    if (option)
        return QProxyStyle::standardIcon(which, option, widget);
    const Qt::LayoutDirection direction = widget ? widget->layoutDirection() : QGuiApplication::layoutDirection();
    return QIcon(new CDeferredIconEngine(QPointer<QStyle>(baseStyle()), which, direction));
}

void UseDeferredIconStyle()
{
    QStyle* current = QApplication::style();
    if (qobject_cast<CDeferredIconStyle*>(current))
        return;
    // The style in use becomes the wrapped one, not a second instance of it: Qt deletes a style it
    // replaces only while the application owns it, and the wrapper owns it now.
    auto* style = new CDeferredIconStyle(current);
    // Qt tells the platform's own style from one the user chose by this name.
    style->setObjectName(current->objectName());
    QApplication::setStyle(style);
}
