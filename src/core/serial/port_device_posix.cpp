#include <string>

#include "serial/port_name.h"

namespace vestok {

std::string SerialDevicePath(int n) { return "/dev/ttyS" + std::to_string(n - 1); }

}  // namespace vestok
