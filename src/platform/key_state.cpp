#include "platform/key_state.h"

#include <QGuiApplication>

short GetKeyState(unsigned virtualKey)
{
    // The modifiers as the application last saw them, like the platform's per-message key state.
    const Qt::KeyboardModifiers held = QGuiApplication::keyboardModifiers();
    Qt::KeyboardModifier modifier = Qt::NoModifier;
    switch (virtualKey) {
    case VK_SHIFT: modifier = Qt::ShiftModifier; break;
    case VK_CONTROL: modifier = Qt::ControlModifier; break;
    case VK_MENU: modifier = Qt::AltModifier; break;
    default: return 0;
    }
    return held.testFlag(modifier) ? static_cast<short>(-128) : static_cast<short>(0);
}

unsigned MouseKeyFlags(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons)
{
    unsigned flags = 0;
    if (modifiers.testFlag(Qt::ShiftModifier))
        flags |= MK_SHIFT;
    if (modifiers.testFlag(Qt::ControlModifier))
        flags |= MK_CONTROL;
    if (buttons.testFlag(Qt::LeftButton))
        flags |= MK_LBUTTON;
    if (buttons.testFlag(Qt::RightButton))
        flags |= MK_RBUTTON;
    if (buttons.testFlag(Qt::MiddleButton))
        flags |= MK_MBUTTON;
    return flags;
}

unsigned VirtualKeyFromQt(int qtKey)
{
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
        return static_cast<unsigned>(qtKey);
    switch (qtKey) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return VK_TAB;
    case Qt::Key_Shift: return VK_SHIFT;
    case Qt::Key_Control: return VK_CONTROL;
    case Qt::Key_Alt: return VK_MENU;
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_PageUp: return VK_PRIOR;
    case Qt::Key_PageDown: return VK_NEXT;
    case Qt::Key_End: return VK_END;
    case Qt::Key_Home: return VK_HOME;
    case Qt::Key_Left: return VK_LEFT;
    case Qt::Key_Up: return VK_UP;
    case Qt::Key_Right: return VK_RIGHT;
    case Qt::Key_Down: return VK_DOWN;
    case Qt::Key_Insert: return VK_INSERT;
    case Qt::Key_Delete: return VK_DELETE;
    case Qt::Key_F2: return VK_F2;
    default: return 0;
    }
}
