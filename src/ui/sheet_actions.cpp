#include "ui/sheet_actions.h"

#include <QAction>
#include <QMenu>

#include "jobs/operation_log.h"
#include "sheets/sheet_export.h"
#include "sheets/sheet_import.h"
#include "ui/window_state.h"
#include "tables/table_file.h"
#include "text/cp1250.h"
#include "text/number_text.h"
#include "ui/dialogs.h"
#include "ui/file_path_text.h"
#include "ui/log_window.h"
#include "ui/main_window.h"
#include "ui/settings_page.h"
#include "ui/sheet_import_dialog.h"
#include "ui/table_grid.h"

namespace vestok {
namespace {

QString FromCp1250(std::string_view text) { return QString::fromStdU16String(Cp1250ToUtf16(text)); }

const QString kExportDone = QStringLiteral("Export .xlsx terminat cu succes.");
const QString kSaveFailed = QStringLiteral("Nu se poate salva fisierul specificat!");
const QString kOpenFailed = QStringLiteral("Nu se poate deschide fisierul specificat!");
constexpr std::string_view kImportLogFirst = "Import din foaie de calcul: valori care nu au putut fi preluate";

QAction* NewAction(QObject* parent, const char* name, const QString& text) {
  auto* a = new QAction(text, parent);
  a->setObjectName(name);
  return a;
}

}  // namespace

QStringList TSheetActions::PanelOneTexts() {
  return {kExportDone, QStringLiteral("Import: 99999 randuri preluate"), QStringLiteral("Import: 99999 randuri, 99999 erori")};
}

TSheetActions::TSheetActions(TfMain& window, QMenu* fileMenu)
    : QObject(&window),
      aSheetImport(NewAction(this, "aSheetImport", QStringLiteral("&Importa din foaie de calcul..."))),
      aSheetExport(NewAction(this, "aSheetExport", QStringLiteral("E&xporta in foaie de calcul..."))),
      w_(window) {
  aSheetImport->setToolTip(QStringLiteral("Preia tabelul curent dintr-o foaie de calcul (.xlsx, .ods, .csv)"));
  aSheetExport->setToolTip(QStringLiteral("Scrie tabelul curent intr-o foaie de calcul .xlsx"));
  connect(aSheetImport, &QAction::triggered, this, &TSheetActions::Import);
  connect(aSheetExport, &QAction::triggered, this, &TSheetActions::Export);
  // After the print entry.
  QAction* before = nullptr;
  const QList<QAction*> entries = fileMenu->actions();
  for (int i = 0; i + 1 < entries.size(); ++i)
    if (entries[i] == w_.aFilePrint) before = entries[i + 1];
  fileMenu->insertAction(before, aSheetImport);
  fileMenu->insertAction(before, aSheetExport);
  // Nothing of it while a job uses the tables: the job's own disabling
  // covers only the window's action list.
  connect(fileMenu, &QMenu::aboutToShow, this, [this] {
    const bool idle = !w_.JobRunning() && w_.CurrentTableKind() < kTableCount;
    aSheetImport->setEnabled(idle);
    aSheetExport->setEnabled(idle);
  });
}

void TSheetActions::Import() {
  const TableKind kind = w_.CurrentTableKind();
  if (kind >= kTableCount || w_.JobRunning()) return;
  const TFileDialogSpec spec{QStringLiteral("Vestok Import din foaie de calcul"),
                             {QStringLiteral("Foi de calcul (*.xlsx *.ods *.csv)"),
                              QStringLiteral("Toate fisierele (*)")},
                             QStringLiteral("xlsx")};
  const std::optional<QString> chosen = w_.Dialogs().OpenFileName(&w_, spec);
  if (!chosen) return;
  std::unique_ptr<TfSheetImport> preview;
  try {
    preview = std::make_unique<TfSheetImport>(&w_, *w_.Tables()[kind], PathBytes(*chosen));
  } catch (const SheetError& e) {
    w_.SetStatusText(1, kOpenFailed);
    w_.Dialogs().Message(&w_, TMessageKind::Error, FromCp1250(e.what()), TMessageButtons::Ok);
    return;
  }
  if (preview->exec() != QDialog::Accepted) return;
  ApplyImport(kind, preview->Grid(), preview->Fields());
}

std::size_t TSheetActions::ApplyImport(TableKind kind, const SheetGrid& grid, const std::vector<int>& fields) {
  DocumentTable& table = *w_.Tables()[kind];
  if (TTableGrid* g = w_.Grids()[kind]; g != nullptr) g->FinishEditing();
  EmptyTable(table);
  const ImportResult result = ImportRows(grid, fields, table);
  SaveRememberedColumns(table.Name(), MappingToRemember(table, ColumnTitles(grid), fields));
  // The rows came from no table file: a Save asks for a name.
  CurrentFileName[kind] = std::string(kNoCurrentFile);
  CurrentFileReadAsUtf8[kind] = false;
  w_.SetStatusText(0, PathText(CurrentFileName[kind]));
  std::string outcome = "Import: " + IntToText(std::int64_t(result.RowsAdded)) + " randuri";
  if (result.Problems.empty()) {
    outcome += " preluate";
  } else {
    outcome += ", " + IntToText(std::int64_t(result.Problems.size())) + " erori";
    if (!OperationLog) OperationLog = std::make_unique<TOperationLog>();
    OperationLog->Clear();
    OperationLog->Add(std::string(kImportLogFirst));
    for (const ImportProblem& p : result.Problems) OperationLog->Add(ProblemLine(grid, p));
    auto* log = new TfLog(&w_);
    log->setAttribute(Qt::WA_DeleteOnClose);
    log->show();
  }
  w_.SetStatusText(1, FromCp1250(outcome));
  return result.RowsAdded;
}

void TSheetActions::Export() {
  const TableKind kind = w_.CurrentTableKind();
  if (kind >= kTableCount || w_.JobRunning()) return;
  const TFileDialogSpec spec{QStringLiteral("Vestok Export in foaie de calcul"),
                             {QStringLiteral("Foaie de calcul Excel (*.xlsx)")}, QStringLiteral("xlsx")};
  const std::optional<QString> chosen = w_.Dialogs().SaveFileName(&w_, spec);
  if (!chosen) return;
  ExportTo(kind, PathBytes(*chosen));
}

bool TSheetActions::ExportTo(TableKind kind, const std::string& path) {
  try {
    if (TTableGrid* g = w_.Grids()[kind]; g != nullptr) g->SettleTable();
    if (kind == tkSettings && w_.SettingsPage() != nullptr) w_.SettingsPage()->Commit();
    ExportTableToXlsx(*w_.Tables()[kind], path);
  } catch (const std::exception&) {
    w_.SetStatusText(1, kSaveFailed);
    return false;
  }
  w_.SetStatusText(1, kExportDone);
  return true;
}

}  // namespace vestok
