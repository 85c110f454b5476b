#include "tables/float_text.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <system_error>

namespace vestok {

namespace {

// `precision` digits after the first in scientific form, or the shortest
// digits that read back exactly when it is negative; then laid out.
std::string FormatFloat(double value, char decimalPoint, int precision) {
  char buf[40];
  auto [end, ec] = precision >= 0
                       ? std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, precision)
                       : std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific);
  (void)ec;
  const char* p = buf;
  const bool negative = *p == '-';
  if (negative) ++p;
  std::string digits;
  for (; *p != 'e'; ++p)
    if (*p != '.') digits.push_back(*p);
  int exponent = 0;
  std::from_chars(p + 1 + (p[1] == '+'), end, exponent);
  while (digits.size() > 1 && digits.back() == '0') digits.pop_back();

  std::string out;
  if (negative) out.push_back('-');
  if (exponent >= -4 && exponent < 15) {
    if (exponent < 0) {
      out += '0';
      out += decimalPoint;
      out.append(std::size_t(-exponent - 1), '0');
      out += digits;
    } else {
      const std::size_t whole = std::size_t(exponent) + 1;
      if (digits.size() <= whole) {
        out += digits;
        out.append(whole - digits.size(), '0');
      } else {
        out.append(digits, 0, whole);
        out += decimalPoint;
        out.append(digits, whole);
      }
    }
  } else {
    out += digits[0];
    if (digits.size() > 1) {
      out += decimalPoint;
      out.append(digits, 1);
    }
    out += 'E';
    if (exponent < 0) out += '-';
    char eb[8];
    auto r = std::to_chars(eb, eb + sizeof eb, std::abs(exponent));
    out.append(eb, r.ptr);
  }
  return out;
}

}  // namespace

std::string FloatToText(double value, char decimalPoint) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  if (value == 0) return "0";
  // Round to 15 significant digits once, then lay the digits out.
  return FormatFloat(value, decimalPoint, 14);
}

std::string FloatToStoredText(double value) {
  std::string text = FloatToText(value, '.');
  if (!std::isfinite(value) || value == 0) return text;
  const auto back = ParseFloatText(text, '.');
  if (back) return text;
  return FormatFloat(value, '.', -1);
}

std::optional<double> ParseFloatText(std::string_view text, char decimalPoint) {
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  std::size_t i = 0, n = text.size();
  while (i < n && blank(text[i])) ++i;
  while (n > i && blank(text[n - 1])) --n;
  // Check the grammar and build the text std::from_chars takes: no '+', '.'
  // as the point.
  char buf[128];
  std::string big;
  const std::size_t length = n - i;
  char* out = length < sizeof buf ? buf : (big.resize(length), big.data());
  char* o = out;
  bool negative = false;
  if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (negative) *o++ = '-';
  std::size_t mantissaDigits = 0;
  long wholeSignificant = 0;  // digits before the point after leading zeros
  long fractionZeros = 0;     // zeros after the point before the first other digit
  bool seenNonZero = false;
  for (; i < n && text[i] >= '0' && text[i] <= '9'; ++i, ++mantissaDigits) {
    if (text[i] != '0') seenNonZero = true;
    if (seenNonZero) ++wholeSignificant;
    *o++ = text[i];
  }
  if (i < n && text[i] == decimalPoint) {
    *o++ = '.';
    for (++i; i < n && text[i] >= '0' && text[i] <= '9'; ++i, ++mantissaDigits) {
      if (text[i] != '0') seenNonZero = true;
      if (!seenNonZero) ++fractionZeros;
      *o++ = text[i];
    }
  }
  if (mantissaDigits == 0) return std::nullopt;
  long exponent = 0;
  if (i < n && (text[i] == 'E' || text[i] == 'e')) {
    *o++ = 'e';
    ++i;
    bool expNegative = false;
    if (i < n && (text[i] == '+' || text[i] == '-')) {
      expNegative = text[i] == '-';
      if (expNegative) *o++ = '-';
      ++i;
    }
    std::size_t expDigits = 0;
    for (; i < n && text[i] >= '0' && text[i] <= '9'; ++i, ++expDigits) {
      *o++ = text[i];
      if (exponent < 100000) exponent = exponent * 10 + (text[i] - '0');
    }
    if (expDigits == 0) return std::nullopt;
    if (expNegative) exponent = -exponent;
  }
  if (i != n) return std::nullopt;
  if (!seenNonZero) return negative ? -0.0 : 0.0;
  double value = 0;
  auto [ptr, ec] = std::from_chars(out, o, value);
  if (ec == std::errc::result_out_of_range) {
    // Out of range either way: too large is an error, too small is zero.
    const long magnitude = wholeSignificant > 0 ? exponent + wholeSignificant : exponent - fractionZeros;
    if (magnitude < 0) return negative ? -0.0 : 0.0;
    return std::nullopt;
  }
  if (ec != std::errc() || ptr != o || !std::isfinite(value)) return std::nullopt;
  return value;
}

}  // namespace vestok
