#pragma once
// Port names: "COM" n names serial port n; "/dev/ttyS" m is port m + 1 (the
// same port as COM(m+1)); anything else has no port number and is a device
// path as given (/dev/ttyUSB0, a pseudo-terminal, ...). Letter case is ignored.
#include <string>
#include <string_view>

namespace vestok {

// The port number of a name, or -1 when it has none.
int PortNumberFromName(std::string_view name);

// The device that a name opens: SerialDevicePath(n) for port n, else the name itself.
std::string DevicePathFromName(std::string_view name);

// The platform's device of serial port n (n >= 1): /dev/ttyS(n-1) on Linux,
// \\.\COMn on Windows (the form that opens ports above 9 as well).
std::string SerialDevicePath(int n);

}  // namespace vestok
