#pragma once
// Windows-1250 is the one code page of the program: table texts, table files
// and the wire all hold its bytes. Conversion to Unicode happens only where
// text meets the window.
#include <string>
#include <string_view>

namespace vestok {

// The Unicode character of one Windows-1250 byte. The five bytes the code
// page leaves undefined map to the C1 control of the same value, as Windows does.
char16_t Cp1250ToUnicode(unsigned char byte);

// The Windows-1250 byte of a Unicode character. The Romanian letters with a
// comma below (U+0218..U+021B), which today's keyboards type, become the
// cedilla letters the code page has; any other character outside it becomes '?'.
char UnicodeToCp1250(char32_t ch);

std::u16string Cp1250ToUtf16(std::string_view bytes);
// One byte per character; a surrogate pair is one character (and becomes '?').
std::string Utf16ToCp1250(std::u16string_view text);

}  // namespace vestok
