// The batch run of a command line "LOAD|SAVE A|S file": an upload of the
// items of a table file, or a download of the item sales into one, with no
// user interaction beyond the boxes that report a failure; then the window
// closes and the program ends.
#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <exception>

#include "jobs/operation_log.h"
#include "ui/window_state.h"
#include "tables/table_file.h"
#include "ui/file_path_text.h"
#include "ui/job_tag.h"
#include "ui/main_window.h"
#include "ui/register_menu.h"

namespace vestok {

namespace {

const QString kSaveDone = QStringLiteral("Salvare fisier terminata cu succes.");
const QString kSaveFailed = QStringLiteral("Nu se poate salva fisierul specificat!");
const QString kOpenFailed = QStringLiteral("Nu se poate deschide fisierul specificat!");

}  // namespace

void TfMain::ScheduleBatchRun() {
  if (!batch_.BatchMode || batchStarted_) return;
  batchStarted_ = true;
  // Out of the show or activation handling: the run handles events itself
  // for as long as its job lasts.
  QTimer::singleShot(0, this, &TfMain::BatchRun);
}

void TfMain::BatchRun() {
  batchRunning_ = true;
  cbProtocol->setCurrentIndex(batch_.BatchVariant == 0 ? 0 : 1);
  ApplyRules();  // as a choice in the list would, also when the index stays
  if (batch_.BatchSave)
    BatchDownload();
  else
    BatchUpload();
  batchRunning_ = false;
  close();
}

void TfMain::BatchUpload() {
  const TableKind kind = CurrentTableKind();  // "Articole": the items
  if (kind >= kTableCount) return;
  DocumentTable& table = *tables_[kind];
  TableFileReadInfo read;
  try {
    CurrentFileName[kind] = batch_.BatchFileName;
    SetStatusText(0, PathText(batch_.BatchFileName));
    partialLoad_[kind] = true;
    LoadTableFile(table, batch_.BatchFileName, read);  // the table is still empty
    partialLoad_[kind] = false;
    CurrentFileReadAsUtf8[kind] = read.Utf8;
  } catch (...) {
    dialogs_.Message(this, TMessageKind::Error, kOpenFailed, TMessageButtons::Ok);
    return;
  }
  QCoreApplication::processEvents();
  // Rows that would not reach the register intact are left out; their lines
  // go to the log.
  if (!StartOperation(kTagUpload, [&table](TEngine& engine) { return engine.Upload(table, std::nullopt); })) return;
  WaitForOperation();
  // The job's log says how the file was read, after its first line.
  std::vector<std::string> notes;
  if (read.Utf8) notes.emplace_back(kUtf8ReadNotice);
  if (!read.IgnoredColumns.empty()) notes.push_back(IgnoredColumnsNotice(read, read.IgnoredColumns.size()));
  if (!notes.empty() && OperationLog && Tag() == kTagUpload) {
    std::vector<std::string> lines = OperationLog->Lines();
    lines.insert(lines.begin() + (lines.empty() ? 0 : 1), notes.begin(), notes.end());
    OperationLog->Clear();
    for (std::string& l : lines) OperationLog->Add(std::move(l));
  }
}

void TfMain::BatchDownload() {
  ShowTablePage(tkItemSales);
  const TableKind kind = CurrentTableKind();
  if (kind >= kTableCount) return;
  DocumentTable& table = *tables_[kind];
  CurrentFileName[kind] = batch_.BatchFileName;
  SetStatusText(0, PathText(batch_.BatchFileName));
  QCoreApplication::processEvents();
  if (StartOperation(kTagDownload, [&table](TEngine& engine) { return engine.Download(table, std::nullopt); }))
    WaitForOperation();

  // Whether or not the job ran: a register that did not answer still leaves
  // the file, with the header line only.
  try {
    SaveTableFile(table, CurrentFileName[kind]);
    SetStatusText(1, kSaveDone);
  } catch (...) {
    SetStatusText(1, kSaveFailed);
    dialogs_.Message(this, TMessageKind::Error, kSaveFailed, TMessageButtons::Ok);
  }
}

}  // namespace vestok
