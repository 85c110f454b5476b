#include <windows.h>

#include "text/platform_locale.h"

namespace vestok {

char PlatformDecimalSeparator() {
  wchar_t text[8] = {};
  if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, text, 8) <= 0) return '.';
  // Only an ASCII separator of one letter is taken ("," or "."); anything
  // else could not be told apart on the wire.
  return text[0] > 0 && text[0] < 0x80 && text[1] == 0 ? static_cast<char>(text[0]) : '.';
}

}  // namespace vestok
