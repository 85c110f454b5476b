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

#include "jobs/load_thread.h"
#include "jobs/operation_log.h"
#include "jobs/save_thread.h"
#include "jobs/transfer_job.h"
#include "tables/current_file_name.h"
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
  bool started = false;
  try {
    CurrentFileName[kind] = batch_.BatchFileName;
    SetStatusText(0, PathText(batch_.BatchFileName));
    partialLoad_[kind] = true;
    TableFileReadInfo read;
    LoadTableFile(table, batch_.BatchFileName, read);  // the table is still empty
    partialLoad_[kind] = false;
    CurrentFileReadAsUtf8[kind] = read.Utf8;
    QCoreApplication::processEvents();
    if (QueryFiscalNumber()) {
      tag_ = kTagUpload;
      // Enabled before the job exists, so the wait below cannot end before
      // the job has begun; the job disables it at its end.
      aStop->setEnabled(true);
      // Rows that would not reach the register intact are left out; their
      // lines go to the log.
      RowSelection rows;
      const JobKind job = JobKind(batch_.BatchVariant * 100 + kind);
      if (registerMenu_ != nullptr) {
        registerMenu_->CheckBeforeUpload(job, table, rows, true);
        if (!rows) registerMenu_->ExpectWholeTable(kind, true);
      }
      StartUpload(job, table, std::move(rows));
      started = true;
    }
  } catch (...) {
    if (!started) aStop->setEnabled(false);
    dialogs_.Message(this, TMessageKind::Error, kOpenFailed, TMessageButtons::Ok);
  }
  QCoreApplication::processEvents();
  if (started) WaitForJobEnd(uploadJob_.get());
  if (started && registerMenu_ != nullptr) registerMenu_->JobEnded(true);
  // The job's log says how the file was read, after its first line.
  if (started && CurrentFileReadAsUtf8[kind] && OperationLog) {
    std::vector<std::string> lines = OperationLog->Lines();
    lines.insert(lines.begin() + (lines.empty() ? 0 : 1), std::string(kUtf8ReadNotice));
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

  bool started = false;
  if (QueryFiscalNumber()) {
    tag_ = kTagDownload;
    aStop->setEnabled(true);
    batchWatch_ = true;
    batchIdleRequests_ = -1;
    try {
      StartDownload(JobKind(batch_.BatchVariant * 100 + kind), table, std::nullopt);
      started = true;
    } catch (...) {
      aStop->setEnabled(false);
    }
  }
  QCoreApplication::processEvents();
  if (started) WaitForJobEnd(downloadJob_.get());
  batchWatch_ = false;

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

void TfMain::WaitForJobEnd(const TTransferJob* job) {
  // All events, the user's too: Stop stays within reach. The job's EndJob
  // disables Stop; its end wakes the loop as well.
  while (aStop->isEnabled() && job != nullptr && !job->Ended())
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

void TfMain::WatchBatchProgress(const std::string& text) {
  if (!batchWatch_ || text.rfind(kDownloadTexts.Progress, 0) != 0) return;
  // A progress line starts the next request: did the one before bring a record?
  const std::size_t rows = tables_[tkItemSales]->RecordCount();
  if (batchIdleRequests_ < 0)
    batchIdleRequests_ = 0;  // the first request
  else if (rows > batchRowsSeen_)
    batchIdleRequests_ = 0;
  else
    ++batchIdleRequests_;
  batchRowsSeen_ = rows;
  if (batchIdleRequests_ >= kBatchIdleRequestLimit && downloadJob_) downloadJob_->RequestStop();
}

}  // namespace vestok
