#include "ui/register_menu.h"

#include <QAction>
#include <QCoreApplication>
#include <QEventLoop>
#include <QMenu>
#include <QMenuBar>
#include <QTimer>
#include <filesystem>
#include <map>
#include <set>

#include "config/link_settings.h"
#include "ecr/window_link.h"
#include "jobs/del_thread.h"
#include "jobs/load_thread.h"
#include "jobs/operation_log.h"
#include "jobs/save_thread.h"
#include "safe/exchange_store.h"
#include "safe/register_backup.h"
#include "safe/upload_checks.h"
#include "tables/table_file.h"
#include "text/cp1250.h"
#include "text/number_text.h"
#include "ui/file_path_text.h"
#include "ui/job_tag.h"
#include "ui/log_window.h"
#include "ui/main_window.h"
#include "ui/main_window_job_host.h"
#include "ui/qt_main_thread.h"
#include "ui/table_grid.h"
#include "ui/table_model.h"

namespace vestok {

namespace {

QString Q(const std::string& cp1250) {
  const std::u16string u = Cp1250ToUtf16(cp1250);
  return QString::fromUtf16(u.data(), qsizetype(u.size()));
}

const QString kBackupQuestion = QStringLiteral(
    "Salvarea completa va descarca toate tabelele casei de marcat intr-un dosar.\n\rConfirmati salvarea?");
const QString kRestoreEmpty =
    QStringLiteral("Dosarul ales nu contine tabele care pot fi incarcate in casa de marcat.");
const QString kSendGood = QStringLiteral(
    "Unele randuri au erori (vezi fereastra Log).\n\rIncarcati doar randurile fara erori?");
const QString kSendAll = QStringLiteral("Incarcati toate randurile, inclusiv cele cu erori?");
const QString kNoCopy = QStringLiteral(
    "Nu exista copia ultimului schimb cu aceasta casa pentru acest tabel.\n\rIncarcati tot tabelul?");
const QString kNoChanges = QStringLiteral("Nu exista modificari fata de ultimul schimb cu casa.");
const QString kNoDifferences = QStringLiteral("Nu exista diferente fata de casa de marcat.");
const QString kCompareFirst = QStringLiteral("Comparati mai intai tabelul cu casa (Compara cu casa).");
const QString kSameTable = QStringLiteral("Tabelul este identic cu cel din casa de marcat.");
constexpr std::string_view kCheckFirstLine = "Verificare inainte de incarcare";
constexpr std::string_view kCompareFirstLine = "Comparare cu casa";
constexpr RunTexts kCompareTexts = {"Comparare cu casa - start", "Descarcare pentru comparare incheiata fara erori",
                                    "Descarcare pentru comparare incheiata cu erori",
                                    "Descarcare pentru comparare oprita"};
const TFileDialogSpec kFolderSpec{QStringLiteral("Dosarul salvarii casei"),
                                  {QStringLiteral("Salvare casa (register.txt)")}, QStringLiteral("txt")};

void WaitOnEvents(TTransferJob& job) {
  while (!job.Ended()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

std::string FolderOf(const QString& file) {
  return std::filesystem::path(PathBytes(file)).parent_path().string();
}

std::unique_ptr<DocumentTable> CloneTable(DocumentTable& table) {
  auto copy = std::make_unique<DocumentTable>(TableDefinition(table.Kind()));
  copy->Open();
  LoadTableFromBytes(*copy, TableFileBytes(table));
  return copy;
}

std::string FieldList(const DocumentTable& table, const std::vector<int>& fields) {
  std::string out;
  for (int f : fields) {
    if (!out.empty()) out += ", ";
    out += table.Fields()[std::size_t(f)].title;
  }
  return out;
}

}  // namespace

TRegisterMenu::TRegisterMenu(TfMain& window) : QObject(&window), w_(window) {}

TRegisterMenu::~TRegisterMenu() = default;

void TRegisterMenu::AddMenu(QMenuBar* bar) {
  mRegister = bar->addMenu(QStringLiteral("&Casa"));
  mRegister->setObjectName("mRegister");
  auto make = [&](const char* name, const QString& text, void (TRegisterMenu::*slot)()) {
    QAction* a = mRegister->addAction(text);
    a->setObjectName(name);
    connect(a, &QAction::triggered, this, slot);
    return a;
  };
  aBackup = make("aRegisterBackup", QStringLiteral("&Salvare completa casa..."), &TRegisterMenu::Backup);
  aRestore = make("aRegisterRestore", QStringLiteral("&Restaurare casa..."), &TRegisterMenu::Restore);
  mRegister->addSeparator();
  aCompare = make("aRegisterCompare", QStringLiteral("&Compara cu casa"), &TRegisterMenu::Compare);
  aUploadDifferences =
      make("aUploadDifferences", QStringLiteral("Incarca diferente"), &TRegisterMenu::UploadDifferences);
  aUploadChanges = make("aUploadChanges", QStringLiteral("Incarca &modificari"), &TRegisterMenu::UploadChanges);
}

std::string TRegisterMenu::Fiscal() const { return LinkSettings.FiscalNumber; }

bool TRegisterMenu::Busy() const { return w_.jobRunning_ || run_ != nullptr || !w_.shown_; }

void TRegisterMenu::ShowFindings(const std::vector<std::string>& lines, std::string_view firstLine) {
  if (!OperationLog) OperationLog = std::make_unique<TOperationLog>();
  OperationLog->Clear();
  OperationLog->Add(std::string(firstLine));
  for (const std::string& l : lines) OperationLog->Add(l);
  auto* log = new TfLog(&w_);
  log->setAttribute(Qt::WA_DeleteOnClose);
  log->show();
}

// ---- checks before an upload, and the copy after it

bool TRegisterMenu::CheckBeforeUpload(JobKind job, DocumentTable& table, RowSelection& selection, bool batch) {
  pending_ = Pending{};
  pending_.Kind = table.Kind();
  pending_.Upload = true;
  pendingSet_ = true;
  std::vector<std::size_t> rows;
  if (selection) {
    for (Bookmark b : *selection)
      if (const std::size_t r = table.RowOfBookmark(b); r != DocumentTable::npos) rows.push_back(r);
  } else {
    for (std::size_t r = 0; r < table.RecordCount(); ++r) rows.push_back(r);
  }
  const std::vector<CheckFinding> findings = CheckUploadRows(job, table, &rows);
  if (findings.empty()) return true;
  std::vector<std::string> lines;
  for (const CheckFinding& f : findings) lines.push_back(FindingLine(table, f));
  auto narrow = [&] {
    std::vector<Bookmark> marks;
    for (std::size_t r : RowsWithoutErrors(table, findings, &rows)) marks.push_back(table.BookmarkAt(r));
    selection = std::move(marks);
    pending_.LeftOut = true;
  };
  pending_.Findings = lines;
  if (batch) {
    if (HasErrors(findings)) narrow();
    return true;
  }
  ShowFindings(lines, kCheckFirstLine);
  IDialogs& d = w_.Dialogs();
  // Warnings alone (a name the register cuts) leave nothing to choose: the
  // log shows them and the upload goes on.
  if (!HasErrors(findings)) return true;
  if (d.Message(&w_, TMessageKind::Warning, kSendGood, TMessageButtons::YesNo) == TMessageAnswer::Yes) {
    narrow();
    return true;
  } else if (d.Message(&w_, TMessageKind::Warning, kSendAll, TMessageButtons::YesNo) == TMessageAnswer::Yes) {
    return true;
  }
  pendingSet_ = false;
  return false;
}

void TRegisterMenu::ExpectWholeTable(TableKind kind, bool upload) {
  if (!upload || !pendingSet_) {
    pending_ = Pending{};
    pendingSet_ = true;
  }
  pending_.Kind = kind;
  pending_.Upload = upload;
  pending_.Whole = true;
}

void TRegisterMenu::KeepCopy(DocumentTable& table) {
  TExchangeStore store;
  store.Keep(RegisterId{Fiscal(), LinkSettings.LogicNo}, table);
}

void TRegisterMenu::JobEnded(bool wait) {
  if (!pendingSet_ || run_ != nullptr) return;
  TTransferJob* job = pending_.Upload ? static_cast<TTransferJob*>(w_.uploadJob_.get())
                                      : static_cast<TTransferJob*>(w_.downloadJob_.get());
  if (job == nullptr) {
    pendingSet_ = false;
    return;
  }
  if (!job->Ended()) {
    // The job's verdict follows the end of its busy state by a moment.
    if (wait)
      job->WaitForEnd();
    else {
      QTimer::singleShot(5, this, [this] { JobEnded(false); });
      return;
    }
  }
  pendingSet_ = false;
  Pending p = std::move(pending_);
  if (p.Upload && deleteAfter_ && !job->StopRequested()) QTimer::singleShot(0, this, [this] { StartPendingDelete(); });
  if (!p.Findings.empty() && OperationLog) {
    std::vector<std::string> lines = OperationLog->Lines();
    if (!lines.empty()) {
      lines.insert(lines.begin() + 1, p.Findings.begin(), p.Findings.end());
      // Rows left out were not written: the verdict says so.
      if (p.LeftOut && lines.back() == kUploadTexts.VerdictOk) {
        lines.back() = std::string(kUploadTexts.VerdictErrors);
        w_.jobHost_->SetStatusText(1, lines.back());
      }
      OperationLog->Clear();
      for (std::string& l : lines) OperationLog->Add(std::move(l));
    }
  }
  if (job->ErrorCount() != 0 || job->StopRequested() || p.LeftOut || p.Kind >= kTableCount) return;
  if (p.Whole)
    KeepCopy(*w_.tables_[p.Kind]);
  else if (p.Copy) {
    ApplyRowsToCopy(*p.Copy, *w_.tables_[p.Kind], p.SentRows);
    KeepCopy(*p.Copy);
  }
}

void TRegisterMenu::RegisterChanging(TableKind kind) {
  if (!comparison_ || (kind != tkNone && kind != comparedKind_)) return;
  comparison_.reset();
  if (TTableGrid* grid = w_.Grids()[comparedKind_]; grid != nullptr && grid->Model() != nullptr)
    grid->Model()->SetCompareMarks({}, {});
}

bool TRegisterMenu::StopRun() {
  if (run_ == nullptr) return false;
  run_->RequestStop();
  return true;
}

// ---- runs of several tables

void TRegisterMenu::RunTables(TTableRun& run, const std::function<void()>& body) {
  run_ = &run;
  w_.jobRunning_ = true;
  w_.tag_ = kTagRegisterRun;
  try {
    body();
  } catch (...) {
  }
  run_ = nullptr;
  w_.SetJobRunning(false);
}

TTableRun::Link TRegisterMenu::RunLink() const {
  if (!OperationLog) OperationLog = std::make_unique<TOperationLog>();
  return {*w_.jobHost_, *w_.mainThread_, LinkSettings.PortName, LinkSettings.Speed, *OperationLog, LinkPort};
}

void TRegisterMenu::Backup() {
  if (Busy()) return;
  IDialogs& d = w_.Dialogs();
  if (d.Message(&w_, TMessageKind::Warning, kBackupQuestion, TMessageButtons::YesNo) != TMessageAnswer::Yes) return;
  const std::optional<QString> file = d.SaveFileName(&w_, kFolderSpec);
  if (!file) return;
  const std::string folder = FolderOf(*file);
  if (!w_.QueryFiscalNumber()) return;
  TTableRun run(RunLink(), kBackupTexts);
  RunTables(run, [&] {
    RunBackup(run, folder, w_.ProtocolVariant(), Fiscal(), LinkSettings.LogicNo, LinkSettings.PortName,
              WaitOnEvents, [&](const TableStep& step, const TableStepResult& r) {
                if (r.Errors == 0 && !run.Stopped()) KeepCopy(*step.Table);
              });
  });
}

void TRegisterMenu::Restore() {
  if (Busy()) return;
  IDialogs& d = w_.Dialogs();
  const std::optional<QString> file = d.OpenFileName(&w_, kFolderSpec);
  if (!file) return;
  const int variant = w_.ProtocolVariant();
  RestorePlan plan = PlanRestore(FolderOf(*file), variant);
  if (plan.Tables.empty()) {
    d.Message(&w_, TMessageKind::Error, kRestoreEmpty, TMessageButtons::Ok);
    return;
  }
  if (!w_.QueryFiscalNumber()) return;
  if (plan.Info && plan.Info->FiscalNumber != Fiscal()) {
    const std::string text = "Salvarea este a casei cu numarul fiscal " + plan.Info->FiscalNumber +
                             ", iar casa conectata are numarul fiscal " + Fiscal() + ".\n\rRestaurati totusi?";
    if (d.Message(&w_, TMessageKind::Warning, Q(text), TMessageButtons::YesNo) != TMessageAnswer::Yes) return;
  }
  std::string text = "Restaurarea va incarca in casa de marcat:\n";
  for (const auto& t : plan.Tables)
    text += std::string(BackupFileName(t->Kind())) + ": " + IntToText(std::int64_t(t->RecordCount())) +
            " inregistrari\n";
  text += "\rConfirmati restaurarea?";
  if (d.Message(&w_, TMessageKind::Warning, Q(text), TMessageButtons::YesNo) != TMessageAnswer::Yes) return;
  RegisterChanging(tkNone);
  TTableRun run(RunLink(), kRestoreTexts);
  RunTables(run, [&] {
    RunRestore(run, plan, variant, WaitOnEvents, [&](const TableStep& step, const TableStepResult& r) {
      if (r.Errors == 0 && !step.Selection && !run.Stopped()) KeepCopy(*step.Table);
    });
  });
}

// ---- compare, and uploads of what differs

void TRegisterMenu::Compare() {
  if (Busy()) return;
  const TableKind kind = w_.CurrentTableKind();
  if (kind >= kTableCount) return;
  const JobKind job = JobKindOf(w_.ProtocolVariant(), kind);
  if (DownloadCommand(job).empty()) return;
  if (!w_.QueryFiscalNumber()) return;
  w_.SettleForJob(kind);
  comparison_.reset();
  registerTable_ = std::make_unique<DocumentTable>(TableDefinition(kind));
  registerTable_->Open();
  TTableRun run(RunLink(), kCompareTexts);
  std::vector<TableStepResult> results;
  RunTables(run, [&] { results = run.Run({TableStep{kind, job, false, registerTable_.get(), std::nullopt}}, WaitOnEvents); });
  if (results.size() != 1 || results[0].Errors != 0 || run.Stopped()) return;
  KeepCopy(*registerTable_);
  DocumentTable& table = *w_.tables_[kind];
  comparison_ = CompareTables(job, table, *registerTable_, ReferenceForm::Downloaded);
  comparedKind_ = kind;
  MarkComparison(kind);
  if (comparison_->Same()) {
    w_.Dialogs().Message(&w_, TMessageKind::Information, kSameTable, TMessageButtons::Ok);
    return;
  }
  std::vector<std::string> lines;
  for (std::size_t r : comparison_->Added) lines.push_back("Rand " + IntToText(std::int64_t(r + 1)) + ": adaugat (nu este in casa)");
  for (const ChangedRow& c : comparison_->Changed)
    lines.push_back("Rand " + IntToText(std::int64_t(c.Row + 1)) + ": modificat: " + FieldList(table, c.Fields));
  for (std::size_t r : comparison_->Keyless)
    lines.push_back("Rand " + IntToText(std::int64_t(r + 1)) + ": fara valoare in campul cheie");
  for (std::size_t r : comparison_->Missing)
    lines.push_back("Lipseste din tabel: " + registerTable_->TextAt(r, 0) + " (din casa)");
  ShowFindings(lines, kCompareFirstLine);
}

// The grid shows the rows the register lacks and the cells that differ from it.
void TRegisterMenu::MarkComparison(TableKind kind) {
  TTableGrid* grid = w_.Grids()[kind];
  if (grid == nullptr || grid->Model() == nullptr || !comparison_) return;
  const DocumentTable& table = *w_.Tables()[kind];
  std::set<Bookmark> added;
  for (std::size_t r : comparison_->Added) added.insert(table.BookmarkAt(r));
  std::map<Bookmark, std::set<int>> changed;
  for (const ChangedRow& c : comparison_->Changed)
    changed[table.BookmarkAt(c.Row)].insert(c.Fields.begin(), c.Fields.end());
  grid->Model()->SetCompareMarks(std::move(added), std::move(changed));
}

bool TRegisterMenu::StartRows(TableKind kind, JobKind job, std::vector<std::size_t> rows,
                              std::unique_ptr<DocumentTable> copy, bool whole) {
  DocumentTable& table = *w_.tables_[kind];
  RowSelection selection;
  if (!whole) {
    std::vector<Bookmark> marks;
    for (std::size_t r : rows) marks.push_back(table.BookmarkAt(r));
    selection = std::move(marks);
  }
  if (!CheckBeforeUpload(job, table, selection, false)) return false;
  if (whole && !selection) ExpectWholeTable(kind, true);
  pending_.Copy = std::move(copy);
  if (selection)
    for (Bookmark b : *selection) pending_.SentRows.push_back(table.RowOfBookmark(b));
  w_.tag_ = kTagUpload;
  try {
    w_.StartUpload(job, table, std::move(selection));
  } catch (...) {
    pendingSet_ = false;
    return false;
  }
  return true;
}

void TRegisterMenu::UploadDifferences() {
  if (Busy()) return;
  const TableKind kind = w_.CurrentTableKind();
  IDialogs& d = w_.Dialogs();
  if (!comparison_ || kind != comparedKind_ || !registerTable_) {
    d.Message(&w_, TMessageKind::Information, kCompareFirst, TMessageButtons::Ok);
    return;
  }
  const JobKind job = JobKindOf(w_.ProtocolVariant(), kind);
  if (UploadCommand(job).empty()) return;
  w_.SettleForJob(kind);
  // The grid may have changed since the compare.
  DocumentTable& table = *w_.tables_[kind];
  const std::vector<std::size_t> rows =
      CompareTables(job, table, *registerTable_, ReferenceForm::Downloaded).RowsToSend();
  if (rows.empty()) {
    d.Message(&w_, TMessageKind::Information, kNoDifferences, TMessageButtons::Ok);
    return;
  }
  const std::string text = "Se vor incarca in casa de marcat " + IntToText(std::int64_t(rows.size())) +
                           " inregistrari adaugate sau modificate.\n\rConfirmati incarcarea?";
  if (d.Message(&w_, TMessageKind::Warning, Q(text), TMessageButtons::YesNo) != TMessageAnswer::Yes) return;
  deleteAfter_.reset();
  const TableComparison now = CompareTables(job, table, *registerTable_, ReferenceForm::Downloaded);
  if (kind == tkItems && !now.Missing.empty()) {
    const std::string question = "In casa de marcat exista " + IntToText(std::int64_t(now.Missing.size())) +
                                 " articole care lipsesc din tabel.\n\rStergeti-le din casa dupa incarcare?";
    if (d.Message(&w_, TMessageKind::Warning, Q(question), TMessageButtons::YesNo) == TMessageAnswer::Yes) {
      std::vector<Bookmark> marks;
      for (std::size_t r : now.Missing) marks.push_back(registerTable_->BookmarkAt(r));
      deleteAfter_ = std::move(marks);
    }
  }
  if (!w_.QueryFiscalNumber()) return;
  if (!StartRows(kind, job, rows, CloneTable(*registerTable_), false)) deleteAfter_.reset();
}

void TRegisterMenu::StartPendingDelete() {
  if (!deleteAfter_ || !registerTable_ || w_.jobRunning_ || run_ != nullptr) return;
  RowSelection selection = std::move(*deleteAfter_);
  deleteAfter_.reset();
  // The register's records themselves go: the delete reads their PLU codes
  // from the table of the compare.
  w_.tag_ = kTagDelete;
  w_.deleteJob_.reset();
  RegisterChanging(tkItems);
  w_.jobRunning_ = true;
  try {
    w_.deleteJob_ = std::make_unique<TDelThread>(w_.SetupFor(*registerTable_, std::move(selection)));
  } catch (...) {
    w_.jobRunning_ = false;
  }
}

void TRegisterMenu::UploadChanges() {
  if (Busy()) return;
  const TableKind kind = w_.CurrentTableKind();
  if (kind >= kTableCount) return;
  const JobKind job = JobKindOf(w_.ProtocolVariant(), kind);
  if (UploadCommand(job).empty()) return;
  IDialogs& d = w_.Dialogs();
  w_.SettleForJob(kind);
  // The copy belongs to the register that answers now.
  if (!w_.QueryFiscalNumber()) return;
  DocumentTable& table = *w_.tables_[kind];
  auto copy = std::make_unique<DocumentTable>(TableDefinition(kind));
  const TExchangeStore store;
  const std::optional<std::time_t> when = store.Load(RegisterId{Fiscal(), LinkSettings.LogicNo}, kind, *copy);
  if (!when) {
    if (d.Message(&w_, TMessageKind::Warning, kNoCopy, TMessageButtons::YesNo) == TMessageAnswer::Yes)
      StartRows(kind, job, {}, nullptr, true);
    return;
  }
  const std::vector<std::size_t> rows = CompareTables(job, table, *copy, ReferenceForm::AsSent).RowsToSend();
  if (rows.empty()) {
    d.Message(&w_, TMessageKind::Information, kNoChanges, TMessageButtons::Ok);
    return;
  }
  const std::string text = CopyAgeText(*when) + "\n\rSe vor incarca " + IntToText(std::int64_t(rows.size())) +
                           " inregistrari modificate.\n\rConfirmati incarcarea?";
  if (d.Message(&w_, TMessageKind::Warning, Q(text), TMessageButtons::YesNo) != TMessageAnswer::Yes) return;
  StartRows(kind, job, rows, std::move(copy), false);
}

}  // namespace vestok
