#pragma once
// UTF-8 at the edges: files that other programs wrote, spreadsheets, and the
// texts a spreadsheet gets back. Inside, texts stay Windows-1250 bytes.
#include <cstddef>
#include <string>
#include <string_view>

namespace vestok {

// Checks bytes for well-formed UTF-8 (no overlong forms, no surrogates,
// nothing above U+10FFFF), block by block: a sequence may span two blocks.
class Utf8Scan {
 public:
  void Feed(std::string_view bytes);
  // Every byte fed so far is UTF-8 and no sequence is left open.
  bool Valid() const { return valid_ && need_ == 0; }
  // A byte that is no UTF-8 was seen (more bytes cannot mend it).
  bool Failed() const { return !valid_; }
  // At least one character took more than one byte.
  bool MultiByte() const { return multiByte_; }

 private:
  bool valid_ = true;
  bool multiByte_ = false;
  int need_ = 0;              // continuation bytes still due
  unsigned char low_ = 0x80;  // the range the next continuation byte must fall in
  unsigned char high_ = 0xBF;
};

inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// Whether a table file or CSV of unknown origin is to be read as UTF-8: it
// begins with the byte-order mark, or it is well-formed UTF-8 with at least
// one character of more than one byte. Anything else is Windows-1250.
bool LooksLikeUtf8(std::string_view bytes);

// UTF-8 to Windows-1250 (the comma-below letters become the cedilla ones, as
// the grid does). A character the code page lacks becomes '?' and, when
// `missing` is given, is appended to it; a malformed byte counts as U+FFFD.
std::string Utf8ToCp1250(std::string_view utf8, std::u32string* missing = nullptr);

// Windows-1250 to UTF-8.
std::string Cp1250ToUtf8(std::string_view bytes);
void AppendUtf8(std::string& out, char32_t ch);

// "U+20B9".
std::string CodePointName(char32_t ch);

}  // namespace vestok
