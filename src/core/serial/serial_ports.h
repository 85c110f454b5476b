#pragma once
// The machine's serial ports, for the port choices of the dialogs.
#include <string>
#include <vector>

namespace vestok {

// Replaces `list` with the serial devices under /sys/class/tty that have a
// device behind them: "COM" n for /dev/ttyS(n-1), the device path for any
// other (/dev/ttyUSB0, /dev/ttyACM0, ...), in the order the system lists them.
// When the folder cannot be read the list is left as it was. The device
// paths and network ports (tcp://HOST:PORT, rfc2217://HOST:PORT) in the
// environment variable VESTOK_PORTS (separated by ":") are then added, unless
// the list already names them.
void ListSerialPorts(std::vector<std::string>& list);

// The same over another copy of /sys/class/tty (tests give a fake tree).
void ListSerialPorts(std::vector<std::string>& list, const std::string& ttyClassDir);

}  // namespace vestok
