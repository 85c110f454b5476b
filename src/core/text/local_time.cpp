#include "text/local_time.h"

namespace vestok {

std::string LocalTimeText(std::time_t when, const char* format) {
  std::tm tm{};
  localtime_r(&when, &tm);
  char buf[64];
  const std::size_t n = std::strftime(buf, sizeof buf, format, &tm);
  return std::string(buf, n);
}

}  // namespace vestok
