#pragma once
// tItems.PriceType is stored as 0, 1 or 2 and shown and entered as text.
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace vestok {

// The texts of the values 0, 1 and 2, in the order the drop-down list offers them.
inline constexpr std::array<std::string_view, 3> kPriceTypeTexts = {"Fix", "Liber", "Liber max"};

// The text shown for a price type. Nothing (empty) while the items table holds
// no stored record; otherwise the value read as an integer (no value reads as
// 0) by kPriceTypeTexts, and nothing for any other number.
std::string_view PriceTypeText(bool tableHasStoredRecord, std::optional<std::int32_t> value);

// The value a typed text stands for: an exact, case-sensitive match with
// "Fix", "Liber" or "Liber max" gives 0, 1 or 2; any other text gives no
// value, and the caller leaves the field unchanged.
std::optional<std::int32_t> PriceTypeFromText(std::string_view text);

}  // namespace vestok
