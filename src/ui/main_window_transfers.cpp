// The main window's transfer actions and Stop.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QTabWidget>
#include <algorithm>
#include <exception>

#include "config/link_settings.h"
#include "ecr/window_link.h"
#include "ecr/fiscal_number.h"
#include "jobs/del_thread.h"
#include "jobs/load_thread.h"
#include "jobs/operation_log.h"
#include "jobs/save_thread.h"
#include "tables/table_defs.h"
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
  // One job at a time: an action that slipped in before the job took the
  // actions away does nothing.
  if (jobRunning_) return;
  const bool download = action == aImportAll || action == aImportSel;
  const bool upload = action == aExportAll || action == aExportSel;
  const bool remove = action == aDeleteAll || action == aDeleteSel;
  if (!download && !upload && !remove) return;
  const bool selective = action == aImportSel || action == aExportSel || action == aDeleteSel;
  // The delete actions always work on the items, whatever page is shown.
  const TableKind kind = remove ? tkItems : CurrentTableKind();
  if (kind >= kTableCount) return;

  const QString& question = download ? kDownloadQuestion : upload ? kUploadQuestion : kDeleteQuestion;
  if (dialogs_.Message(this, TMessageKind::Warning, question, TMessageButtons::YesNo) != TMessageAnswer::Yes) return;
  if (!QueryFiscalNumber()) return;

  SettleForJob(kind);
  RowSelection selection;
  if (selective) selection = grids_[kind] != nullptr ? grids_[kind]->SelectedBookmarks() : std::vector<Bookmark>{};
  // The selective actions are offered only under "Seria A", where the
  // TableKind alone is the JobKind.
  const JobKind jobKind = JobKind(selective ? kind : ProtocolVariant() * 100 + kind);
  // The rows to be sent are checked before a byte of them goes out.
  if (upload && registerMenu_ != nullptr &&
      !registerMenu_->CheckBeforeUpload(jobKind, *tables_[kind], selection, false))
    return;
  if (!selective && !remove && registerMenu_ != nullptr) registerMenu_->ExpectWholeTable(kind, upload);
  try {
    if (download) {
      tag_ = kTagDownload;
      StartDownload(jobKind, *tables_[kind], std::move(selection));
    } else if (upload) {
      tag_ = kTagUpload;
      StartUpload(jobKind, *tables_[kind], std::move(selection));
    } else {
      tag_ = kTagDelete;
      StartDelete(std::move(selection));
    }
  } catch (const std::exception&) {
    // No thread could be started: nothing runs, the window stays as it was.
  }
}

bool TfMain::QueryFiscalNumber() {
  if (ReadFiscalNumber(LinkPort, LinkSettings.PortName, LinkSettings.Speed, std::int16_t(LinkSettings.LogicNo),
                       LinkSettings.CableTimeout, LinkSettings.FiscalNumber) == FiscalQueryOk)
    return true;
  dialogs_.Message(this, TMessageKind::Error, kNoFiscalNumber, TMessageButtons::Ok);
  return false;
}

void TfMain::SettleForJob(TableKind kind) {
  // A row being typed in is stored or dropped, and the values typed into the
  // settings page reach the record, before a job reads or replaces the table.
  if (grids_[kind] != nullptr) grids_[kind]->SettleTable();
  if (kind == tkSettings && settingsPage_ != nullptr) settingsPage_->Commit();
}

JobSetup TfMain::SetupFor(DocumentTable& table, RowSelection selection) {
  if (!OperationLog) OperationLog = std::make_unique<TOperationLog>();
  return JobSetup{*jobHost_, *mainThread_, LinkSettings.PortName, LinkSettings.Speed,
                  table,     std::move(selection), *OperationLog, LinkPort};
}

// Each start replaces the held job of its kind: the old one has ended (the
// actions were disabled while it ran), so its release only joins its thread.
// The window counts as busy from here, before the job's first step has taken
// the actions away.

namespace {

// Puts the job `make` creates in place of `held`; `running` is set on the way
// and cleared again when the job cannot be created.
template <class Job, class Make>
void ReplaceHeldJob(std::unique_ptr<Job>& held, bool& running, Make make) {
  held.reset();
  running = true;
  try {
    held = make();
  } catch (...) {
    running = false;
    throw;
  }
}

}  // namespace

void TfMain::StartUpload(JobKind kind, DocumentTable& table, RowSelection selection) {
  if (registerMenu_ != nullptr) registerMenu_->RegisterChanging(table.Kind());
  ReplaceHeldJob(uploadJob_, jobRunning_,
                 [&] { return std::make_unique<TLoadThread>(kind, SetupFor(table, std::move(selection))); });
}

void TfMain::StartDownload(JobKind kind, DocumentTable& table, RowSelection selection) {
  ReplaceHeldJob(downloadJob_, jobRunning_,
                 [&] { return std::make_unique<TSaveThread>(kind, SetupFor(table, std::move(selection))); });
}

void TfMain::StartDelete(RowSelection selection) {
  if (registerMenu_ != nullptr) registerMenu_->RegisterChanging(tkItems);
  ReplaceHeldJob(deleteJob_, jobRunning_,
                 [&] { return std::make_unique<TDelThread>(SetupFor(*tables_[tkItems], std::move(selection))); });
}

// ---- Stop

void TfMain::StopJob() {
  if (registerMenu_ != nullptr && registerMenu_->StopRun()) return;
  TTransferJob* job = nullptr;
  switch (tag_) {
    case kTagUpload: job = uploadJob_.get(); break;
    case kTagDownload: job = downloadJob_.get(); break;
    case kTagDelete: job = deleteJob_.get(); break;
    default: break;
  }
  if (job == nullptr) return;
  job->RequestStop();
  // The job's last record and its EndJob are carried out meanwhile.
  job->WaitForEnd();
}

void TfMain::StopRunningJobs() {
  for (TTransferJob* job : {static_cast<TTransferJob*>(uploadJob_.get()),
                            static_cast<TTransferJob*>(downloadJob_.get()),
                            static_cast<TTransferJob*>(deleteJob_.get())}) {
    if (job == nullptr || job->Ended()) continue;
    job->RequestStop();
    job->WaitForEnd();
  }
}

}  // namespace vestok
