// The main window's page rules and its file, selection and help actions.
#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QTabWidget>
#include <exception>

#include "ui/window_state.h"
#include "tables/table_file.h"
#include "text/cp1250.h"
#include "ui/about_box.h"
#include "ui/availability_rules.h"
#include "ui/detect_ecrs_dialog.h"
#include "ui/pc_communication_dialog.h"
#include "ui/file_path_text.h"
#include "ui/log_window.h"
#include "ui/main_window.h"
#include "ui/register_menu.h"
#include "ui/item_report.h"
#include "ui/quick_search.h"
#include "ui/settings_page.h"
#ifdef VESTOK_HAVE_SHEETS
#include "ui/sheet_actions.h"
#endif
#include "ui/status_panels.h"
#include "ui/table_grid.h"

namespace vestok {

namespace {

const QString kSaveDone = QStringLiteral("Salvare fisier terminata cu succes.");
const QString kSaveFailed = QStringLiteral("Nu se poate salva fisierul specificat!");
const QString kOpenFailed = QStringLiteral("Nu se poate deschide fisierul specificat!");

QString Latin(std::string_view text) { return QString::fromLatin1(text.data(), qsizetype(text.size())); }

// A file read as UTF-8 is Windows-1250 once saved over: panel 2 says so
// beside the save's own text in panel 1, until the next save.
void NoteSavedAsCp1250(TfMain& w, TableKind kind, bool over) {
  const bool was = over && CurrentFileReadAsUtf8[kind];
  CurrentFileReadAsUtf8[kind] = false;
  if (was)
    w.SetStatusText(2, Latin(kCp1250SavedNotice));
  else if (w.StatusText(2) == Latin(kCp1250SavedNotice))
    w.SetStatusText(2, QString());
}

QStringList FileFilters() { return {"CSV (*.csv)", "TXT (*.txt)", "Toate fisierele (*)"}; }

}  // namespace

TFileDialogSpec TfMain::OpenDialogSpec() { return {"Vestok Deschidere fisier", FileFilters(), "csv"}; }

TFileDialogSpec TfMain::SaveDialogSpec() { return {"Vestok Salvare fisier", FileFilters(), "csv"}; }

// ---- pages and rules

TableKind TfMain::CurrentTableKind() const {
  const int page = pcMain->currentIndex();
  switch (page) {
    case 0: return TableKindOfPage(0, pcData->currentIndex());
    case 1: return TableKindOfPage(1, pcOperNSetWork->currentIndex());
    case 2: return TableKindOfPage(2, pcReceiptSettings->currentIndex());
    default: return TableKindOfPage(page, 0);
  }
}

int TfMain::ProtocolVariant() const { return cbProtocol->currentIndex(); }

void TfMain::ShowTablePage(TableKind kind) {
  if (kind >= kTableCount) return;
  if (kind <= tkStandSales) {
    pcData->setCurrentIndex(kind);
    pcMain->setCurrentIndex(0);
  } else if (kind <= tkDisc) {
    pcOperNSetWork->setCurrentIndex(kind - tkOperators);
    pcMain->setCurrentIndex(1);
  } else if (kind <= tkHeadFoot) {
    pcReceiptSettings->setCurrentIndex(kind - tkRecFmt);
    pcMain->setCurrentIndex(2);
  } else {
    pcMain->setCurrentIndex(3);
  }
}

void TfMain::ApplyRules() {
  const TableKind kind = CurrentTableKind();
  if (!jobRunning_) {
    const int variant = ProtocolVariant();
    QAction* const ruled[kRuleActionCount] = {aImportAll, aImportSel, aExportAll, aExportSel, aDeleteAll,
                                              aDeleteSel, aFileNew,   aFileOpen,  aFileSave};
    for (int i = 0; i < kRuleActionCount; ++i) ruled[i]->setEnabled(RuleEnabled(kind, variant, TRuleAction(i)));
  }
  if (kind < kTableCount) SetStatusText(0, PathText(CurrentFileName[kind]));
}

void TfMain::SetJobRunning(bool running) {
  if (jobRunning_ == running) return;
  jobRunning_ = running;
  // The job has restored the actions as they were at its start; a variant
  // chosen meanwhile still has its say.
  if (!running) ApplyRules();
}

QString TfMain::StatusText(int panel) const {
  return panel >= 0 && panel < 3 ? panels_[std::size_t(panel)]->text() : QString();
}

void TfMain::SetStatusText(int panel, const QString& text) {
  if (panel >= 0 && panel < 3) static_cast<TStatusPanel*>(panels_[std::size_t(panel)])->SetPanelText(text);
}

QStringList TfMain::StatusPanelOneTexts() {
  QStringList texts = {kSaveDone, kSaveFailed, kOpenFailed, Latin(kUtf8ReadNotice)};
#ifdef VESTOK_HAVE_SHEETS
  texts << TSheetActions::PanelOneTexts();
#endif
  for (const JobTexts* job : {&kUploadTexts, &kDownloadTexts, &kDeleteTexts})
    for (std::string_view text : {job->VerdictOk, job->VerdictErrors})
      texts << QString::fromLatin1(text.data(), qsizetype(text.size()));
  for (const JobTexts* job : {&kUploadTexts, &kDownloadTexts, &kDeleteTexts})
    texts << QString::fromLatin1(job->Error.data(), qsizetype(job->Error.size())) + QStringLiteral("99999");
  return texts;
}

// ---- file actions, on the table shown

void TfMain::FileNew() {
  const TableKind kind = CurrentTableKind();
  if (kind >= kTableCount) return;
  if (gridRegistry_[kind] != nullptr) gridRegistry_[kind]->FinishEditing();
  EmptyTable(*tables_[kind]);
  CurrentFileName[kind] = std::string(kNoCurrentFile);
  CurrentFileReadAsUtf8[kind] = false;
  partialLoad_[kind] = false;
  MarkSaved(kind);
  SetStatusText(0, PathText(CurrentFileName[kind]));
  SetStatusText(2, QString());  // a note on the file that was shown
}

void TfMain::FileOpen() {
  const TableKind kind = CurrentTableKind();
  if (kind >= kTableCount) return;
  const std::optional<QString> chosen = dialogs_.OpenFileName(this, OpenDialogSpec());
  if (!chosen) return;
  // A failure or note of an earlier file action must not stand beside this one.
  SetStatusText(1, QString());
  SetStatusText(2, QString());
  try {
    if (gridRegistry_[kind] != nullptr) gridRegistry_[kind]->FinishEditing();
    EmptyTable(*tables_[kind]);
    CurrentFileName[kind] = PathBytes(*chosen);
    SetStatusText(0, *chosen);
    partialLoad_[kind] = true;  // until the whole file is in
    CurrentFileReadAsUtf8[kind] = false;
    TableFileReadInfo read;
    LoadTableFile(*tables_[kind], CurrentFileName[kind], read);
    partialLoad_[kind] = false;
    CurrentFileReadAsUtf8[kind] = read.Utf8;
    if (read.Utf8) SetStatusText(1, Latin(kUtf8ReadNotice));
    // Columns that are no field of the table: rows may lack names or prices.
    SetStatusText(2, QString::fromStdU16String(Cp1250ToUtf16(IgnoredColumnsNotice(read, 1))));
  } catch (const std::exception&) {
    // The name stays, and so do the records read before the failure; a plain
    // Save must not put this part in place of the whole file.
    SetStatusText(1, kOpenFailed);
  }
  MarkSaved(kind);
}

void TfMain::FileSave() {
  const TableKind kind = CurrentTableKind();
  if (kind >= kTableCount) return;
  if (CurrentFileName[kind] == kNoCurrentFile || partialLoad_[kind]) {
    FileSaveAs();
    return;
  }
  try {
    if (gridRegistry_[kind] != nullptr) gridRegistry_[kind]->SettleTable();
    if (kind == tkSettings) settingsPage_->Commit();
    SaveTableFile(*tables_[kind], CurrentFileName[kind]);
    SetStatusText(1, kSaveDone);
    NoteSavedAsCp1250(*this, kind, true);
    MarkSaved(kind);
  } catch (const std::exception&) {
    SetStatusText(1, kSaveFailed);
  }
}

void TfMain::FileSaveAs() {
  const TableKind kind = CurrentTableKind();
  if (kind >= kTableCount) return;
  const std::optional<QString> chosen = dialogs_.SaveFileName(this, SaveDialogSpec());
  if (!chosen) return;
  try {
    if (gridRegistry_[kind] != nullptr) gridRegistry_[kind]->SettleTable();
    if (kind == tkSettings) settingsPage_->Commit();
    const std::string path = PathBytes(*chosen);
    SaveTableFile(*tables_[kind], path);
    SetStatusText(1, kSaveDone);
    NoteSavedAsCp1250(*this, kind, path == CurrentFileName[kind]);
    MarkSaved(kind);
    CurrentFileName[kind] = path;
    partialLoad_[kind] = false;
    SetStatusText(0, *chosen);
  } catch (const std::exception&) {
    SetStatusText(1, kSaveFailed);  // the table keeps its file name
  }
}

void TfMain::SelectAll() {
  const TableKind kind = CurrentTableKind();
  // The ECR settings page has no grid; there it does nothing.
  if (kind >= kTableCount || gridRegistry_[kind] == nullptr) return;
  gridRegistry_[kind]->SelectAllRows();
}

// ---- windows opened from the window

void TfMain::ShowLog() {
  TfLog log(this);
  log.exec();
}

void TfMain::ShowAbout() {
  TfAbout about(this);
  about.exec();
}

void TfMain::ShowUserManual() {
  dialogs_.Message(this, TMessageKind::Plain, QStringLiteral("User manual"), TMessageButtons::Ok);
}


void TfMain::FilePrint() {
  // Always the item list, whatever page is shown; a row being typed in is
  // stored or dropped first, as a save would.
  if (gridRegistry_[tkItems] != nullptr) gridRegistry_[tkItems]->SettleTable();
  ShowItemListReport(this, *tables_[tkItems]);
}

void TfMain::ShowPCCommunication() { ShowPCCommunicationDialog(this); }

void TfMain::ShowDetectECRs() { ShowDetectECRsDialog(this); }

void TfMain::FocusSearch(QAction* action) {
  const TableKind kind = CurrentTableKind();
  FocusExecute(kind < kTableCount ? searchPanels_[kind] : nullptr, action->data().toInt());
}

}  // namespace vestok
