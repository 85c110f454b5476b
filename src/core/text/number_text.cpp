#include "text/number_text.h"

#include <charconv>
#include <limits>

namespace vestok {

std::optional<std::int32_t> ParseInt32(std::string_view text) {
  int base = 10;
  bool negative = false;
  if (text.starts_with("0x") || text.starts_with("0X")) {
    text.remove_prefix(2);
    base = 16;
  } else if (text.starts_with("$")) {
    text.remove_prefix(1);
    base = 16;
  } else if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty() || text.front() == '+' || text.front() == '-') return std::nullopt;
  std::uint64_t magnitude = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  const std::int64_t value = negative ? -std::int64_t(magnitude) : std::int64_t(magnitude);
  if (magnitude > std::uint64_t(std::numeric_limits<std::int64_t>::max()) ||
      value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max())
    return std::nullopt;
  return std::int32_t(value);
}

std::string IntToText(std::int64_t value) {
  char buf[24];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
  (void)ec;
  return std::string(buf, end);
}

}  // namespace vestok
