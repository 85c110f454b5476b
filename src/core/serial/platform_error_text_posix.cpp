#include <cstring>

#include "serial/platform_error_text.h"

namespace vestok {
namespace {

// strerror_r comes in two shapes (GNU returns the text, XSI fills the buffer);
// both are thread-safe, unlike strerror.
[[maybe_unused]] std::string PickText(const char* text, const char*) { return text; }
[[maybe_unused]] std::string PickText(int result, const char* buffer) {
  return result == 0 ? std::string(buffer) : std::string("Unknown error");
}

}  // namespace

std::string PlatformErrorText(std::int32_t code) {
  char buffer[256] = {};
  return PickText(strerror_r(code, buffer, sizeof buffer), buffer);
}

}  // namespace vestok
