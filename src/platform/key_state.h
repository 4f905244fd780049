#pragma once

#include <Qt>

// Virtual key codes the grid reacts to; letters and digits are their upper-case ASCII codes.
enum VirtualKey : unsigned {
    VK_TAB = 0x09,
    VK_SHIFT = 0x10,
    VK_CONTROL = 0x11,
    VK_MENU = 0x12,
    VK_ESCAPE = 0x1B,
    VK_PRIOR = 0x21,
    VK_NEXT = 0x22,
    VK_END = 0x23,
    VK_HOME = 0x24,
    VK_LEFT = 0x25,
    VK_UP = 0x26,
    VK_RIGHT = 0x27,
    VK_DOWN = 0x28,
    VK_INSERT = 0x2D,
    VK_DELETE = 0x2E,
    VK_F2 = 0x71,
};

// Buttons and modifier keys held during a mouse message.
enum MouseKeyFlag : unsigned {
    MK_LBUTTON = 0x0001,
    MK_RBUTTON = 0x0002,
    MK_SHIFT = 0x0004,
    MK_CONTROL = 0x0008,
    MK_MBUTTON = 0x0010,
};

// The state of Shift, Ctrl or Alt as of the input being handled: negative while the key is down.
// Other keys read as up.
short GetKeyState(unsigned virtualKey);

unsigned MouseKeyFlags(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons);

// The virtual key of a Qt key, 0 for keys without one here. Backtab is Tab (Shift is a modifier).
unsigned VirtualKeyFromQt(int qtKey);
