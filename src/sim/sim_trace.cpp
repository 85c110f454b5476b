#include "sim/sim_trace.h"

#include <array>
#include <algorithm>
#include <charconv>

#include "text/cp1250.h"
#include "text/number_text.h"

namespace vestok {
namespace {

void AppendUtf8(std::string& out, char16_t ch) {
  if (ch < 0x80) {
    out += static_cast<char>(ch);
  } else if (ch < 0x800) {
    out += static_cast<char>(0xC0 | (ch >> 6));
    out += static_cast<char>(0x80 | (ch & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (ch >> 12));
    out += static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (ch & 0x3F));
  }
}

std::string Hex2(unsigned char b) {
  static constexpr char digits[] = "0123456789ABCDEF";
  return {digits[b >> 4], digits[b & 0x0F]};
}

std::string Padded(std::string text, std::size_t width) {
  if (text.size() < width) text.append(width - text.size(), ' ');
  return text;
}

}  // namespace

std::string ReadableBytes(const std::string& bytes) {
  std::string out;
  for (char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (b == 0x0A) out += "<LF>";
    else if (b == 0x0D) out += "<CR>";
    else if (b == 0x00) out += "<NUL>";
    else if (b < 0x20 || b == 0x7F || (b >= 0x80 && b < 0xA0) || b == 0xFF) out += "<" + Hex2(b) + ">";
    else AppendUtf8(out, Cp1250ToUnicode(b));
  }
  return out;
}

std::string HexBytes(const std::string& bytes) {
  std::string out;
  for (char c : bytes) {
    if (!out.empty()) out += ' ';
    out += Hex2(static_cast<unsigned char>(c));
  }
  return out;
}

std::string FormatTraceEntry(const TTraceEntry& e) {
  std::array<char, 32> ms{};
  const auto r = std::to_chars(ms.data(), ms.data() + ms.size(), e.ms, std::chars_format::fixed, 3);
  std::string line = std::string(10 - std::min<std::size_t>(10, static_cast<std::size_t>(r.ptr - ms.data())), ' ');
  line.append(ms.data(), r.ptr);
  line += e.fromPc ? " PC->ECR " : " ECR->PC ";
  line += Padded(e.kind, 8);
  if (e.logicNo > 0) line += " #" + IntToText(e.logicNo);
  if (!e.text.empty()) line += "  " + ReadableBytes(e.text);
  if (!e.check.empty()) line += "  [check " + e.check + "]";
  line += "  " + HexBytes(e.bytes);
  return line;
}

}  // namespace vestok
