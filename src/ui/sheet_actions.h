#pragma once
// Fisier > "Importa din foaie de calcul..." and "Exporta in foaie de
// calcul...": the current table from a spreadsheet (.xlsx, .ods, .csv)
// through the preview of its columns, and out to an .xlsx workbook.
#include <QObject>
#include <QStringList>
#include <string>
#include <vector>

#include "sheets/sheet_read.h"
#include "tables/table_defs.h"

class QAction;
class QMenu;

namespace vestok {

class TfMain;

class TSheetActions final : public QObject {
  Q_OBJECT
 public:
  // Adds the two actions to `fileMenu`, after its print entry.
  TSheetActions(TfMain& window, QMenu* fileMenu);

  // The widest texts these actions write into status panel 1 (it is made
  // wide enough for them).
  static QStringList PanelOneTexts();

  QAction* const aSheetImport;
  QAction* const aSheetExport;

  // File dialog, preview, import into the current table.
  void Import();
  // File dialog, export of the current table.
  void Export();

  // What Import does once the columns are chosen: the table of `kind` is
  // emptied and filled from the sheet, the mapping is remembered for the
  // table, status panel 1 tells the outcome, and every value that could not
  // be taken goes to the log, which opens. Returns the rows taken.
  std::size_t ApplyImport(TableKind kind, const SheetGrid& grid, const std::vector<int>& fields);
  // The table of `kind` into `path`; the outcome in status panel 1.
  bool ExportTo(TableKind kind, const std::string& path);

 private:
  TfMain& w_;
};

}  // namespace vestok
