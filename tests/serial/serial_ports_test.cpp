// ListSerialPorts over a fake /sys/class/tty tree.
#include "serial/serial_ports.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace vestok {
namespace {

namespace fs = std::filesystem;

class SerialPortsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    unsetenv("VESTOK_PORTS");
    root = fs::temp_directory_path() / ("vestok_sys_" + std::to_string(getpid()));
    fs::remove_all(root);
    fs::create_directories(root / "devices/serial8250");
    fs::create_directories(root / "devices/usb1");
    fs::create_directories(root / "class/tty");
  }
  void TearDown() override {
    unsetenv("VESTOK_PORTS");
    fs::remove_all(root);
  }
  // A tty entry; `device` names a folder under devices/ ("" for a virtual
  // terminal), `type` the serial-core port type ("" for none).
  void AddTty(const std::string& name, const std::string& device, const std::string& type) {
    const fs::path dir = root / "class/tty" / name;
    fs::create_directories(dir);
    if (!device.empty()) fs::create_directory_symlink(root / "devices" / device, dir / "device");
    if (!type.empty()) std::ofstream(dir / "type") << type << "\n";
  }
  std::vector<std::string> List(std::vector<std::string> list) {
    ListSerialPorts(list, (root / "class/tty").string());
    return list;
  }
  fs::path root;
  const std::vector<std::string> dialogDefaults{"COM1", "COM2", "COM3", "COM4",
                                                "COM5", "COM6", "COM7", "COM8"};
};

TEST_F(SerialPortsTest, ListsDevicesWithHardwareBehindThem) {
  AddTty("ttyS0", "serial8250", "4");
  AddTty("ttyS1", "serial8250", "0");  // no UART at this address
  AddTty("ttyS10", "serial8250", "4");
  AddTty("ttyUSB0", "usb1", "");
  AddTty("tty0", "", "");  // virtual
  AddTty("ptmx", "", "");
  auto list = List(dialogDefaults);
  std::sort(list.begin(), list.end());
  EXPECT_EQ(list, (std::vector<std::string>{"/dev/ttyUSB0", "COM1", "COM11"}));
}

TEST_F(SerialPortsTest, UnreadableTableLeavesTheListAndEmptyTableEmptiesIt) {
  std::vector<std::string> list = dialogDefaults;
  ListSerialPorts(list, (root / "missing").string());
  EXPECT_EQ(list, dialogDefaults);
  EXPECT_TRUE(List(dialogDefaults).empty());
}

TEST_F(SerialPortsTest, EnvironmentAddsDevicePathsOnce) {
  AddTty("ttyS0", "serial8250", "4");
  setenv("VESTOK_PORTS", "/dev/pts/7::/dev/rfcomm0:/dev/ttyS0:/dev/pts/7", 1);
  EXPECT_EQ(List({}), (std::vector<std::string>{"COM1", "/dev/pts/7", "/dev/rfcomm0"}));
  std::vector<std::string> list = dialogDefaults;
  ListSerialPorts(list, (root / "missing").string());
  EXPECT_EQ(list.size(), 10u);
  EXPECT_EQ(list.back(), "/dev/rfcomm0");
}

}  // namespace
}  // namespace vestok
