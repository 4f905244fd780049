#include "app/serial_port_list.h"

#include <gtest/gtest.h>

TEST(SerialPortList, NamesAreInTheOrderPeopleCount)
{
    EXPECT_EQ(NaturallySorted({"COM10", "COM2", "COM1", "COM02", "ttyUSB10", "ttyACM0", "ttyUSB2"}),
              (std::vector<std::string>{"COM1", "COM2", "COM02", "COM10", "ttyACM0", "ttyUSB2", "ttyUSB10"}));
    EXPECT_EQ(NaturallySorted({"a9b", "a10", "a9"}), (std::vector<std::string>{"a9", "a9b", "a10"}));
    EXPECT_TRUE(NaturallySorted({}).empty());
}
