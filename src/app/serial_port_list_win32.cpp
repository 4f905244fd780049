#include "app/registry_serial_ports.h"
#include "app/serial_port_list.h"

#include <algorithm>

std::vector<std::string> ListRegistrySerialPorts(HKEY root, const std::string& subkey)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, subkey.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return {};
    std::vector<std::string> names;
    for (DWORD index = 0;; ++index) {
        // A device name is short; a longer value name or datum is someone else's and is skipped.
        char valueName[256];
        DWORD valueNameSize = sizeof valueName;
        BYTE data[256];
        DWORD dataSize = sizeof data;
        DWORD type = 0;
        const LSTATUS status = RegEnumValueA(key, index, valueName, &valueNameSize, nullptr, &type, data, &dataSize);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        if (status != ERROR_SUCCESS || type != REG_SZ)
            continue;
        // The stored string may or may not carry its terminating zero.
        std::string name(reinterpret_cast<const char*>(data), dataSize);
        name.erase(std::find(name.begin(), name.end(), '\0'), name.end());
        if (!name.empty() && std::find(names.begin(), names.end(), name) == names.end())
            names.push_back(std::move(name));
    }
    RegCloseKey(key);
    return NaturallySorted(std::move(names));
}

std::vector<std::string> ListSerialPorts()
{
    return ListRegistrySerialPorts(HKEY_LOCAL_MACHINE, "HARDWARE\\DEVICEMAP\\SERIALCOMM");
}
