#include "tables/price_type.h"

namespace vestok {

std::string_view PriceTypeText(bool tableHasStoredRecord, std::optional<std::int32_t> value) {
  if (!tableHasStoredRecord) return {};
  const std::int32_t v = value.value_or(0);
  if (v < 0 || v >= std::int32_t(kPriceTypeTexts.size())) return {};
  return kPriceTypeTexts[std::size_t(v)];
}

std::optional<std::int32_t> PriceTypeFromText(std::string_view text) {
  for (std::size_t i = 0; i < kPriceTypeTexts.size(); ++i)
    if (text == kPriceTypeTexts[i]) return std::int32_t(i);
  return std::nullopt;
}

}  // namespace vestok
