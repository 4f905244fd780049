#include "app/serial_port_list.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <stdlib.h>

namespace fs = std::filesystem;

namespace {

struct TemporaryFolder {
    TemporaryFolder()
    {
        std::string pattern = (fs::temp_directory_path() / "vantrolix-ports.XXXXXX").string();
        if (mkdtemp(pattern.data()))
            path = pattern;
    }
    ~TemporaryFolder()
    {
        std::error_code ec;
        if (!path.empty())
            fs::remove_all(path, ec);
    }
    fs::path path;
};

} // namespace

TEST(SerialPortList, RealDevicesThenStableLinks)
{
    const TemporaryFolder folder;
    const fs::path& root = folder.path;
    const fs::path sys = root / "sys";
    const auto tty = [&](const std::string& name, bool device, const char* type) {
        fs::create_directories(sys / name);
        if (device)
            fs::create_directories(sys / name / "device");
        if (type)
            std::ofstream(sys / name / "type") << type << "\n";
    };
    tty("tty0", false, nullptr);      // virtual console
    tty("ptmx", false, nullptr);
    tty("ttyS0", true, "4");          // a real UART
    tty("ttyS1", true, "0");          // an empty UART slot
    tty("ttyUSB10", true, nullptr);
    tty("ttyUSB2", true, nullptr);
    tty("ttyACM0", true, nullptr);
    const fs::path byId = root / "by-id";
    fs::create_directories(byId);
    fs::create_symlink("../../ttyUSB2", byId / "usb-FTDI_FT232R-if00-port0");

    const std::vector<std::string> expected = {
        "/dev/ttyACM0", "/dev/ttyS0", "/dev/ttyUSB2", "/dev/ttyUSB10",
        (byId / "usb-FTDI_FT232R-if00-port0").string()};
    EXPECT_EQ(ListSysfsSerialPorts(sys, "/dev", byId), expected);
    EXPECT_TRUE(ListSysfsSerialPorts(root / "absent", "/dev", root / "absent").empty());
}
