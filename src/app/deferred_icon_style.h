#pragma once

#include <QProxyStyle>

// The application's style, with the standard icons a widget asks for when it is made (the menu
// bar's overflow arrow, say) decoded only when first drawn or measured. Such an icon is read from
// image files through Qt's image plugins, which is a good part of a window's start, and the menu
// bar's is drawn only in a window too narrow for its menus. Everything else is the style's own.
class CDeferredIconStyle : public QProxyStyle {
    Q_OBJECT
public:
    // base: the style to wrap, which the wrapper then owns.
    explicit CDeferredIconStyle(QStyle* base);

    QIcon standardIcon(StandardPixmap which, const QStyleOption* option, const QWidget* widget) const override;
};

// Wraps the application's current style (the one the platform or -style chose) in a
// CDeferredIconStyle. Called before the first widget is made; once is enough.
void UseDeferredIconStyle();
