#pragma once
// A sheet's rows into a table: which column goes into which field (from the
// column titles, a mapping remembered per table, or the user's choice), and
// the conversion of every value, each one that cannot be converted named by
// its row and column.
#include <cstddef>
#include <map>
#include <string>
#include <vector>

#include "sheets/sheet_read.h"
#include "tables/document_table.h"

namespace vestok {

// The field of each column of the first row (-1: the column is left out).
// A title names a field when it equals, ignoring case, blanks, dots and
// diacritics, the field's name, the grid's title of it, or one of the usual
// words ("Cod", "PLU", "Denumire", "Nume", "TVA", "Cod bare", "EAN", "Pret",
// "Tip pret", "Stand", "Departament", "Grup", ...). A remembered mapping
// (title -> field name) goes first, for the titles it holds. No field is
// given to two columns: the first column keeps it.
using RememberedColumns = std::map<std::string, std::string>;  // UTF-8 title -> field name
std::vector<int> MatchColumns(const DocumentTable& table, const std::vector<std::string>& titles,
                              const RememberedColumns& remembered = {});

// The titles of the sheet's first row, as UTF-8 texts ("" for an empty cell;
// a number as its text).
std::vector<std::string> ColumnTitles(const SheetGrid& grid);

// The mapping to remember: title -> field name, for every column that has
// a title (a column left out is remembered as "").
RememberedColumns MappingToRemember(const DocumentTable& table, const std::vector<std::string>& titles,
                                    const std::vector<int>& fields);

// Parses --map "Titlu coloana=Field,...": field names or grid titles;
// SheetError for a field the table does not have.
RememberedColumns ParseMapOption(const DocumentTable& table, std::string_view text);

// Remembered mappings, one file per user beside the exchange copies:
// $XDG_DATA_HOME/vestok/coloane-foi.txt (~/.local/share/vestok/... without
// it), UTF-8 lines "Table<TAB>title<TAB>field".
std::string RememberedColumnsPath();
RememberedColumns LoadRememberedColumns(std::string_view tableName, const std::string& path = RememberedColumnsPath());
// Replaces the table's lines; false when the file cannot be written.
bool SaveRememberedColumns(std::string_view tableName, const RememberedColumns& columns,
                           const std::string& path = RememberedColumnsPath());

struct ImportProblem {
  std::size_t Row = 0;     // 0-based row of the sheet
  std::size_t Column = 0;  // 0-based column of the sheet
  std::string Reason;      // Romanian, ASCII
  bool RowLeftOut = true;  // false: the row came in, this text cut or with characters lost
};

struct ImportResult {
  std::size_t RowsAdded = 0;
  std::vector<ImportProblem> Problems;
};

// Appends one record per row after the first (rows with no value at all are
// skipped). A row with a value that cannot be converted is left out and
// named; a text with a character Windows-1250 lacks comes in with '?' and is
// named (and noted in the table for the check before an upload), and so is
// a text longer than its field, which the table cuts. Numbers in
// text cells are read with `decimal` as decimal point ("." or ","); a whole
// number read as 1.0 goes into an integer field as 1; the price type takes
// "Fix", "Liber", "Liber max" or 0..2.
ImportResult ImportRows(const SheetGrid& grid, const std::vector<int>& fields, DocumentTable& table);

// "Rand 3, coloana C (Pret): ..."
std::string ProblemLine(const SheetGrid& grid, const ImportProblem& problem);
// "A", "B", ..., "AA"
std::string ColumnLetters(std::size_t column);

}  // namespace vestok
