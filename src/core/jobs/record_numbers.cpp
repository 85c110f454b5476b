#include "jobs/record_numbers.h"

#include <algorithm>
#include <charconv>
#include <cmath>


namespace vestok {
namespace {

// A finite, non-negative value rounded to 15 significant digits:
// value = d1.d2...d15 * 10^exponent. Zero gives fifteen '0' digits.
struct DecimalDigits {
  std::string digits;
  int exponent = 0;
};

DecimalDigits ToDigits(double magnitude) {
  char buf[64];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific, 14);
  (void)ec;
  std::string_view text(buf, std::size_t(end - buf));
  DecimalDigits d;
  const std::size_t e = text.find('e');
  d.digits.push_back(text[0]);
  d.digits.append(text.substr(2, e - 2));
  int exponent = 0;
  std::string_view exp = text.substr(e + 1);
  if (!exp.empty() && exp.front() == '+') exp.remove_prefix(1);
  std::from_chars(exp.data(), exp.data() + exp.size(), exponent);
  d.exponent = exponent;
  return d;
}

// Adds one unit in the last place of a string of decimal digits; returns true
// when the carry runs out of the front (999 -> 000, carry).
bool IncrementDigits(std::string& digits) {
  for (auto it = digits.rbegin(); it != digits.rend(); ++it) {
    if (*it != '9') {
      ++*it;
      return false;
    }
    *it = '0';
  }
  return true;
}

}  // namespace

std::string FormatPrice(double value, char separator) {
  if (!std::isfinite(value)) value = 0;
  const DecimalDigits d = ToDigits(std::fabs(value));
  // Split the fifteen digits at the decimal point.
  const int before = d.exponent + 1;  // digits before the point
  std::string whole, fraction;
  if (before <= 0) {
    fraction = std::string(std::size_t(-before), '0') + d.digits;
  } else if (before >= int(d.digits.size())) {
    whole = d.digits + std::string(std::size_t(before) - d.digits.size(), '0');
  } else {
    whole = d.digits.substr(0, std::size_t(before));
    fraction = d.digits.substr(std::size_t(before));
  }
  fraction.resize(std::max<std::size_t>(fraction.size(), 3), '0');
  // Round half away from zero at the second decimal.
  std::string cents = whole + fraction.substr(0, 2);
  if (fraction[2] >= '5' && IncrementDigits(cents)) cents.insert(cents.begin(), '1');
  std::string integerPart = cents.substr(0, cents.size() - 2);
  const std::size_t firstNonZero = integerPart.find_first_not_of('0');
  integerPart = firstNonZero == std::string::npos ? std::string() : integerPart.substr(firstNonZero);
  const bool zero = integerPart.empty() && cents.substr(cents.size() - 2) == "00";
  std::string out;
  if (value < 0 && !zero) out.push_back('-');
  out += integerPart;
  out.push_back(separator);
  out += cents.substr(cents.size() - 2);
  return out;
}

std::string FormatUploadFloat(double value, char separator) {
  if (!std::isfinite(value) || value == 0) return "0";
  DecimalDigits d = ToDigits(std::fabs(value));
  const std::size_t last = d.digits.find_last_not_of('0');
  d.digits.resize(last + 1);
  std::string out;
  if (value < 0) out.push_back('-');
  // Fixed form from 0.00001 up to fifteen integer digits; below or above, the exponent form.
  if (d.exponent >= -5 && d.exponent < 15) {
    if (d.exponent < 0) {
      out += '0';
      out.push_back(separator);
      out += std::string(std::size_t(-d.exponent - 1), '0');
      out += d.digits;
    } else {
      const std::size_t before = std::size_t(d.exponent) + 1;
      if (d.digits.size() <= before) {
        out += d.digits + std::string(before - d.digits.size(), '0');
      } else {
        out += d.digits.substr(0, before);
        out.push_back(separator);
        out += d.digits.substr(before);
      }
    }
  } else {
    out += d.digits[0];
    if (d.digits.size() > 1) {
      out.push_back(separator);
      out += d.digits.substr(1);
    }
    out += 'E';
    char buf[8];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, d.exponent);
    (void)ec;
    out.append(buf, end);
  }
  return out;
}

}  // namespace vestok
