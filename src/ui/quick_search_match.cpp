#include "ui/quick_search_match.h"

#include <QLocale>
#include <charconv>
#include <cstdint>
#include <string>

#include "text/cp1250.h"

namespace vestok {

const std::array<unsigned char, 256>& Cp1250UpperTable() {
  static const std::array<unsigned char, 256> table = [] {
    std::array<unsigned char, 256> t{};
    const QLocale locale;
    for (int b = 0; b < 256; ++b) {
      t[std::size_t(b)] = static_cast<unsigned char>(b);
      const QChar ch(Cp1250ToUnicode(static_cast<unsigned char>(b)));
      const QString upper = locale.toUpper(QString(ch));
      if (upper.size() != 1 || upper[0] == ch) continue;
      const char back = UnicodeToCp1250(upper[0].unicode());
      // Only a letter the code page holds in both cases folds.
      if (Cp1250ToUnicode(static_cast<unsigned char>(back)) == upper[0].unicode())
        t[std::size_t(b)] = static_cast<unsigned char>(back);
    }
    return t;
  }();
  return table;
}

TFieldSearch::TFieldSearch(const DocumentTable& table, int field)
    : table_(table), field_(field), number_(table.Fields()[std::size_t(field)].type != FieldType::Text) {}

std::size_t TFieldSearch::FindFirst(const QString& typed) const {
  if (typed.isEmpty() || !table_.IsOpen()) return DocumentTable::npos;
  return number_ ? FindNumber(typed) : FindText(typed);
}

std::size_t TFieldSearch::FindText(const QString& typed) const {
  const std::u16string wide = typed.toStdU16String();
  std::string key = Utf16ToCp1250(wide);
  if (key.size() != wide.size()) return DocumentTable::npos;  // a character outside the code page
  const auto& upper = Cp1250UpperTable();
  for (std::size_t i = 0; i < key.size(); ++i) {
    if (key[i] == '?' && wide[i] != u'?') return DocumentTable::npos;
    key[i] = char(upper[static_cast<unsigned char>(key[i])]);
  }
  const std::size_t rows = table_.RowCount();
  for (std::size_t row = 0; row < rows; ++row) {
    const std::string_view value = table_.TextViewAt(row, field_);
    if (value.size() < key.size()) continue;
    std::size_t i = 0;
    while (i < key.size() && char(upper[static_cast<unsigned char>(value[i])]) == key[i]) ++i;
    if (i == key.size()) return row;
  }
  return DocumentTable::npos;
}

std::size_t TFieldSearch::FindNumber(const QString& typed) const {
  const std::string text = typed.toStdString();
  std::int32_t number = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, number);
  if (ec != std::errc() || ptr != end) return DocumentTable::npos;
  const std::size_t rows = table_.RowCount();
  for (std::size_t row = 0; row < rows; ++row) {
    const auto value = table_.IntegerAt(row, field_);
    if (value && *value == number) return row;
  }
  return DocumentTable::npos;
}

QString TFieldSearch::ValueText(std::size_t row) const {
  if (number_) return QString::fromStdString(table_.TextAt(row, field_));
  return QString::fromStdU16String(Cp1250ToUtf16(table_.TextViewAt(row, field_)));
}

}  // namespace vestok
