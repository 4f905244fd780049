// Where sessions are kept on Linux: the user's state folder, as the XDG base directories say.

#include "log/session_folder.h"

#include <cstdlib>

#include <pwd.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

fs::path HomeFolder()
{
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd* user = ::getpwuid(::getuid()); user && user->pw_dir)
        return user->pw_dir;
    return fs::current_path();
}

} // namespace

fs::path DefaultSessionFolder()
{
    const char* state = std::getenv("XDG_STATE_HOME");
    const fs::path base = state && fs::path(state).is_absolute() ? fs::path(state) : HomeFolder() / ".local" / "state";
    return base / "vantrolix" / "sessions";
}
