#pragma once
// The lookup behind a quick-search box: the first record, in table order,
// whose field matches what the user has typed. Text fields match when they
// begin with the typed text, letter case ignored as the user's locale folds
// it (accented letters still have to match as typed); number fields match
// when they hold exactly the number typed.
#include <QString>
#include <array>
#include <cstddef>

#include "tables/document_table.h"

namespace vestok {

class TFieldSearch {
 public:
  // `field` is an index into `table`'s fields; the table must outlive this.
  TFieldSearch(const DocumentTable& table, int field);

  bool IsNumberField() const { return number_; }
  // The first matching row, or DocumentTable::npos. An empty text matches
  // nothing (the box treats it apart); so does a number box's text that is
  // not a whole decimal number, and a character Windows-1250 cannot hold.
  std::size_t FindFirst(const QString& typed) const;
  // The field's value in `row` as the box shows it.
  QString ValueText(std::size_t row) const;

 private:
  std::size_t FindText(const QString& typed) const;
  std::size_t FindNumber(const QString& typed) const;

  const DocumentTable& table_;
  int field_;
  bool number_;
};

// Upper case of each Windows-1250 byte under the user's locale, where that
// upper case is again one Windows-1250 byte; the byte itself otherwise.
const std::array<unsigned char, 256>& Cp1250UpperTable();

}  // namespace vestok
