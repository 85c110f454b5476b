// The main window's transfer actions and Stop: the user is asked here, the
// engine does the rest on the window's link.
#include <QAction>
#include <QCoreApplication>
#include <QEventLoop>
#include <QTabWidget>
#include <exception>

#include "ui/window_state.h"
#include "jobs/operation_log.h"
#include "ui/engine_face.h"
#include "ui/job_tag.h"
#include "ui/main_window.h"
#include "ui/main_window_job_host.h"
#include "ui/qt_main_thread.h"
#include "ui/register_menu.h"
#include "ui/settings_page.h"
#include "ui/table_grid.h"

namespace vestok {

namespace {

const QString kDownloadQuestion =
    QStringLiteral("Descarcarea va suprascrie articolele din tabelul curent.\n\rConfirmati descarcarea?");
const QString kUploadQuestion =
    QStringLiteral("Incarcarea va suprascrie articolele din casa de marcat.\n\rConfirmati incarcarea?");
const QString kDeleteQuestion =
    QStringLiteral("Stergerea va elimina articolele din casa de marcat.\n\rConfirmati stergerea?");
const QString kNoFiscalNumber = QStringLiteral("Nu se poate citi numarul fiscal al imprimantei!");

}  // namespace

// ---- the six actions

void TfMain::TransferAction(QAction* action) {
  // One operation at a time: an action that slipped in before the job took
  // the actions away does nothing.
  if (jobRunning_) return;
  const bool download = action == aImportAll || action == aImportSel;
  const bool upload = action == aExportAll || action == aExportSel;
  const bool remove = action == aDeleteAll || action == aDeleteSel;
  if (!download && !upload && !remove) return;
  const bool selective = action == aImportSel || action == aExportSel || action == aDeleteSel;
  // The delete actions always work on the items, whatever page is shown.
  const TableKind kind = remove ? tkItems : CurrentTableKind();
  if (kind >= kTableCount) return;
  // The rows a selective delete removes stand on the page the question is asked over.
  if (remove && selective) ShowTablePage(tkItems);

  const QString& question = download ? kDownloadQuestion : upload ? kUploadQuestion : kDeleteQuestion;
  if (dialogs_.Message(this, TMessageKind::Warning, question, TMessageButtons::YesNo) != TMessageAnswer::Yes) return;

  SettleForJob(kind);
  RowSelection selection;
  if (selective)
    selection = gridRegistry_[kind] != nullptr ? gridRegistry_[kind]->SelectedBookmarks() : std::vector<Bookmark>{};
  DocumentTable& table = *tables_[kind];
  // The last compare no longer tells what the register holds once it is written to.
  if (!download && registerMenu_ != nullptr) registerMenu_->RegisterChanging(kind);
  const int tag = download ? kTagDownload : upload ? kTagUpload : kTagDelete;
  StartOperation(tag, [=, &table](TEngine& engine) {
    if (download) return engine.Download(table, selection);
    if (upload) return engine.Upload(table, selection);
    return engine.DeleteItems(table, selection);
  });
}

void TfMain::SettleForJob(TableKind kind) {
  // A row being typed in is stored or dropped, and the values typed into the
  // settings page reach the record, before a job reads or replaces the table.
  if (kind < kTableCount && gridRegistry_[kind] != nullptr) gridRegistry_[kind]->SettleTable();
  if (kind == tkSettings && settingsPage_ != nullptr) settingsPage_->Commit();
}

// ---- operations of the engine

bool TfMain::StartOperation(int tag, OperationBody body, OperationDone done) {
  if (jobRunning_) return false;
  if (!OperationLog) OperationLog = std::make_unique<TOperationLog>();
  run_.reset();  // the last one has ended: its release only joins its thread
  TEngineOptions options;
  options.Variant = ProtocolVariant();
  // A batch download gives up on a register that stopped answering.
  if (batchRunning_ && batch_.BatchSave) options.IdleRequestLimit = kBatchIdleRequestLimit;
  pendingTag_ = tag;
  face_->OnJobBegun = [this] { tag_ = pendingTag_; };
  jobRunning_ = true;
  try {
    run_ = std::make_unique<TEngineRun>(TEngineLink{*jobHost_, *mainThread_, LinkPort, *OperationLog}, *face_, *face_,
                                        options);
    run_->Start(std::move(body), [this, done = std::move(done)](const TOutcome& outcome) {
      SetJobRunning(false);
      // The register did not answer the question before every transfer.
      if (!outcome.RegisterAnswered &&
          (outcome.Kind == TOutcomeKind::NoAnswer || outcome.Kind == TOutcomeKind::PortFailed))
        dialogs_.Message(this, TMessageKind::Error, kNoFiscalNumber, TMessageButtons::Ok);
      if (done) done(outcome);
    });
  } catch (const std::exception&) {
    // No thread could be started: nothing runs, the window stays as it was.
    run_.reset();
    jobRunning_ = false;
    return false;
  }
  return true;
}

JobKind TfMain::LastJobKind() const { return run_ ? run_->Engine().LastJobKind() : JobKind(0); }

void TfMain::WaitForOperation() {
  // All events, the user's too: Stop stays within reach.
  while (run_ && !run_->Ended()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  if (run_) run_->WaitForEnd();
}

// ---- Stop

void TfMain::StopJob() {
  if (!run_ || run_->Ended()) return;
  run_->RequestStop();
  // The job's last record, its EndJob and the operation's end are carried out meanwhile.
  run_->WaitForEnd();
}


}  // namespace vestok
