#include <string>

#include "serial/port_name.h"

namespace vestok {

std::string SerialDevicePath(int n) { return "\\\\.\\COM" + std::to_string(n); }

}  // namespace vestok
