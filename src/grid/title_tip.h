#pragma once

#include "platform/colour.h"
#include "platform/geometry.h"
#include "platform/font_object.h"

#include <QEvent>
#include <QPoint>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class QKeyEvent;
class QWidget;

// Shows a cut-off cell text whole in a small bordered popup laid exactly over the cell. The tip
// shows only when the text does not fit, stays while the pointer stays over the cell, and passes
// every click, key and move on to the window underneath, hiding itself first.
class CGridTitleTip {
public:
    CGridTitleTip();
    virtual ~CGridTitleTip();
    CGridTitleTip(const CGridTitleTip&) = delete;
    CGridTitleTip& operator=(const CGridTitleTip&) = delete;

    // parent is the widget whose client coordinates Show receives (the grid's viewport).
    void SetParent(QWidget* parent) { m_parent = parent; }
    QWidget* GetParent() const { return m_parent; }
    virtual bool Create(QWidget* parent);
    virtual bool DestroyWindow();
    bool IsCreated() const { return m_window != nullptr; }
    QWidget* GetWindow() const;
    bool IsVisible() const;

    // Rectangles in the parent's client coordinates; hoverRect and font may be null, colours
    // CLR_DEFAULT.
    void Show(CRect cellRect, const char* text, int xOffset, const CRect* hoverRect, const LOGFONT* font,
              COLORREF textColour, COLORREF backColour);
    void Hide();
    // The hover rectangle of the last Show, in screen coordinates.
    const CRect& GetHoverRect() const { return m_hoverRect; }

    // Input arriving at the tip window; points in the tip window's coordinates.
    void OnMouseMove(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, QPoint point);
    void OnButtonDown(Qt::MouseButton button, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, QPoint point);
    void OnButtonUp(Qt::MouseButton button, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers, QPoint point);
    void OnKeyDown(const QKeyEvent& key);
    // Any other input: an inactive application shows no tip. Answers whether the tip hid.
    bool OnOtherInput();

    // What the platform answers, replaceable so the rules can be tested without a desktop.
    void SetApplicationActiveQuery(std::function<bool()> query) { m_isApplicationActive = std::move(query); }
    void SetTickSource(std::function<std::uint32_t()> ticks) { m_ticks = std::move(ticks); }
    void SetWidgetLocator(std::function<QWidget*(QPoint)> locator) { m_widgetAt = std::move(locator); }

    // What the visible tip shows.
    const std::string& GetShownText() const { return m_text; }

private:
    class Window;
    friend class Window;

    QWidget* TargetAt(QPoint screenPoint) const;
    void Forward(QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons buttons,
                 Qt::KeyboardModifiers modifiers, QPoint screenPoint);
    void Paint(QWidget* window);

    QWidget* m_parent = nullptr;
    CRect m_hoverRect;
    std::uint32_t m_lastButtonDown = 0xFFFFFFFFu;
    std::uint32_t m_doubleClickTime;
    std::unique_ptr<Window> m_window;

    std::string m_text;
    CFont m_font;
    COLORREF m_textColour = CLR_DEFAULT;
    COLORREF m_backColour = CLR_DEFAULT;

    std::function<bool()> m_isApplicationActive;
    std::function<std::uint32_t()> m_ticks;
    std::function<QWidget*(QPoint)> m_widgetAt;
};
