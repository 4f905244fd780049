#include "platform/window_class_registry.h"

#include <mutex>
#include <set>

namespace {

std::mutex g_mutex;
std::set<std::string>& Names()
{
    static std::set<std::string> names;
    return names;
}

} // namespace

bool IsWindowClassRegistered(const std::string& name)
{
    std::lock_guard lock(g_mutex);
    return Names().count(name) != 0;
}

bool RegisterWindowClass(const std::string& name)
{
    if (name.empty())
        return false;
    std::lock_guard lock(g_mutex);
    Names().insert(name);
    return true;
}
