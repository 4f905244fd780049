#pragma once

#include <functional>
#include <string>

// A modal message box with an OK button and the application's name as its caption.
void AfxMessageBox(const std::string& text);

// The text the framework shows when memory runs out.
inline constexpr const char* kOutOfMemoryMessage = "Out of memory.";

// Replaces how message boxes are shown (tests record them instead of blocking); an empty
// function restores the real box. Answers the previous replacement.
using MessageBoxHandler = std::function<void(const std::string&)>;
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);
