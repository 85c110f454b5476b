#include "sheets/sheet_export.h"

#include <cstdio>
#include <xlsxwriter.h>

#include "sheets/sheet_read.h"
#include "tables/price_type.h"
#include "text/utf8.h"

namespace vestok {
namespace {

bool IsSalesReport(TableKind kind) { return kind == tkItemSales || kind == tkGroupSales || kind == tkStandSales; }

// Money, two decimals: the items' price and the sales values.
bool IsMoney(const DocumentTable& table, int field) {
  const std::string_view name = table.Fields()[std::size_t(field)].name;
  return (table.Kind() == tkItems && name == "Price") || (IsSalesReport(table.Kind()) && name == "Value");
}

std::string SheetName(const DocumentTable& table) {
  switch (table.Kind()) {
    case tkItems: return "Articole";
    case tkItemSales: return "Vanzari pe articole";
    case tkGroupSales: return "Vanzari pe grupe articole";
    case tkStandSales: return "Vanzari pe standuri";
    case tkOperators: return "Operatori";
    case tkPayType: return "Mijloace de plata";
    case tkDisc: return "Reduceri-Majorari";
    case tkRecFmt: return "Format bon";
    case tkHeadFoot: return "Antet bon";
    case tkSettings: return "Parametri casa";
    default: return std::string(table.Name()).substr(0, 31);
  }
}

class Workbook {
 public:
  explicit Workbook(const std::string& path) {
    lxw_workbook_options options{};
    options.constant_memory = LXW_FALSE;
    book_ = workbook_new_opt(path.c_str(), &options);
    if (book_ == nullptr) throw SheetError("Nu se poate salva fisierul specificat!");
  }
  ~Workbook() {
    if (book_ != nullptr) workbook_close(book_);
  }
  void Close() {
    const lxw_error e = workbook_close(book_);
    book_ = nullptr;
    if (e != LXW_NO_ERROR) throw SheetError("Nu se poate salva fisierul specificat!");
  }
  lxw_workbook* get() const { return book_; }

 private:
  lxw_workbook* book_ = nullptr;
};

// "'Vanzari pe articole'!$C$2:$C$10"
std::string Range(const std::string& sheet, int col, std::size_t firstRow, std::size_t lastRow) {
  auto cell = [&](std::size_t row) {
    std::string letters;
    for (int n = col + 1; n > 0; n = (n - 1) / 26) letters.insert(letters.begin(), char('A' + (n - 1) % 26));
    return "$" + letters + "$" + std::to_string(row + 1);
  };
  return "='" + sheet + "'!" + cell(firstRow) + ":" + cell(lastRow);
}

void WriteWorkbook(const DocumentTable& table, const std::string& path);

}  // namespace

void ExportTableToXlsx(const DocumentTable& table, const std::string& path) {
  // Written beside the target and put in its place once whole: a failed
  // export leaves an existing file as it was.
  const std::string partial = path + ".partial";
  try {
    WriteWorkbook(table, partial);
  } catch (...) {
    std::remove(partial.c_str());
    throw;
  }
  if (std::rename(partial.c_str(), path.c_str()) != 0) {
    std::remove(partial.c_str());
    throw SheetError("Nu se poate salva fisierul specificat!");
  }
}

namespace {

void WriteWorkbook(const DocumentTable& table, const std::string& path) {
  Workbook book(path);
  const std::string sheetName = SheetName(table);
  lxw_worksheet* ws = workbook_add_worksheet(book.get(), sheetName.c_str());
  lxw_format* header = workbook_add_format(book.get());
  format_set_bold(header);
  format_set_bottom(header, LXW_BORDER_THIN);
  lxw_format* money = workbook_add_format(book.get());
  format_set_num_format(money, "0.00");
  lxw_format* text = workbook_add_format(book.get());
  format_set_num_format(text, "@");
  lxw_format* totalLabel = workbook_add_format(book.get());
  format_set_bold(totalLabel);
  format_set_top(totalLabel, LXW_BORDER_THIN);
  lxw_format* totalMoney = workbook_add_format(book.get());
  format_set_bold(totalMoney);
  format_set_top(totalMoney, LXW_BORDER_THIN);
  format_set_num_format(totalMoney, "0.00");
  lxw_format* totalNumber = workbook_add_format(book.get());
  format_set_bold(totalNumber);
  format_set_top(totalNumber, LXW_BORDER_THIN);

  std::vector<int> fields;
  for (int f = 0; f < table.FieldCount(); ++f)
    if (table.Fields()[std::size_t(f)].Shown()) fields.push_back(f);
  const int priceType = table.Kind() == tkItems ? table.FieldIndex("PriceType") : -1;
  const std::size_t rows = table.RecordCount();

  std::string scratch;
  for (std::size_t c = 0; c < fields.size(); ++c) {
    const FieldDef& def = table.Fields()[std::size_t(fields[c])];
    scratch = Cp1250ToUtf8(def.title);
    worksheet_write_string(ws, 0, lxw_col_t(c), scratch.c_str(), header);
    const double width = def.type == FieldType::Text ? (def.width > 40 ? 36 : 18) : 12;
    worksheet_set_column(ws, lxw_col_t(c), lxw_col_t(c), std::max<double>(width, double(def.title.size()) + 2),
                         def.type == FieldType::Text ? text : nullptr);
  }
  worksheet_freeze_panes(ws, 1, 0);

  for (std::size_t r = 0; r < rows; ++r) {
    const auto row = lxw_row_t(r + 1);
    for (std::size_t c = 0; c < fields.size(); ++c) {
      const int f = fields[c];
      const auto col = lxw_col_t(c);
      if (table.IsNullAt(r, f)) continue;
      switch (table.Fields()[std::size_t(f)].type) {
        case FieldType::Integer: {
          const std::int32_t v = *table.IntegerAt(r, f);
          if (f == priceType) {
            scratch = Cp1250ToUtf8(PriceTypeText(true, v));
            if (!scratch.empty()) {
              worksheet_write_string(ws, row, col, scratch.c_str(), nullptr);
              break;
            }
          }
          worksheet_write_number(ws, row, col, double(v), nullptr);
          break;
        }
        case FieldType::Float:
          worksheet_write_number(ws, row, col, *table.FloatAt(r, f), IsMoney(table, f) ? money : nullptr);
          break;
        case FieldType::Text:
          scratch = Cp1250ToUtf8(table.TextViewAt(r, f));
          worksheet_write_string(ws, row, col, scratch.c_str(), text);
          break;
      }
    }
  }

  if (IsSalesReport(table.Kind())) {
    // The total row, under the data, and the chart of the value per key.
    const auto totalRow = lxw_row_t(rows + 1);
    worksheet_write_string(ws, totalRow, 0, "Total", totalLabel);
    int valueColumn = -1;
    for (std::size_t c = 1; c < fields.size(); ++c) {
      const int f = fields[c];
      double sum = 0;
      for (std::size_t r = 0; r < rows; ++r) sum += table.FloatAt(r, f).value_or(0);
      const std::string formula =
          rows == 0 ? std::string("=0") : "=SUM(" + Range(sheetName, int(c), 1, rows).substr(1) + ")";
      worksheet_write_formula_num(ws, totalRow, lxw_col_t(c), formula.c_str(),
                                  IsMoney(table, f) ? totalMoney : totalNumber, sum);
      if (table.Fields()[std::size_t(f)].name == "Value") valueColumn = int(c);
    }
    if (rows > 0 && valueColumn >= 0) {
      lxw_chart* chart = workbook_add_chart(book.get(), LXW_CHART_COLUMN);
      const std::string categories = Range(sheetName, 0, 1, rows);
      const std::string values = Range(sheetName, valueColumn, 1, rows);
      lxw_chart_series* series = chart_add_series(chart, categories.c_str(), values.c_str());
      scratch = Cp1250ToUtf8(table.Fields()[std::size_t(fields[std::size_t(valueColumn)])].title);
      chart_series_set_name(series, scratch.c_str());
      const std::string title = sheetName;
      chart_title_set_name(chart, title.c_str());
      chart_legend_set_position(chart, LXW_CHART_LEGEND_NONE);
      scratch = Cp1250ToUtf8(table.Fields()[std::size_t(fields[0])].title);
      chart_axis_set_name(chart->x_axis, scratch.c_str());
      lxw_chart_options place{};
      place.x_scale = 1.6;
      place.y_scale = 1.4;
      worksheet_insert_chart_opt(ws, 1, lxw_col_t(fields.size() + 1), chart, &place);
    }
  }
  book.Close();
}

}  // namespace
}  // namespace vestok
