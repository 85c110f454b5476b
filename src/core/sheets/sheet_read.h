#pragma once
// Reading a spreadsheet into memory: the cells of one sheet of an .xlsx, .ods
// or .csv file, as numbers and UTF-8 texts. What the cells mean for a table
// is sheet_import.h's business.
#include <cstddef>
#include <stdexcept>
#include <string>
#include <vector>

namespace vestok {

// A spreadsheet that cannot be read; what() is a Romanian line for the user.
class SheetError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct SheetCell {
  enum class Kind { Empty, Number, Text };
  Kind Type = Kind::Empty;
  double Number = 0;
  std::string Text;  // UTF-8
};

enum class CsvEncoding { Detect, Utf8, Cp1250 };

// Each left at its default is detected from the file.
struct CsvOptions {
  char Separator = 0;  // ',', ';' or '\t'
  CsvEncoding Encoding = CsvEncoding::Detect;
  char Decimal = 0;    // '.' or ','
};

struct SheetGrid {
  std::vector<std::vector<SheetCell>> Rows;  // row 0 is the first row of the sheet
  std::vector<std::string> SheetNames;       // UTF-8; one for a CSV file
  std::size_t Sheet = 0;                      // the sheet read (0-based)
  // The CSV file's own forms, as detected or given; for a workbook '.'.
  char Separator = ',';
  bool Utf8 = true;
  char Decimal = '.';
};

// Reads sheet `sheet` (0-based) of the file; the kind of file follows from its
// name's ending (.xlsx, .ods, anything else is CSV). SheetError when the file
// cannot be opened, is damaged, has no such sheet, or holds cells none of
// which could be read (never an empty sheet in silence).
SheetGrid ReadSheet(const std::string& path, std::size_t sheet = 0, const CsvOptions& csv = {});
// The CSV reading alone, from bytes in memory.
SheetGrid ReadCsv(std::string_view bytes, const CsvOptions& csv = {});

}  // namespace vestok
