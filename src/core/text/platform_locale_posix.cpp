#include <langinfo.h>
#include <locale.h>

#include "text/platform_locale.h"

namespace vestok {

char PlatformDecimalSeparator() {
  // A private locale object: the process's own C locale is never switched.
  locale_t loc = newlocale(LC_NUMERIC_MASK, "", locale_t(0));
  if (loc == locale_t(0)) return '.';
  const char* radix = nl_langinfo_l(RADIXCHAR, loc);
  char sep = (radix && radix[0] && !radix[1]) ? radix[0] : '.';
  freelocale(loc);
  return sep;
}

}  // namespace vestok
