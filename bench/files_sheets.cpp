// Spreadsheet timings on an item list of 10,000 rows: the export of the table
// to .xlsx, and the import of that workbook back into a table (reading the
// sheet, matching the columns, converting every value). Best of three runs.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <unistd.h>

#include "sheets/sheet_export.h"
#include "sheets/sheet_import.h"
#include "sheets/sheet_read.h"

using namespace vestok;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kRows = 10000;
constexpr int kRuns = 3;

double Seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }

}  // namespace

int main() {
  DocumentTable items(TableDefinition(tkItems));
  items.Open();
  items.SuspendNotifications();
  for (int i = 1; i <= kRows; ++i) {
    items.Append();
    items.SetInteger("PLUCode", i);
    items.SetText("ItemName", "Articol de test nr " + std::to_string(i));
    items.SetInteger("VAT", i % 5);
    items.SetText("Barcode", "0" + std::to_string(594000000000LL + i));
    items.SetFloat("Price", (i % 10000) / 100.0 + 0.5);
    items.SetInteger("PriceType", i % 3);
    items.SetInteger("Stand", i % 20);
    items.SetInteger("Group", i % 50);
    items.Post();
  }
  items.ResumeNotifications();

  char dir[] = "/tmp/vestok_bench_sheets_XXXXXX";
  if (::mkdtemp(dir) == nullptr) return 1;
  const std::string path = std::string(dir) + "/items.xlsx";
  double exportBest = 1e9, importBest = 1e9;
  for (int run = 0; run < kRuns; ++run) {
    const auto t0 = Clock::now();
    ExportTableToXlsx(items, path);
    exportBest = std::min(exportBest, Seconds(t0));

    DocumentTable back(TableDefinition(tkItems));
    back.Open();
    const auto t1 = Clock::now();
    const SheetGrid grid = ReadSheet(path);
    const ImportResult r = ImportRows(grid, MatchColumns(back, ColumnTitles(grid)), back);
    importBest = std::min(importBest, Seconds(t1));
    if (r.RowsAdded != std::size_t(kRows) || !r.Problems.empty()) {
      std::fprintf(stderr, "bench_files_sheets: %zu rows back, %zu problems\n", r.RowsAdded, r.Problems.size());
      return 1;
    }
  }
  std::remove(path.c_str());
  ::rmdir(dir);
  std::printf("files.import_xlsx_10k_items_s %.3f s\n", importBest);
  std::printf("files.export_xlsx_10k_items_s %.3f s\n", exportBest);
  return 0;
}
