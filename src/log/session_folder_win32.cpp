// Where sessions are kept on Windows: the user's local application data, which is not roamed.

#include "log/session_folder.h"

#include <cstdlib>

namespace fs = std::filesystem;

fs::path DefaultSessionFolder()
{
    const wchar_t* local = _wgetenv(L"LOCALAPPDATA");
    const fs::path base = local && fs::path(local).is_absolute() ? fs::path(local) : fs::temp_directory_path();
    return base / "Vantrolix" / "sessions";
}
