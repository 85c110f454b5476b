#include "text/decimal_separator.h"

#include "text/platform_locale.h"

#include <atomic>

namespace vestok {
namespace {

std::atomic<char> g_separator{0};

}  // namespace

char UserDecimalSeparator() {
  char sep = g_separator.load(std::memory_order_relaxed);
  if (sep == 0) {
    sep = PlatformDecimalSeparator();
    g_separator.store(sep, std::memory_order_relaxed);
  }
  return sep;
}

void SetUserDecimalSeparator(char separator) { g_separator.store(separator, std::memory_order_relaxed); }

}  // namespace vestok
