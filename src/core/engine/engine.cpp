#include "engine/engine.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <memory>

#include "ecr/fiscal_number.h"
#include "files/safe_file_write.h"
#include "jobs/del_thread.h"
#include "jobs/load_thread.h"
#include "jobs/save_thread.h"
#include "monitor/port_failure.h"
#include "safe/backup_check.h"
#include "safe/register_backup.h"
#include "safe/upload_checks.h"
#include "serial/serial_ports.h"
#include "tables/table_file.h"
#include "text/ascii.h"
#include "text/number_text.h"

namespace vestok {

namespace fs = std::filesystem;

namespace {

const std::string kNoFiscalNumber = "Nu se poate citi numarul fiscal al imprimantei!";
const std::string kNoCopyQuestion =
    "Nu exista copia ultimului schimb cu aceasta casa pentru acest tabel.\n\rIncarcati tot tabelul?";
const std::string kNotOffered = "Varianta de protocol aleasa nu ofera aceasta operatie pentru acest tabel";

enum TJobType { kUpload, kDownload, kDelete };

std::string Count(std::size_t n) { return IntToText(std::int64_t(n)); }

std::vector<std::size_t> RowsOf(const DocumentTable& table, const RowSelection& selection) {
  std::vector<std::size_t> rows;
  if (selection) {
    for (Bookmark b : *selection)
      if (const std::size_t r = table.RowOfBookmark(b); r != DocumentTable::npos) rows.push_back(r);
  } else {
    for (std::size_t r = 0; r < table.RecordCount(); ++r) rows.push_back(r);
  }
  return rows;
}

std::vector<Bookmark> MarksOf(const DocumentTable& table, const std::vector<std::size_t>& rows) {
  std::vector<Bookmark> marks;
  marks.reserve(rows.size());
  for (std::size_t r : rows) marks.push_back(table.BookmarkAt(r));
  return marks;
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

const char* OutcomeName(TOutcomeKind kind) {
  switch (kind) {
    case TOutcomeKind::Done: return "done";
    case TOutcomeKind::RecordErrors: return "record-errors";
    case TOutcomeKind::NoAnswer: return "no-answer";
    case TOutcomeKind::PortFailed: return "port-failed";
    case TOutcomeKind::FileFailed: return "file-failed";
    case TOutcomeKind::Stopped: return "stopped";
    case TOutcomeKind::Refused: return "refused";
    case TOutcomeKind::Cancelled: return "cancelled";
  }
  return "";
}

// ---- one job, and its events

struct TEngine::TStep {
  TableKind Kind = tkNone;
  JobKind Job = 0;
  bool Upload = false;
  DocumentTable* Table = nullptr;
  RowSelection Selection;
  bool RowsLeftOut = false;  // the check kept rows of the table back
};

struct TEngine::TStepResult {
  TableKind Kind = tkNone;
  TJobResult Job;
};

// The face's host as a job of the engine sees it: panel 1 may carry the
// run's "Tabel k din n, " before the job's text; Stop stays on until the
// whole operation has ended (the engine turns it off in Finish); a download
// of all records is watched for requests that bring nothing.
class TEngine::TJobAdapter final : public IJobHost, public IJobEvents {
 public:
  TJobAdapter(TEngine& engine, std::string prefix, bool inRun, std::int32_t total, bool watchIdle)
      : engine_(engine), inner_(engine.link_.Host), prefix_(std::move(prefix)), inRun_(inRun), total_(total),
        watchIdle_(watchIdle && engine.options_.IdleRequestLimit > 0) {}

  void SetPagesEnabled(bool enabled) override { inner_.SetPagesEnabled(enabled); }
  std::vector<bool> ActionStates() const override { return inner_.ActionStates(); }
  void SetActionStates(const std::vector<bool>& states) override { inner_.SetActionStates(states); }
  void SetStopEnabled(bool enabled) override {
    if (enabled) inner_.SetStopEnabled(true);
  }
  void SetStatusText(int panel, const std::string& text) override {
    if (panel != 1) {
      inner_.SetStatusText(panel, text);
      return;
    }
    inner_.SetStatusText(1, prefix_ + text);
    for (const JobTexts* t : {&kUploadTexts, &kDownloadTexts, &kDeleteTexts})
      if (text.starts_with(t->Progress)) progress_ = prefix_ + text;
    if (watchIdle_ && text.starts_with(kDownloadTexts.Progress)) {
      // A request begins: did the one before bring a record?
      if (++idle_ > engine_.options_.IdleRequestLimit) engine_.RequestStop();
    }
  }

  void JobBegun(const std::string& firstLine) override {
    engine_.Emit({inRun_ ? TEventKind::Line : TEventKind::Start, prefix_ + firstLine});
  }
  void RecordDone(std::int32_t no, std::int32_t done) override {
    idle_ = 0;
    TEngineEvent e{TEventKind::Record, progress_};
    e.No = no;
    e.Done = done;
    e.Total = total_;
    engine_.Emit(std::move(e));
  }
  void RecordFailed(std::int32_t no, const std::string& line) override { engine_.Error(prefix_ + line, no); }
  void JobStopped(std::int32_t records, const std::string& line) override {
    TEngineEvent e{TEventKind::Stop, line};
    e.Done = records;
    engine_.Emit(std::move(e));
  }
  void JobVerdict(const std::string& line, std::int32_t errors) override {
    (void)errors;
    engine_.Emit({inRun_ ? TEventKind::Line : TEventKind::Verdict, prefix_ + line});
  }

 private:
  TEngine& engine_;
  IJobHost& inner_;
  const std::string prefix_;
  const bool inRun_;
  const std::int32_t total_;
  const bool watchIdle_;
  int idle_ = 0;
  std::string progress_;  // the job's last progress line
};

TEngine::TEngine(TEngineLink link, IEngineEvents& events, IEngineQuestions& questions, TEngineOptions options)
    : link_(link), events_(events), questions_(questions), options_(std::move(options)), store_(options_.CopyFolder) {}

void TEngine::RequestStop() {
  stop_.store(true);
  std::lock_guard lock(jobMutex_);
  if (job_ != nullptr) job_->RequestStop();
}

template <class F>
void TEngine::OnMain(F&& step) {
  std::exception_ptr error;
  link_.MainThread.RunOnMainThread([&] {
    try {
      step();
    } catch (...) {
      error = std::current_exception();
    }
  });
  if (error) std::rethrow_exception(error);
}

void TEngine::Emit(TEngineEvent event) {
  if (event.Kind == TEventKind::Error) ++errors_;
  OnMain([&] { events_.Event(event); });
}

void TEngine::Error(const std::string& text, std::optional<std::int32_t> no) {
  TEngineEvent e{TEventKind::Error, text};
  e.No = no;
  Emit(std::move(e));
}

TOutcome TEngine::Finish(TOutcome outcome) {
  outcome.Errors = errors_;
  // The face's busy state ends with the operation, not with its first job.
  OnMain([&] { link_.Host.SetStopEnabled(false); });
  return outcome;
}

TOutcome TEngine::PortFailedOutcome(std::int32_t code) {
  TOutcome o;
  o.Kind = TOutcomeKind::PortFailed;
  o.Reason = PortFailureReason(code);
  std::string line = "Portul " + link_.Link.Settings.PortName + " nu poate fi deschis";
  if (!o.Reason.empty()) line += ": " + o.Reason;
  Error(line);
  return o;
}

RegisterId TEngine::Id() const { return RegisterId{link_.Link.Settings.FiscalNumber, link_.Link.Settings.LogicNo}; }

// ---- the fiscal number query

bool TEngine::AskFiscal(TOutcome& outcome) {
  TLinkSettings& s = link_.Link.Settings;
  std::uint8_t result = FiscalQueryExchangeFailed;
  std::string number;
  OnMain([&] {
    result = ReadFiscalNumber(link_.Link, s.PortName, s.Speed, std::int16_t(s.LogicNo), s.CableTimeout, number);
    if (result == FiscalQueryOk) s.FiscalNumber = number;
  });
  if (result == FiscalQueryOk) {
    outcome.RegisterAnswered = true;
    outcome.FiscalNumber = number;
    return true;
  }
  if (result == FiscalQueryPortFailed) {
    outcome = PortFailedOutcome(link_.Link.LastOpenError);
  } else {
    Error(kNoFiscalNumber);
    outcome.Kind = TOutcomeKind::NoAnswer;
  }
  return false;
}

TOutcome TEngine::QueryFiscal() {
  TOutcome o;
  if (AskFiscal(o)) {
    TEngineEvent e{TEventKind::Result, o.FiscalNumber};
    e.Fields = {{"fiscal", o.FiscalNumber, true}};
    Emit(std::move(e));
  }
  return Finish(o);
}

// ---- jobs

TJobResult TEngine::RunJob(int type, JobKind job, DocumentTable& table, RowSelection selection, std::int32_t total,
                           const std::string& prefix, bool rowsLeftOut) {
  TJobAdapter adapter(*this, prefix, !prefix.empty(), total, type == kDownload && !selection);
  TLinkSettings& s = link_.Link.Settings;
  JobSetup setup{adapter, link_.MainThread, s.PortName, s.Speed, table, std::move(selection), link_.Log, link_.Link,
                 &adapter, rowsLeftOut};
  std::unique_ptr<TTransferJob> held;
  if (type != kDelete) lastJobKind_.store(job);
  switch (type) {
    case kUpload: held = std::make_unique<TLoadThread>(job, std::move(setup)); break;
    case kDownload: held = std::make_unique<TSaveThread>(job, std::move(setup)); break;
    default: held = std::make_unique<TDelThread>(std::move(setup)); break;
  }
  {
    std::lock_guard lock(jobMutex_);
    job_ = held.get();
    if (stop_.load()) held->RequestStop();
  }
  held->Run();
  {
    std::lock_guard lock(jobMutex_);
    job_ = nullptr;
  }
  return held->Result();
}

TOutcome TEngine::JobOutcome(const TJobResult& r, const TOutcome& asked, bool leftOut) {
  TOutcome o = r.PortOpened ? TOutcome{} : PortFailedOutcome(r.PortError);
  o.RegisterAnswered = asked.RegisterAnswered;
  o.FiscalNumber = asked.FiscalNumber;
  if (!r.PortOpened) return o;
  o.Records = r.Records;
  if (r.Stopped || stop_.load())
    o.Kind = TOutcomeKind::Stopped;
  else if (r.Errors > 0 || leftOut)
    o.Kind = TOutcomeKind::RecordErrors;
  return o;
}

// ---- the check before sending

void TEngine::EditLog(const std::function<void(std::vector<std::string>&)>& edit) {
  OnMain([&] {
    std::vector<std::string> lines = link_.Log.Lines();
    edit(lines);
    link_.Log.Clear();
    for (std::string& l : lines) link_.Log.Add(std::move(l));
  });
}

void TEngine::AddFindingsToLog(const std::vector<std::string>& findings) {
  // The check's lines stand in the job's log after its first line.
  if (findings.empty()) return;
  EditLog([&](std::vector<std::string>& lines) {
    if (!lines.empty()) lines.insert(lines.begin() + 1, findings.begin(), findings.end());
  });
}

bool TEngine::CheckRows(JobKind job, DocumentTable& table, RowSelection& selection, std::vector<std::string>& lines,
                        bool& leftOut) {
  std::vector<CheckFinding> findings;
  std::vector<std::size_t> rows;
  OnMain([&] {
    rows = RowsOf(table, selection);
    findings = CheckUploadRows(job, table, &rows);
    for (const CheckFinding& f : findings) lines.push_back(FindingLine(table, f));
  });
  for (std::size_t i = 0; i < findings.size(); ++i) {
    if (findings[i].Level == FindingLevel::Error)
      Error(lines[i]);
    else
      Warning(lines[i]);
  }
  if (findings.empty()) return true;
  if (!HasErrors(findings)) {
    OnMain([&] { questions_.CheckWarnings(lines); });
    return true;
  }
  IEngineQuestions::TRowsWithErrors choice = IEngineQuestions::TRowsWithErrors::SendNothing;
  OnMain([&] { choice = questions_.RowsWithErrors(lines); });
  switch (choice) {
    case IEngineQuestions::TRowsWithErrors::SendGood:
      OnMain([&] { selection = MarksOf(table, RowsWithoutErrors(table, findings, &rows)); });
      leftOut = true;
      return true;
    case IEngineQuestions::TRowsWithErrors::SendAll:
      return true;
    case IEngineQuestions::TRowsWithErrors::SendNothing:
      break;
  }
  return false;
}

TOutcome TEngine::CheckOnly(DocumentTable& table, const RowSelection& rows) {
  std::vector<CheckFinding> findings;
  std::vector<std::size_t> list;
  const JobKind job = rows ? JobKind(table.Kind()) : JobKindOf(options_.Variant, table.Kind());
  OnMain([&] {
    list = RowsOf(table, rows);
    findings = CheckUploadRows(job, table, &list);
  });
  for (const CheckFinding& f : findings) {
    if (f.Level == FindingLevel::Error)
      Error(FindingLine(table, f));
    else
      Warning(FindingLine(table, f));
  }
  TOutcome o;
  o.Records = std::int32_t(list.size());
  if (HasErrors(findings))
    o.Kind = TOutcomeKind::RecordErrors;
  else
    Emit({TEventKind::Result, "Verificare incheiata: nicio eroare"});
  return Finish(o);
}

// ---- the copy of the last exchange: what the register is known to hold

void TEngine::ForgetCopy(TableKind kind) { store_.Forget(Id(), kind); }

void TEngine::KeepCopy(DocumentTable& table) {
  bool kept = false;
  // A copy that cannot be written takes the older one with it (Keep).
  OnMain([&] { kept = store_.Keep(Id(), table); });
  if (!kept) Warning(std::string(kCopyNotKept));
}

void TEngine::AmendCopy(TableKind kind, bool fromEmpty, const std::function<void(DocumentTable&)>& change) {
  bool kept = false;
  OnMain([&] { kept = store_.Amend(Id(), kind, change, std::time(nullptr), fromEmpty); });
  if (!kept) Warning(std::string(kCopyNotKept));
}

void TEngine::ApplyDoneRows(DocumentTable& table, const TJobResult& r, bool fromEmpty) {
  AmendCopy(table.Kind(), fromEmpty, [&](DocumentTable& copy) {
    std::vector<std::size_t> rows;
    for (Bookmark b : r.DoneRows)
      if (const std::size_t row = table.RowOfBookmark(b); row != DocumentTable::npos) rows.push_back(row);
    ApplyRowsToCopy(copy, table, rows);
  });
}

void TEngine::UpdateCopyAfterUpload(DocumentTable& table, const TJobResult& r, bool whole) {
  // A record the register did not acknowledge may have been taken all the
  // same: what the register holds is no longer known.
  if (!r.PortOpened || r.Errors > 0 || r.PortGone) {
    ForgetCopy(table.Kind());
    return;
  }
  // What the register acknowledged is known whatever the copy said before.
  if (whole || !r.DoneRows.empty()) ApplyDoneRows(table, r, true);
}

void TEngine::UpdateCopyAfterDelete(const TJobResult& r) {
  if (!r.PortOpened || r.Errors > 0 || r.PortGone) {
    ForgetCopy(tkItems);
    return;
  }
  AmendCopy(tkItems, false, [&](DocumentTable& copy) { RemoveRecordsFromCopy(copy, r.DoneNumbers); });
}

// ---- the transfers

TOutcome TEngine::Upload(DocumentTable& table, RowSelection rows, bool changesOnly) {
  const TableKind kind = table.Kind();
  // A selection of the user's goes with the selective layouts ("Seria A").
  const bool selective = rows.has_value() && !changesOnly;
  const JobKind job = selective ? JobKind(kind) : JobKindOf(options_.Variant, kind);
  if (UploadCommand(job).empty() ||
      !RuleEnabled(kind, options_.Variant, selective ? TRuleAction::ExportSel : TRuleAction::ExportAll)) {
    TOutcome o;
    o.Kind = TOutcomeKind::Refused;
    o.Reasons = {kNotOffered};
    Error(kNotOffered);
    return Finish(o);
  }
  TOutcome o;
  if (!AskFiscal(o)) return Finish(o);
  bool whole = !rows;
  if (changesOnly) {
    auto copy = std::make_unique<DocumentTable>(TableDefinition(kind));
    const CopyStatus status = store_.Load(Id(), kind, *copy);
    const std::optional<std::time_t> when = status;
    if (!when) {
      // None, from the future, unreadable, or one that could go stale: what
      // the register holds is not known, so the whole table goes.
      Warning(CopyStatusLine(status));
      bool yes = false;
      OnMain([&] { yes = questions_.Confirm(IEngineQuestions::TQuestion::NoCopy, kNoCopyQuestion); });
      if (!yes) {
        o.Kind = TOutcomeKind::Cancelled;
        return Finish(o);
      }
      rows.reset();
      whole = true;
    } else {
      std::vector<std::size_t> changed;
      OnMain([&] {
        changed = CompareTables(job, table, *copy, ReferenceForm::AsSent).RowsToSend();
        rows = MarksOf(table, changed);
      });
      Line(CopyAgeText(*when));
      Line("Se vor incarca " + Count(changed.size()) + " inregistrari modificate");
      if (changed.empty()) {
        o.NothingToSend = true;
        return Finish(o);
      }
      bool yes = false;
      const std::string text = CopyAgeText(*when) + "\n\rSe vor incarca " + Count(changed.size()) +
                               " inregistrari modificate.\n\rConfirmati incarcarea?";
      OnMain([&] { yes = questions_.Confirm(IEngineQuestions::TQuestion::SendChanges, text); });
      if (!yes) {
        o.Kind = TOutcomeKind::Cancelled;
        return Finish(o);
      }
      whole = false;
    }
  }
  std::vector<std::string> findings;
  bool leftOut = false;
  if (!CheckRows(job, table, rows, findings, leftOut)) {
    o.Kind = TOutcomeKind::Cancelled;
    return Finish(o);
  }
  const std::int32_t total = std::int32_t(rows ? rows->size() : table.RecordCount());
  const TJobResult r = RunJob(kUpload, job, table, rows, total, {}, leftOut);
  AddFindingsToLog(findings);
  o = JobOutcome(r, o, leftOut);
  if (r.PortOpened) UpdateCopyAfterUpload(table, r, whole);
  return Finish(o);
}

TOutcome TEngine::Download(DocumentTable& table, RowSelection rows, const std::string& saveTo) {
  const TableKind kind = table.Kind();
  const bool selective = rows.has_value();
  const JobKind job = selective ? JobKind(kind) : JobKindOf(options_.Variant, kind);
  TOutcome o;
  if (DownloadCommand(job).empty() ||
      !RuleEnabled(kind, options_.Variant, selective ? TRuleAction::ImportSel : TRuleAction::ImportAll)) {
    o.Kind = TOutcomeKind::Refused;
    o.Reasons = {kNotOffered};
    Error(kNotOffered);
    return Finish(o);
  }
  if (AskFiscal(o)) {
    const std::int32_t total = std::int32_t(rows ? rows->size() : 0);
    const TJobResult r = RunJob(kDownload, job, table, rows, total);
    o = JobOutcome(r, o);
    // What the register sent whole is what it holds.
    if (r.PortOpened && r.Errors == 0 && !r.Stopped && !stop_.load()) {
      if (!selective)
        KeepCopy(table);
      else
        ApplyDoneRows(table, r, true);
    }
  }
  if (!saveTo.empty() && o.RegisterAnswered) {
    // Whatever came, a stopped download's too.
    bool saved = true;
    OnMain([&] {
      try {
        SaveTableFile(table, saveTo);
      } catch (const std::exception&) {
        saved = false;
      }
    });
    if (!saved) {
      Error("Nu se poate salva fisierul specificat!");
      o.Kind = TOutcomeKind::FileFailed;
      o.Reason = saveTo;
    }
  }
  return Finish(o);
}

TOutcome TEngine::DeleteItems(DocumentTable& items, RowSelection rows, bool listFirst) {
  TOutcome o;
  if (!AskFiscal(o)) return Finish(o);
  if (listFirst) {
    const TJobResult listed = RunJob(kDownload, JobKindOf(options_.Variant, tkItems), items, std::nullopt, 0);
    if (!listed.PortOpened || listed.Stopped || stop_.load()) return Finish(JobOutcome(listed, o));
    // Each row is tried once: the delete without a selection would send a
    // refused row again on every pass, until Stop.
    OnMain([&] { rows = MarksOf(items, RowsOf(items, std::nullopt)); });
  }
  const std::int32_t total = std::int32_t(rows ? rows->size() : items.RecordCount());
  const TJobResult r = RunJob(kDelete, 0, items, std::move(rows), total);
  o = JobOutcome(r, o);
  if (o.Kind == TOutcomeKind::Done && errors_ > 0) o.Kind = TOutcomeKind::RecordErrors;
  if (r.PortOpened) UpdateCopyAfterDelete(r);
  return Finish(o);
}

// ---- runs of several tables

std::vector<TEngine::TStepResult> TEngine::RunTables(std::vector<TStep> steps, const RunTexts& texts,
                                                     std::string& verdict, const std::vector<std::string>& findings) {
  Emit({TEventKind::Start, std::string(texts.FirstLine)});
  std::vector<TStepResult> results;
  std::vector<std::string> lines{std::string(texts.FirstLine)};
  lines.insert(lines.end(), findings.begin(), findings.end());
  bool errors = false;
  const std::size_t n = steps.size();
  for (std::size_t i = 0; i < n && !stop_.load(); ++i) {
    TStep& step = steps[i];
    const std::string prefix = "Tabel " + Count(i + 1) + " din " + Count(n) + ", ";
    const std::int32_t total = std::int32_t(step.Upload ? (step.Selection ? step.Selection->size()
                                                                           : step.Table->RecordCount())
                                                        : 0);
    TStepResult result{step.Kind, RunJob(step.Upload ? kUpload : kDownload, step.Job, *step.Table, step.Selection,
                                         total, prefix, step.RowsLeftOut)};
    OnMain([&] {
      const auto& jobLines = link_.Log.Lines();
      lines.insert(lines.end(), jobLines.begin(), jobLines.end());
    });
    if (result.Job.Errors > 0 || step.RowsLeftOut) errors = true;
    const bool portFailed = !result.Job.PortOpened;
    results.push_back(std::move(result));
    if (portFailed) break;  // the next table would fail the same way
  }
  const bool stopped = stop_.load() || results.size() < n;
  verdict = std::string(stopped ? texts.VerdictStopped : errors ? texts.VerdictErrors : texts.VerdictOk);
  lines.push_back(verdict);
  OnMain([&] {
    link_.Log.Clear();
    for (std::string& l : lines) link_.Log.Add(std::move(l));
    link_.Host.SetStatusText(1, verdict);
  });
  return results;
}

TOutcome TEngine::Backup(const std::string& folder) {
  TOutcome o;
  // A folder that cannot take the files is found before the register is
  // asked: what it sent would be lost.
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (std::string why = FolderProblem(folder); !why.empty()) {
    why[0] = AsciiUpper(why[0]);
    o.Kind = TOutcomeKind::FileFailed;
    o.Reason = folder;
    o.Reasons = {why + "; nu s-a cerut nimic casei de marcat"};
    Error(o.Reasons.front());
    return Finish(o);
  }
  if (!AskFiscal(o)) return Finish(o);
  const int variant = options_.Variant;
  RegisterInfo info;
  info.FiscalNumber = o.FiscalNumber;
  info.LogicNo = link_.Link.Settings.LogicNo;
  info.Variant = variant;
  info.Port = link_.Link.Settings.PortName;
  info.DateTime = NowText();

  std::vector<std::unique_ptr<DocumentTable>> tables;
  std::vector<TStep> steps;
  for (TableKind k : DownloadableTables(variant)) {
    tables.push_back(std::make_unique<DocumentTable>(TableDefinition(k)));
    tables.back()->Open();
    steps.push_back({k, JobKindOf(variant, k), false, tables.back().get(), std::nullopt});
  }
  std::string verdict;
  const std::vector<TStepResult> results = RunTables(std::move(steps), kBackupTexts, verdict);
  std::vector<std::string> unsaved;
  bool stopped = stop_.load() || results.size() < tables.size();
  for (std::size_t i = 0; i < results.size(); ++i) {
    const TStepResult& r = results[i];
    DocumentTable& table = *tables[i];
    if (!r.Job.PortOpened) break;
    info.Records[r.Kind] = std::int64_t(table.RecordCount());
    info.Errors[r.Kind] = r.Job.Errors;
    try {
      SaveTableFile(table, folder + "/" + std::string(BackupFileName(r.Kind)));
    } catch (const std::exception&) {
      unsaved.emplace_back(BackupFileName(r.Kind));
    }
    if (r.Job.Errors == 0 && !r.Job.Stopped) KeepCopy(table);
    if (r.Job.Stopped) stopped = true;
  }
  if (!results.empty() && !results.front().Job.PortOpened) {
    Emit({TEventKind::Verdict, verdict});
    return Finish(JobOutcome(results.front().Job, o));
  }
  // register.txt vouches for a whole set of tables beside it: with one of
  // them not written (an older one may stand in its place) or a run stopped
  // halfway, the folder must not pass for a backup, so an earlier
  // register.txt goes too; the table files stay for whoever wants them.
  const bool whole = unsaved.empty() && !stopped;
  if (whole && !WriteRegisterInfo(folder, info)) unsaved.emplace_back(kRegisterInfoFile);
  if (!whole) fs::remove(fs::path(folder) / std::string(kRegisterInfoFile), ec);
  for (const std::string& file : unsaved) {
    o.Reasons.push_back("Nu se poate salva fisierul " + file);
    Error(o.Reasons.back());
  }
  if (!whole) {
    o.Reasons.push_back(std::string(kRegisterInfoFile) + " nu a fost scris: salvarea nu este completa");
    Warning(o.Reasons.back());
  }
  if (!o.Reasons.empty()) {
    // The log says which files are missing, and the verdict that the run had
    // errors, whatever the register did.
    if (!stopped) verdict = std::string(kBackupTexts.VerdictErrors);
    EditLog([&](std::vector<std::string>& lines) {
      if (!lines.empty()) lines.pop_back();  // the verdict of the tables' run
      lines.insert(lines.end(), o.Reasons.begin(), o.Reasons.end());
      lines.push_back(verdict);
    });
    OnMain([&] { link_.Host.SetStatusText(1, verdict); });
  }
  Emit({TEventKind::Verdict, verdict});
  for (const TStepResult& r : results) o.Records += r.Job.Records;
  if (!unsaved.empty()) {
    o.Kind = TOutcomeKind::FileFailed;
    o.Reason = unsaved.front();
  } else if (stopped) {
    o.Kind = TOutcomeKind::Stopped;
  } else if (errors_ > 0) {
    o.Kind = TOutcomeKind::RecordErrors;
  }
  return Finish(o);
}

TOutcome TEngine::Restore(const std::string& folder, bool force, std::optional<int> variantAsked) {
  TOutcome o;
  BackupCheck check = CheckBackup(folder, variantAsked);
  if (!check.Sound()) {
    for (const std::string& reason : check.Reasons) Error(reason);
    o.Kind = TOutcomeKind::Refused;
    o.Reasons = check.Reasons;
    return Finish(o);
  }
  const int variant = check.Variant();
  RestorePlan& plan = check.Plan;
  if (plan.Tables.empty()) {
    const std::string reason = "Dosarul " + folder + " nu contine tabele de restaurat";
    Error(reason);
    o.Kind = TOutcomeKind::Refused;
    o.Reasons = {reason};
    return Finish(o);
  }
  if (!AskFiscal(o)) return Finish(o);
  if (plan.Info && plan.Info->FiscalNumber != o.FiscalNumber && !force) {
    const std::string text = "Salvarea este a casei cu numarul fiscal " + plan.Info->FiscalNumber +
                             ", iar casa conectata are numarul fiscal " + o.FiscalNumber + ".";
    bool yes = false;
    OnMain([&] { yes = questions_.Confirm(IEngineQuestions::TQuestion::OtherRegister, text + "\n\rRestaurati totusi?"); });
    if (!yes) {
      const std::string reason = text + " Nu s-a trimis nimic (--force restaureaza totusi)";
      Error(reason);
      o.Kind = TOutcomeKind::Refused;
      o.Reasons = {reason};
      return Finish(o);
    }
  }
  std::string question = "Restaurarea va incarca in casa de marcat:\n";
  for (const auto& t : plan.Tables) {
    const std::string line = std::string(BackupFileName(t->Kind())) + ": " + Count(t->RecordCount()) + " inregistrari";
    Line(line);
    question += line + "\n";
  }
  question += "\rConfirmati restaurarea?";
  bool yes = false;
  OnMain([&] { yes = questions_.Confirm(IEngineQuestions::TQuestion::RestoreTables, question); });
  if (!yes) {
    o.Kind = TOutcomeKind::Cancelled;
    return Finish(o);
  }
  std::vector<TStep> steps;
  std::vector<std::string> lines;  // the check's, for the log
  bool leftOut = false;
  for (auto& table : plan.Tables) {
    const JobKind job = JobKindOf(variant, table->Kind());
    // The rows that would not reach the register intact stay behind.
    const std::vector<CheckFinding> findings = CheckUploadRows(job, *table);
    for (const CheckFinding& f : findings) {
      lines.push_back(std::string(BackupFileName(table->Kind())) + ": " + FindingLine(*table, f));
      if (f.Level == FindingLevel::Error)
        Error(lines.back());
      else
        Warning(lines.back());
    }
    RowSelection selection;
    const bool kept = HasErrors(findings);
    if (kept) selection = MarksOf(*table, RowsWithoutErrors(*table, findings));
    leftOut = leftOut || kept;
    steps.push_back({table->Kind(), job, true, table.get(), std::move(selection), kept});
  }
  std::vector<bool> whole;
  for (const TStep& s : steps) whole.push_back(!s.Selection);
  std::string verdict;
  const std::vector<TStepResult> results = RunTables(std::move(steps), kRestoreTexts, verdict, lines);
  Emit({TEventKind::Verdict, verdict});
  if (!results.empty() && !results.front().Job.PortOpened) return Finish(JobOutcome(results.front().Job, o));
  bool stopped = stop_.load() || results.size() < plan.Tables.size();
  for (std::size_t i = 0; i < results.size(); ++i) {
    o.Records += results[i].Job.Records;
    if (results[i].Job.Stopped) stopped = true;
    UpdateCopyAfterUpload(*plan.Tables[i], results[i].Job, whole[i]);
  }
  if (stopped)
    o.Kind = TOutcomeKind::Stopped;
  else if (errors_ > 0 || leftOut)
    o.Kind = TOutcomeKind::RecordErrors;
  return Finish(o);
}

// ---- compare, and the upload of what differs

TOutcome TEngine::Compare(DocumentTable& table, DocumentTable& registerTable, TCompareResult& result) {
  const TableKind kind = table.Kind();
  const JobKind job = JobKindOf(options_.Variant, kind);
  TOutcome o;
  if (DownloadCommand(job).empty() || !RuleEnabled(kind, options_.Variant, TRuleAction::ImportAll)) {
    o.Kind = TOutcomeKind::Refused;
    o.Reasons = {kNotOffered};
    Error(kNotOffered);
    return Finish(o);
  }
  if (!AskFiscal(o)) return Finish(o);
  std::string verdict;
  const std::vector<TStepResult> results =
      RunTables({TStep{kind, job, false, &registerTable, std::nullopt}}, kCompareTexts, verdict);
  Emit({TEventKind::Verdict, verdict});
  if (results.size() != 1) {
    o.Kind = TOutcomeKind::Stopped;
    return Finish(o);
  }
  o = JobOutcome(results[0].Job, o);
  if (o.Kind != TOutcomeKind::Done) return Finish(o);
  KeepCopy(registerTable);
  OnMain([&] {
    result.Comparison = CompareTables(job, table, registerTable, ReferenceForm::Downloaded);
    const TableComparison& c = result.Comparison;
    for (std::size_t r : c.Added) result.Lines.push_back("Rand " + Count(r + 1) + ": adaugat (nu este in casa)");
    for (const ChangedRow& ch : c.Changed)
      result.Lines.push_back("Rand " + Count(ch.Row + 1) + ": modificat: " + FieldList(table, ch.Fields));
    for (std::size_t r : c.Keyless) result.Lines.push_back("Rand " + Count(r + 1) + ": fara valoare in campul cheie");
    for (std::size_t r : c.Missing)
      result.Lines.push_back("Lipseste din tabel: " + registerTable.TextAt(r, 0) + " (din casa)");
  });
  return Finish(o);
}

TOutcome TEngine::UploadDifferences(DocumentTable& table, DocumentTable& registerTable, bool deleteMissing) {
  const TableKind kind = table.Kind();
  const JobKind job = JobKindOf(options_.Variant, kind);
  TOutcome o;
  if (!AskFiscal(o)) return Finish(o);
  // The grid may have changed since the compare.
  RowSelection rows;
  std::vector<std::size_t> missing;
  OnMain([&] {
    const TableComparison now = CompareTables(job, table, registerTable, ReferenceForm::Downloaded);
    rows = MarksOf(table, now.RowsToSend());
    missing = now.Missing;
  });
  std::vector<std::string> findings;
  bool leftOut = false;
  if (!CheckRows(job, table, rows, findings, leftOut)) {
    o.Kind = TOutcomeKind::Cancelled;
    return Finish(o);
  }
  const TJobResult r = RunJob(kUpload, job, table, rows, std::int32_t(rows->size()), {}, leftOut);
  AddFindingsToLog(findings);
  o = JobOutcome(r, o, leftOut);
  if (r.PortOpened) UpdateCopyAfterUpload(table, r, false);
  if (!deleteMissing || kind != tkItems || missing.empty() || o.Kind == TOutcomeKind::Stopped ||
      o.Kind == TOutcomeKind::PortFailed)
    return Finish(o);
  // The register's records themselves go: the delete reads their PLU codes
  // from the table of the compare.
  RowSelection doomed;
  OnMain([&] { doomed = MarksOf(registerTable, missing); });
  const TJobResult d = RunJob(kDelete, 0, registerTable, std::move(doomed), std::int32_t(missing.size()));
  if (d.PortOpened) UpdateCopyAfterDelete(d);
  const TOutcome deleted = JobOutcome(d, o);
  if (deleted.Kind != TOutcomeKind::Done) o.Kind = deleted.Kind;
  o.Records += deleted.Records;
  return Finish(o);
}

// ---- the port tools

TOutcome TEngine::Detect(std::vector<std::string> ports, std::vector<std::int32_t> speeds, int logicFrom, int logicTo) {
  if (ports.empty()) ListSerialPorts(ports);
  std::vector<std::string> speedTexts;
  for (const std::int32_t s : speeds.empty() ? std::vector<std::int32_t>{4800, 9600, 19200, 38400} : speeds)
    speedTexts.push_back(IntToText(s));
  TDetectScanSetup scan;
  scan.LogicFrom = logicFrom;
  scan.LogicTo = logicTo;
  scan.TimeoutMs = link_.Link.Settings.CableTimeout;
  scan.TickedPorts = scan.PortCount = int(ports.size());
  scan.TickedSpeeds = scan.SpeedCount = int(speedTexts.size());
  std::int32_t found = 0;
  TDetectScanHooks hooks;
  hooks.StopRequested = [this] { return stop_.load(); };
  hooks.TickedPort = [&](int i) { return std::optional<std::string>(ports[std::size_t(i)]); };
  hooks.TickedSpeed = [&](int i) { return std::optional<std::string>(speedTexts[std::size_t(i)]); };
  hooks.Trying = [this](const std::string& action, int) { Line(action); };
  hooks.Found = [&](const TDetectFound& f) {
    ++found;
    TEngineEvent e{TEventKind::Result, DetectEntryText(f)};
    e.Fields = {{"fiscal", f.FiscalNumber, true},
                {"port", f.PortName, true},
                {"speed", IntToText(f.Speed)},
                {"logic", IntToText(f.LogicNo)}};
    Emit(std::move(e));
  };
  OnMain([&] { RunDetectScan(link_.Link, scan, hooks); });
  TOutcome o;
  o.Records = found;
  if (stop_.load())
    o.Kind = TOutcomeKind::Stopped;
  else if (found == 0)
    o.Kind = TOutcomeKind::NoAnswer;
  return Finish(o);
}

TOutcome TEngine::LinkTest(std::int32_t blocks) {
  const TLinkSettings& s = link_.Link.Settings;
  TLinkTestSetup test;
  test.PortName = s.PortName;
  test.Speed = s.Speed;
  test.LogicNo = std::int16_t(s.LogicNo);
  test.TimeoutMs = s.CableTimeout;
  test.Blocks = blocks;
  test.ByteTimeoutLimit = s.TestByte;
  TLinkTestHooks hooks;
  hooks.StopRequested = [this] { return stop_.load(); };
  TLinkTestCounters c;
  OnMain([&] { c = RunLinkTest(link_.Link, test, hooks); });
  TOutcome o;
  o.Records = c.BlocksSent;
  if (c.BlocksSent == 0 && blocks > 0 && !stop_.load()) return Finish(PortFailedOutcome(link_.Link.LastOpenError));
  TEngineEvent e{TEventKind::Result, "Blocuri trimise: " + IntToText(c.BlocksSent) +
                                         "\nBlocuri primite: " + IntToText(c.BlocksReceived) +
                                         "\nErori CRC: " + IntToText(c.CRCErrors) +
                                         "\nTimeout octet: " + IntToText(c.ByteTimeouts) +
                                         "\nTimeout bloc: " + IntToText(c.BlockTimeouts)};
  e.Fields = {{"sent", IntToText(c.BlocksSent)},
              {"received", IntToText(c.BlocksReceived)},
              {"crc_errors", IntToText(c.CRCErrors)},
              {"byte_timeouts", IntToText(c.ByteTimeouts)},
              {"block_timeouts", IntToText(c.BlockTimeouts)}};
  Emit(std::move(e));
  const std::int32_t lost = c.BlocksSent - c.BlocksReceived + c.CRCErrors;
  if (stop_.load())
    o.Kind = TOutcomeKind::Stopped;
  else if (c.BlocksSent > 0 && c.BlocksReceived == 0)
    o.Kind = TOutcomeKind::NoAnswer;
  else if (lost > 0 || c.BlockTimeouts > 0)
    o.Kind = TOutcomeKind::RecordErrors;
  TOutcome done = Finish(o);
  done.Errors = lost;  // the link test's errors are its lost and garbled blocks
  return done;
}

}  // namespace vestok
