#pragma once
// Integer text without the C locale: std::from_chars / std::to_chars only.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vestok {

// Decimal digits with an optional '+' or '-', or hexadecimal digits after
// "0x", "0X" or "$" (no sign). The whole text must be the number and it must
// fit a signed 32-bit integer; anything else gives no value.
std::optional<std::int32_t> ParseInt32(std::string_view text);

std::string IntToText(std::int64_t value);

}  // namespace vestok
