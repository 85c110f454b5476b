#include "sheets/sheet_read.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <iterator>
#include <ixion/address.hpp>
#include <ixion/cell_access.hpp>
#include <ixion/model_context.hpp>
#include <orcus/csv_parser.hpp>
#include <orcus/orcus_ods.hpp>
#include <orcus/orcus_xlsx.hpp>
#include <orcus/spreadsheet/document.hpp>
#include <orcus/spreadsheet/factory.hpp>
#include <orcus/spreadsheet/sheet.hpp>

#include "sheets/zip_pack.h"
#include "text/ascii.h"
#include "text/utf8.h"

namespace vestok {
namespace {

bool EndsWithI(std::string_view s, std::string_view tail) {
  return s.size() >= tail.size() && AsciiIEquals(s.substr(s.size() - tail.size()), tail);
}

// ---- workbooks

SheetGrid FromDocument(const orcus::spreadsheet::document& doc, std::size_t sheet, bool cellsInFile) {
  SheetGrid grid;
  for (std::size_t i = 0; i < doc.get_sheet_count(); ++i) grid.SheetNames.emplace_back(doc.get_sheet_name(i));
  if (grid.SheetNames.empty()) throw SheetError("Fisierul nu are nicio foaie care sa poata fi citita.");
  if (sheet >= grid.SheetNames.size())
    throw SheetError("Fisierul nu are foaia " + std::to_string(sheet + 1) + " (foi in fisier: " +
                     std::to_string(grid.SheetNames.size()) + ").");
  grid.Sheet = sheet;
  const orcus::spreadsheet::sheet* sh = doc.get_sheet(orcus::spreadsheet::sheet_t(sheet));
  const ixion::abs_range_t range = sh->get_data_range();
  if (!range.valid() || range.last.row < 0) {
    // The file holds cells, yet none came through: say so rather than give
    // an empty table.
    if (cellsInFile) throw SheetError("Foaia \"" + grid.SheetNames[sheet] + "\" nu a putut fi citita.");
    return grid;
  }
  const ixion::model_context& cx = doc.get_model_context();
  grid.Rows.resize(std::size_t(range.last.row) + 1);
  for (ixion::row_t r = 0; r <= range.last.row; ++r) {
    std::vector<SheetCell>& row = grid.Rows[std::size_t(r)];
    for (ixion::col_t c = 0; c <= range.last.column; ++c) {
      const ixion::cell_access cell = cx.get_cell_access(ixion::abs_address_t(ixion::sheet_t(sheet), r, c));
      SheetCell out;
      switch (cell.get_value_type()) {
        case ixion::cell_value_t::numeric:
          out.Type = SheetCell::Kind::Number;
          out.Number = cell.get_numeric_value();
          break;
        case ixion::cell_value_t::boolean:
          out.Type = SheetCell::Kind::Number;
          out.Number = cell.get_boolean_value() ? 1 : 0;
          break;
        case ixion::cell_value_t::string:
          out.Type = SheetCell::Kind::Text;
          out.Text = std::string(cell.get_string_value());
          break;
        default:
          break;
      }
      if (out.Type != SheetCell::Kind::Empty) {
        row.resize(std::size_t(c), SheetCell{});
        row.push_back(std::move(out));
      }
    }
  }
  return grid;
}

std::unique_ptr<orcus::spreadsheet::document> NewDocument() {
  return std::make_unique<orcus::spreadsheet::document>(orcus::spreadsheet::range_size_t{1048576, 16384});
}

SheetGrid ReadXlsx(const std::string& path, std::size_t sheet) {
  ZipEntries entries = ReadZipEntries(path);
  bool cells = false;
  for (const auto& [name, bytes] : entries)
    if (name.rfind("xl/worksheets/", 0) == 0 && bytes.find("<c ") != std::string::npos) cells = true;
  const bool repaired = NormalizeXlsx(entries);
  auto doc = NewDocument();
  orcus::spreadsheet::import_factory factory(*doc);
  orcus::orcus_xlsx app(&factory);
  try {
    if (repaired) {
      const std::string zip = StoredZip(entries);
      app.read_stream(zip);
    } else {
      app.read_file(path);
    }
  } catch (const std::exception&) {
    throw SheetError("Foaia de calcul .xlsx nu a putut fi citita (fisier deteriorat).");
  }
  return FromDocument(*doc, sheet, cells);
}

SheetGrid ReadOds(const std::string& path, std::size_t sheet) {
  auto doc = NewDocument();
  orcus::spreadsheet::import_factory factory(*doc);
  orcus::orcus_ods app(&factory);
  try {
    app.read_file(path);
  } catch (const std::exception&) {
    throw SheetError("Foaia de calcul .ods nu a putut fi citita (fisier deteriorat).");
  }
  return FromDocument(*doc, sheet, false);
}

// ---- CSV

class CsvHandler {
 public:
  CsvHandler(SheetGrid& grid, bool utf8) : grid_(grid), utf8_(utf8) {}
  void begin_parse() {}
  void end_parse() {}
  void begin_row() { grid_.Rows.emplace_back(); }
  void end_row() {}
  void cell(const char* p, std::size_t n, bool) {
    SheetCell c;
    if (n > 0) {
      c.Type = SheetCell::Kind::Text;
      c.Text = utf8_ ? std::string(p, n) : Cp1250ToUtf8(std::string_view(p, n));
    }
    grid_.Rows.back().push_back(std::move(c));
  }

 private:
  SheetGrid& grid_;
  bool utf8_;
};

// The separator is the one of TAB, ';' and ',' that the first line holds most
// often outside quotes (',' when it holds none).
char DetectSeparator(std::string_view bytes) {
  std::array<std::size_t, 3> counts{};
  constexpr std::array<char, 3> kSeps = {'\t', ';', ','};
  bool quoted = false;
  for (const char c : bytes) {
    if (c == '"') quoted = !quoted;
    if (quoted) continue;
    if (c == '\r' || c == '\n') break;
    for (std::size_t i = 0; i < kSeps.size(); ++i)
      if (c == kSeps[i]) ++counts[i];
  }
  const auto best = std::max_element(counts.begin(), counts.end());
  return *best == 0 ? ',' : kSeps[std::size_t(best - counts.begin())];
}

bool AllDigits(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "12,5": a decimal comma; "12.5": a decimal point. Thousands groups such as
// "1.250,50" count for the comma.
char DetectDecimal(const SheetGrid& grid, char separator) {
  if (separator == ',') return '.';
  std::size_t commas = 0;
  std::size_t points = 0;
  for (std::size_t r = 1; r < grid.Rows.size(); ++r)
    for (const SheetCell& c : grid.Rows[r]) {
      std::string_view t = c.Text;
      if (!t.empty() && t.front() == '-') t.remove_prefix(1);
      const std::size_t comma = t.rfind(',');
      const std::size_t point = t.rfind('.');
      if (comma != std::string_view::npos && point == std::string_view::npos) {
        if (AllDigits(t.substr(0, comma)) && AllDigits(t.substr(comma + 1))) ++commas;
      } else if (point != std::string_view::npos && comma == std::string_view::npos) {
        if (AllDigits(t.substr(0, point)) && AllDigits(t.substr(point + 1))) ++points;
      } else if (comma != std::string_view::npos && point < comma) {
        ++commas;
      }
    }
  return commas > points ? ',' : '.';
}

std::string ReadWholeFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw SheetError("Nu se poate deschide fisierul specificat!");
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw SheetError("Nu se poate deschide fisierul specificat!");
  return bytes;
}

}  // namespace

SheetGrid ReadCsv(std::string_view bytes, const CsvOptions& csv) {
  SheetGrid grid;
  grid.SheetNames = {"CSV"};
  grid.Utf8 = csv.Encoding == CsvEncoding::Detect ? LooksLikeUtf8(bytes) : csv.Encoding == CsvEncoding::Utf8;
  if (bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom) bytes.remove_prefix(kUtf8Bom.size());
  // The parser ends rows at LF only: CR LF and a lone CR become LF.
  std::string lf;
  if (bytes.find('\r') != std::string_view::npos) {
    lf.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      if (bytes[i] != '\r') lf += bytes[i];
      else if (i + 1 >= bytes.size() || bytes[i + 1] != '\n') lf += '\n';
    }
    bytes = lf;
  }
  grid.Separator = csv.Separator != 0 ? csv.Separator : DetectSeparator(bytes);
  orcus::csv::parser_config config;
  config.delimiters = std::string(1, grid.Separator);
  config.text_qualifier = '"';
  config.trim_cell_value = false;
  CsvHandler handler(grid, grid.Utf8);
  try {
    orcus::csv_parser<CsvHandler> parser(bytes.data(), bytes.size(), handler, config);
    parser.parse();
  } catch (const std::exception&) {
    throw SheetError("Fisierul CSV nu a putut fi citit.");
  }
  grid.Decimal = csv.Decimal != 0 ? csv.Decimal : DetectDecimal(grid, grid.Separator);
  return grid;
}

SheetGrid ReadSheet(const std::string& path, std::size_t sheet, const CsvOptions& csv) {
  if (EndsWithI(path, ".xlsx") || EndsWithI(path, ".xlsm")) return ReadXlsx(path, sheet);
  if (EndsWithI(path, ".ods")) return ReadOds(path, sheet);
  if (sheet != 0) throw SheetError("Un fisier CSV are o singura foaie.");
  return ReadCsv(ReadWholeFile(path), csv);
}

}  // namespace vestok
