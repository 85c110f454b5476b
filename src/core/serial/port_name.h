#pragma once
// Port names: "COM" n names serial port n; "/dev/ttyS" m is port m + 1 (the
// same port as COM(m+1)); anything else has no port number and is a device
// path as given (/dev/ttyUSB0, a pseudo-terminal, ...). Letter case is ignored.
#include <string>
#include <string_view>

namespace vestok {

// The port number of a name, or -1 when it has none.
int PortNumberFromName(std::string_view name);

// The device that a name opens: /dev/ttyS(n-1) for port n, else the name itself.
std::string DevicePathFromName(std::string_view name);

}  // namespace vestok
