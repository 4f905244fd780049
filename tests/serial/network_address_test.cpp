#include "serial/network_address.h"

#include <gtest/gtest.h>

namespace {

NetworkAddress Parsed(std::string_view name)
{
    std::string error;
    const auto address = ParseNetworkAddress(name, error);
    EXPECT_TRUE(address) << name << ": " << error;
    return address.value_or(NetworkAddress{});
}

std::string Refusal(std::string_view name)
{
    std::string error;
    EXPECT_FALSE(ParseNetworkAddress(name, error)) << name;
    return error;
}

} // namespace

TEST(NetworkAddress, ReadsHostsPortsAndKinds)
{
    const auto raw = Parsed("tcp://gateway.lab:4001");
    EXPECT_EQ(raw.kind, NetworkAddress::Kind::RawTcp);
    EXPECT_EQ(raw.host, "gateway.lab");
    EXPECT_EQ(raw.port, 4001);

    const auto telnet = Parsed("RFC2217://10.0.0.7:65535");
    EXPECT_EQ(telnet.kind, NetworkAddress::Kind::Rfc2217);
    EXPECT_EQ(telnet.host, "10.0.0.7");
    EXPECT_EQ(telnet.port, 65535);

    const auto v6 = Parsed("rfc2217://[fe80::1%eth0]:2217");
    EXPECT_EQ(v6.host, "fe80::1%eth0");
    EXPECT_EQ(v6.HostAndPort(), "[fe80::1%eth0]:2217");
    EXPECT_EQ(Parsed("tcp://localhost:1").HostAndPort(), "localhost:1");
}

TEST(NetworkAddress, RefusesMalformedNamesWithTheReason)
{
    EXPECT_NE(Refusal("tcp://host").find("no port number"), std::string::npos);
    EXPECT_NE(Refusal("tcp://host:").find("1 to 65535"), std::string::npos);
    EXPECT_NE(Refusal("tcp://host:0").find("1 to 65535"), std::string::npos);
    EXPECT_NE(Refusal("tcp://host:65536").find("1 to 65535"), std::string::npos);
    EXPECT_NE(Refusal("tcp://host:-1").find("1 to 65535"), std::string::npos);
    EXPECT_NE(Refusal("tcp://host:99999999999999999999").find("1 to 65535"), std::string::npos);
    EXPECT_NE(Refusal("tcp://host:80/path").find("1 to 65535"), std::string::npos);
    EXPECT_NE(Refusal("tcp://:4001").find("no host"), std::string::npos);
    EXPECT_NE(Refusal("tcp://::1:4001").find("brackets"), std::string::npos);
    EXPECT_NE(Refusal("tcp://[::1:4001").find("closing bracket"), std::string::npos);
    EXPECT_NE(Refusal("tcp://[::1]4001").find("no port number"), std::string::npos);
    EXPECT_NE(Refusal("tcp://[gateway]:4001").find("IPv6"), std::string::npos);
    EXPECT_NE(Refusal("tcp://user@host:4001").find("characters"), std::string::npos);
    EXPECT_NE(Refusal("tcp://ho st:4001").find("characters"), std::string::npos);
    EXPECT_FALSE(Refusal("COM1").empty());
}

TEST(NetworkAddress, OnlyItsSchemesMakeANetworkPort)
{
    EXPECT_TRUE(IsNetworkPortName("tcp://"));
    EXPECT_TRUE(IsNetworkPortName("Rfc2217://x"));
    EXPECT_FALSE(IsNetworkPortName("/dev/ttyUSB0"));
    EXPECT_FALSE(IsNetworkPortName("tcp:/host:1"));
    EXPECT_FALSE(IsNetworkPortName("telnet://host:23"));
}
