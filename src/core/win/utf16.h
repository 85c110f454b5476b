#pragma once
// UTF-8 inside the program, UTF-16 where it calls Windows: the conversions.
// Windows build only. Bytes that are not valid UTF-8 become U+FFFD.
#include <string>
#include <string_view>

namespace vestok::win {

std::wstring Utf16(std::string_view utf8);
std::string Utf8(std::wstring_view utf16);

// The text of a Windows error code (FormatMessage), without its line end;
// "Error N" when Windows has none.
std::string ErrorMessage(unsigned long code);

}  // namespace vestok::win
