#include "serial/port_name.h"

#include <gtest/gtest.h>

TEST(PortName, MapsNamesToDeviceNodes)
{
    EXPECT_EQ(DevicePathForPort("COM1"), "/dev/ttyS0");
    EXPECT_EQ(DevicePathForPort("com12"), "/dev/ttyS11");
    EXPECT_EQ(DevicePathForPort("/dev/pts/7"), "/dev/pts/7");
    EXPECT_EQ(DevicePathForPort("/dev/serial/by-id/usb-FTDI_FT232R-if00-port0"),
              "/dev/serial/by-id/usb-FTDI_FT232R-if00-port0");
    EXPECT_EQ(DevicePathForPort("ttyUSB0"), "/dev/ttyUSB0");
    // Not a COM number: left as a name in /dev.
    EXPECT_EQ(DevicePathForPort("COM0"), "/dev/COM0");
    EXPECT_EQ(DevicePathForPort("COM1a"), "/dev/COM1a");
    EXPECT_EQ(DevicePathForPort("COM"), "/dev/COM");
}
