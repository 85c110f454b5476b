#include "text/utf8.h"

#include "text/cp1250.h"

namespace vestok {

void Utf8Scan::Feed(std::string_view bytes) {
  for (const char c : bytes) {
    if (!valid_) return;
    const auto b = static_cast<unsigned char>(c);
    if (need_ > 0) {
      if (b < low_ || b > high_) {
        valid_ = false;
        return;
      }
      low_ = 0x80;
      high_ = 0xBF;
      --need_;
      continue;
    }
    if (b < 0x80) continue;
    multiByte_ = true;
    if (b >= 0xC2 && b <= 0xDF) {
      need_ = 1;
    } else if (b >= 0xE0 && b <= 0xEF) {
      need_ = 2;
      if (b == 0xE0) low_ = 0xA0;   // no overlong form
      if (b == 0xED) high_ = 0x9F;  // no surrogate
    } else if (b >= 0xF0 && b <= 0xF4) {
      need_ = 3;
      if (b == 0xF0) low_ = 0x90;
      if (b == 0xF4) high_ = 0x8F;  // nothing above U+10FFFF
    } else {
      valid_ = false;
    }
  }
}

bool LooksLikeUtf8(std::string_view bytes) {
  if (bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom) return true;
  Utf8Scan scan;
  scan.Feed(bytes);
  return scan.Valid() && scan.MultiByte();
}

namespace {

// One character from `s` at `i` (moved past it); a malformed byte gives U+FFFD.
char32_t NextChar(std::string_view s, std::size_t& i) {
  const auto b = static_cast<unsigned char>(s[i++]);
  if (b < 0x80) return b;
  int more = b >= 0xF0 ? 3 : b >= 0xE0 ? 2 : b >= 0xC0 ? 1 : -1;
  if (more < 0 || b > 0xF4) return 0xFFFD;
  char32_t ch = b & (0x3F >> more);
  for (; more > 0; --more) {
    if (i >= s.size() || (static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) return 0xFFFD;
    ch = (ch << 6) | (static_cast<unsigned char>(s[i++]) & 0x3F);
  }
  return ch;
}

}  // namespace

std::string Utf8ToCp1250(std::string_view utf8, std::u32string* missing) {
  std::string out;
  out.reserve(utf8.size());
  std::size_t i = 0;
  while (i < utf8.size()) {
    const char32_t ch = NextChar(utf8, i);
    const char byte = UnicodeToCp1250(ch);
    if (byte == '?' && ch != U'?' && missing != nullptr) missing->push_back(ch);
    out.push_back(byte);
  }
  return out;
}

void AppendUtf8(std::string& out, char32_t ch) {
  if (ch < 0x80) {
    out.push_back(char(ch));
  } else if (ch < 0x800) {
    out.push_back(char(0xC0 | (ch >> 6)));
    out.push_back(char(0x80 | (ch & 0x3F)));
  } else if (ch < 0x10000) {
    out.push_back(char(0xE0 | (ch >> 12)));
    out.push_back(char(0x80 | ((ch >> 6) & 0x3F)));
    out.push_back(char(0x80 | (ch & 0x3F)));
  } else {
    out.push_back(char(0xF0 | (ch >> 18)));
    out.push_back(char(0x80 | ((ch >> 12) & 0x3F)));
    out.push_back(char(0x80 | ((ch >> 6) & 0x3F)));
    out.push_back(char(0x80 | (ch & 0x3F)));
  }
}

std::string Cp1250ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + bytes.size() / 4);
  for (const char c : bytes) AppendUtf8(out, Cp1250ToUnicode(static_cast<unsigned char>(c)));
  return out;
}

std::string CodePointName(char32_t ch) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string digits;
  for (char32_t v = ch; v != 0 || digits.size() < 4; v >>= 4) digits.insert(digits.begin(), kHex[v & 0xF]);
  return "U+" + digits;
}

}  // namespace vestok
