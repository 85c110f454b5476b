#pragma once
// Float text with a fixed decimal point character, never the C locale.
#include <optional>
#include <string>
#include <string_view>

namespace vestok {

// At most 15 significant digits, no grouping, no trailing zeros and no point
// when the fraction is zero. Fixed notation for 0 and for magnitudes from
// 0.0001 up to 15 digits before the point; otherwise one digit, the point and
// more digits if any, "E", "-" for a negative exponent, the exponent's digits:
// 2.5, 10, -0.75, 0.0001, 5E-5, 1.5E-7, 1E15, 1.23456789012346E15.
// Negative zero is written "0". NaN and infinities (which the tables refuse)
// are written "NAN", "INF" and "-INF".
std::string FloatToText(double value, char decimalPoint = '.');

// The text a table file stores: FloatToText with "." when that loads again,
// else the fewest digits (at most 17) that give the value exactly, in the same
// layout. Only values next to the largest double need that: 15 digits round
// them above it (1.79769313486232E308), and the file would stop loading there.
std::string FloatToStoredText(double value);

// Blanks, an optional sign, digits, optionally the decimal point and more
// digits, optionally an exponent ("E" or "e", an optional sign, digits), then
// blanks. At least one digit before or after the point. No value for any other
// text or for a value too large for a double; a value too small for one reads
// as zero.
std::optional<double> ParseFloatText(std::string_view text, char decimalPoint = '.');

}  // namespace vestok
