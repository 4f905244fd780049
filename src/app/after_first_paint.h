#pragma once

#include <functional>

class QWidget;

// Runs a task once, just after the window's first paint: work that the first sight of the window
// does not need (decoding the window icon's image) waits until the window is on the screen. A
// window that is not painted soon after it is shown (started minimised) gets the task anyway,
// kLatestMs after the call.
void RunAfterFirstPaint(QWidget& window, std::function<void()> task);
