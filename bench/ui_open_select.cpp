// Timing of the main window on a large items file: opening a 100,000-item file
// until the grid has painted it, and Select all on it.
#include <QAction>
#include <QApplication>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

#include "tables/document_table.h"
#include "text/decimal_separator.h"
#include "scripted_dialogs.h"
#include "ui/main_window.h"
#include "ui/table_grid.h"

namespace {

constexpr int kItems = 100000;

void WriteItemsFile(const std::string& path) {
  std::ofstream out(path, std::ios::binary);
  out << "\"PLUCode\",\"ItemName\",\"VAT\",\"Barcode\",\"Price\",\"PriceType\",\"Stand\",\"Group\",\"Dummy\",\r\n";
  for (int i = 1; i <= kItems; ++i) {
    out << '"' << i << "\",\"Articol de proba numarul " << i << "\",\"" << (i % 5) << "\",\"594" << (1000000000 + i)
        << "\",\"" << (i % 1000) << '.' << (i % 100) << "\",\"" << (i % 3) << "\",\"" << (i % 10) << "\",\"" << (i % 50)
        << "\",,\r\n";
  }
}

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  vestok::SetUserDecimalSeparator('.');
  QTemporaryDir dir;
  const QString file = dir.filePath("items.csv");
  WriteItemsFile(file.toStdString());

  vestok::TScriptedDialogs dialogs;
  vestok::TfMain window(nullptr, &dialogs);
  window.show();
  QApplication::processEvents();

  // Open: dialog answered, table emptied and loaded, grid reset and painted.
  dialogs.QueueFileName(file);
  auto start = std::chrono::steady_clock::now();
  window.aFileOpen->trigger();
  window.Grids()[vestok::tkItems]->repaint();
  QApplication::processEvents();
  const double open = Seconds(std::chrono::steady_clock::now() - start);
  if (window.Tables()[vestok::tkItems]->RecordCount() != std::size_t(kItems)) {
    std::fprintf(stderr, "the items file did not load\n");
    return 1;
  }

  start = std::chrono::steady_clock::now();
  window.aSelAll->trigger();
  window.Grids()[vestok::tkItems]->repaint();
  QApplication::processEvents();
  const double select = Seconds(std::chrono::steady_clock::now() - start);
  if (window.Grids()[vestok::tkItems]->SelectedBookmarks().size() != std::size_t(kItems)) {
    std::fprintf(stderr, "select all missed rows\n");
    return 1;
  }

  std::printf("ui.open_100k_items_s %.3f s\n", open);
  std::printf("ui.select_all_100k_s %.3f s\n", select);
  return 0;
}
