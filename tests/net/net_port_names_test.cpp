// Network port names wherever a port name goes: parsing (IPv6 in brackets,
// bad forms refused without touching the file system), VESTOK_PORTS (whose
// ":" separator also occurs inside the names) and Vestok.ini, where the
// "Port" key keeps the name as it was read.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "support/window_state_for_tests.h"
#include "config/link_settings.h"
#include "serial/block_serial.h"
#include "serial/net_address.h"
#include "serial/serial_ports.h"

namespace vestok {
namespace {

TEST(NetPortNames, ParsedWithTheirSchemeHostAndPort) {
  auto a = ParseNetAddress("RFC2217://[fe80::1%lo]:4001");
  ASSERT_TRUE(a);
  EXPECT_EQ(a->Scheme, NetScheme::Rfc2217);
  EXPECT_EQ(a->Host, "fe80::1%lo");
  EXPECT_EQ(a->Port, 4001);
  a = ParseNetAddress("tcp://casa-3.magazin.local:65535");
  ASSERT_TRUE(a);
  EXPECT_EQ(a->Scheme, NetScheme::Tcp);
  EXPECT_EQ(a->Host, "casa-3.magazin.local");
  for (const char* bad : {"tcp://", "tcp://host", "tcp://host:", "tcp://host:0", "tcp://host:65536", "tcp://:80",
                          "tcp://ho st:80", "tcp://[::1:80", "tcp://[]:80", "tcp://::1:80", "tcp://host:80/x",
                          "tcp://host:+80", "udp://host:80", "COM1", "/dev/ttyS0"})
    EXPECT_FALSE(ParseNetAddress(bad)) << bad;
  EXPECT_TRUE(IsNetworkPortName("Tcp://host"));
  EXPECT_FALSE(IsNetworkPortName("/dev/tcp://x:1"));

  // A malformed network name fails to open with EINVAL and is never taken
  // for a device path ("tcp:" would be a folder of the current directory).
  TBlockSerial port;
  port.OpenPort("tcp://host:99999");
  EXPECT_EQ(port.LastErrorCode, EINVAL);
  EXPECT_FALSE(port.IsOpen);
  EXPECT_EQ(port.PortNumber, -1);
}

TEST(NetPortNames, EnvironmentListKeepsNamesWholeAndConfigurationWritesThemBack) {
  const char* saved = std::getenv("VESTOK_PORTS");
  const std::string keep = saved ? saved : "";
  setenv("VESTOK_PORTS", "tcp://10.0.0.5:4001:/dev/pts/3:rfc2217://[::1]:2217::TCP://shop:7:tcp://10.0.0.5:4001", 1);
  std::vector<std::string> list;
  ListSerialPorts(list, "/nonexistent-tty-class");
  EXPECT_EQ(list, (std::vector<std::string>{"tcp://10.0.0.5:4001", "/dev/pts/3", "rfc2217://[::1]:2217",
                                            "TCP://shop:7"}));
  if (saved)
    setenv("VESTOK_PORTS", keep.c_str(), 1);
  else
    unsetenv("VESTOK_PORTS");

  const auto dir = std::filesystem::temp_directory_path() / ("vestok-net-ini-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const std::string path = (dir / "Vestok.ini").string();
  const TLinkSettings before = LinkSettings;
  std::ofstream(path, std::ios::binary) << "[Communication]\r\nPort = RFC2217://[::1]:4001 \r\nBaud=4\r\n";
  ReadLinkSettings(LinkSettings, path);
  EXPECT_EQ(LinkSettings.PortName, "RFC2217://[::1]:4001");
  EXPECT_EQ(LinkSettings.Speed, 9600);
  LinkSettings.CableTimeout = 730;
  WriteLinkSettings(LinkSettings, path);
  std::ifstream in(path, std::ios::binary);
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  EXPECT_NE(text.find("Port=RFC2217://[::1]:4001\r"), std::string::npos) << text;
  EXPECT_NE(text.find("CableLen=73"), std::string::npos) << text;
  LinkSettings = before;
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace vestok
