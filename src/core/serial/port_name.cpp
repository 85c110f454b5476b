#include "serial/port_name.h"

#include <charconv>

#include "text/ascii.h"

namespace vestok {
namespace {

// The decimal number that makes up the whole rest of the name, or -1.
int DecimalRest(std::string_view rest) {
  if (rest.empty()) return -1;
  for (char c : rest)
    if (c < '0' || c > '9') return -1;
  int n = 0;
  auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), n);
  if (ec != std::errc() || end != rest.data() + rest.size()) return -1;
  return n;
}

}  // namespace

int PortNumberFromName(std::string_view name) {
  if (name.size() > 3 && AsciiIEquals(name.substr(0, 3), "COM")) {
    const int n = DecimalRest(name.substr(3));
    return n >= 1 ? n : -1;
  }
  constexpr std::string_view kTtyS = "/DEV/TTYS";
  if (name.size() > kTtyS.size() && AsciiIEquals(name.substr(0, kTtyS.size()), kTtyS)) {
    const int m = DecimalRest(name.substr(kTtyS.size()));
    return m >= 0 && m < 1 << 30 ? m + 1 : -1;
  }
  return -1;
}

std::string DevicePathFromName(std::string_view name) {
  const int n = PortNumberFromName(name);
  if (n < 0) return std::string(name);
  return SerialDevicePath(n);
}

}  // namespace vestok
