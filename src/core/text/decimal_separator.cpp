#include "text/decimal_separator.h"

#include <langinfo.h>
#include <locale.h>

#include <atomic>

namespace vestok {
namespace {

char ReadFromEnvironment() {
  // A private locale object: the process's own C locale is never switched.
  locale_t loc = newlocale(LC_NUMERIC_MASK, "", locale_t(0));
  if (loc == locale_t(0)) return '.';
  const char* radix = nl_langinfo_l(RADIXCHAR, loc);
  char sep = (radix && radix[0] && !radix[1]) ? radix[0] : '.';
  freelocale(loc);
  return sep;
}

std::atomic<char> g_separator{0};

}  // namespace

char UserDecimalSeparator() {
  char sep = g_separator.load(std::memory_order_relaxed);
  if (sep == 0) {
    sep = ReadFromEnvironment();
    g_separator.store(sep, std::memory_order_relaxed);
  }
  return sep;
}

void SetUserDecimalSeparator(char separator) { g_separator.store(separator, std::memory_order_relaxed); }

}  // namespace vestok
