#pragma once
// Number text of register records. Unlike table files, register records use
// the decimal separator of the user's regional settings; the callers pass it
// (normally UserDecimalSeparator()).
#include <string>
#include <string_view>

namespace vestok {

// The item price as the register takes it, pattern "#.00": rounded half away
// from zero to two decimals (after rounding to 15 significant digits, so 2.675
// gives 2.68), two decimals always, no digit before the separator when the
// integer part is zero: 3.5 -> "3.50", 0.5 -> ".50", 0 -> ".00", -2 -> "-2.00".
std::string FormatPrice(double value, char separator);

// Any other float of an upload: the shortest text with at most 15 significant
// digits ("10", "2.5", "0.25"); the exponent form ("1E-6", "1.5E20") when the
// value is below 0.00001 or has more than 15 integer digits.
std::string FormatUploadFloat(double value, char separator);

}  // namespace vestok
