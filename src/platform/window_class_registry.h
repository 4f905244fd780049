#pragma once

#include <stdexcept>
#include <string>

// Window classes by name. Qt has none; the registry keeps the rule that a class is registered
// once per process and that a window which cannot register its class is not made.
bool IsWindowClassRegistered(const std::string& name);
// False for an empty name.
bool RegisterWindowClass(const std::string& name);

// The framework's resource exception: a window could not get what it needs to exist.
class CResourceException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
