#include "app/serial_port_list.h"

#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// The kernel creates ttyS slots for UARTs that may not exist; their "type" reads 0 (unknown).
bool IsPhantomUart(const fs::path& entry)
{
    std::ifstream type(entry / "type");
    int value = -1;
    return type >> value && value == 0;
}

} // namespace

std::vector<std::string> ListSysfsSerialPorts(const fs::path& sysClassTty, const fs::path& devDir, const fs::path& byIdDir)
{
    std::error_code ec;
    std::vector<std::string> devices;
    for (const fs::directory_entry& entry : fs::directory_iterator(sysClassTty, ec)) {
        const fs::path path = entry.path();
        if (!fs::exists(path / "device", ec) || IsPhantomUart(path))
            continue;
        devices.push_back((devDir / path.filename()).string());
    }
    std::vector<std::string> links;
    for (const fs::directory_entry& entry : fs::directory_iterator(byIdDir, ec))
        links.push_back(entry.path().string());

    std::vector<std::string> ports = NaturallySorted(std::move(devices));
    for (std::string& link : NaturallySorted(std::move(links)))
        ports.push_back(std::move(link));
    return ports;
}

std::vector<std::string> ListSerialPorts()
{
    return ListSysfsSerialPorts("/sys/class/tty", "/dev", "/dev/serial/by-id");
}
