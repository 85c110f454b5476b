#include "cli/cli_run.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <memory>
#include <sys/stat.h>

#include "ecr/fiscal_number.h"
#include "ecr/link_port.h"
#include "jobs/del_thread.h"
#include "jobs/direct_main_thread.h"
#include "jobs/load_thread.h"
#include "jobs/save_thread.h"
#include "safe/exchange_store.h"
#include "safe/register_backup.h"
#include "safe/table_compare.h"
#include "safe/upload_checks.h"
#include "serial/serial_ports.h"
#include "tables/table_file.h"
#include "text/number_text.h"
#include "tools/detect_scan.h"
#include "tools/link_test.h"

namespace vestok::cli {

namespace {

const std::string kNoFiscalNumber = "Nu se poate citi numarul fiscal al imprimantei!";

const char* CommandName(TCommand c) {
  switch (c) {
    case TCommand::Fiscal: return "fiscal";
    case TCommand::Download: return "download";
    case TCommand::Upload: return "upload";
    case TCommand::DeleteItems: return "delete-items";
    case TCommand::Detect: return "detect";
    case TCommand::LinkTest: return "linktest";
    case TCommand::Backup: return "backup";
    case TCommand::Restore: return "restore";
    default: return "";
  }
}

// What a job borrows of the window, for a program without one: the status
// texts become the job's lines and events.
class TCliHost final : public IJobHost {
 public:
  TCliHost(TOutput& output, std::string reg, const JobTexts& texts, std::size_t total)
      : output_(output), reg_(std::move(reg)), texts_(texts), total_(total) {}

  // A download of all records into `table`: watched for requests that bring nothing.
  void WatchIdle(const DocumentTable* table) { watched_ = table; }
  void SetJob(TTransferJob* job) { job_.store(job); }
  std::int32_t Records() const { return records_; }

  void SetPagesEnabled(bool) override {}
  std::vector<bool> ActionStates() const override { return {}; }
  void SetActionStates(const std::vector<bool>&) override {}
  void SetStopEnabled(bool) override {}

  void SetStatusText(int panel, const std::string& text) override {
    if (panel == 2) {
      if (!text.empty()) output_.Line(reg_, std::string(texts_.FirstLine));  // the job has begun
      return;
    }
    if (panel != 1) return;
    if (text.starts_with(texts_.Progress)) {
      const auto no = ParseInt32(std::string_view(text).substr(texts_.Progress.size())).value_or(0);
      ++records_;
      output_.Record(reg_, text, no, std::size_t(records_), total_);
      WatchRequest();
    } else if (text.starts_with(texts_.Error)) {
      output_.Error(reg_, text, ParseInt32(std::string_view(text).substr(texts_.Error.size())));
    } else if (text == texts_.VerdictOk || text == texts_.VerdictErrors) {
      verdict_ = text;
    }
  }

  const std::string& VerdictText() const { return verdict_; }

 private:
  void WatchRequest() {
    if (!watched_) return;
    const std::size_t rows = watched_->RecordCount();
    idle_ = first_ || rows > rowsSeen_ ? 0 : idle_ + 1;
    first_ = false;
    rowsSeen_ = rows;
    if (idle_ >= kIdleRequestLimit)
      if (TTransferJob* job = job_.load()) job->RequestStop();
  }

  TOutput& output_;
  const std::string reg_;
  const JobTexts texts_;
  const std::size_t total_;
  std::int32_t records_ = 0;
  std::string verdict_;
  const DocumentTable* watched_ = nullptr;
  std::atomic<TTransferJob*> job_{nullptr};
  bool first_ = true;
  int idle_ = 0;
  std::size_t rowsSeen_ = 0;
};

// The host of a run of several tables: each job's status texts, with the
// run's "Tabel k din n, " before them, become lines and events.
class TCliRunHost final : public IJobHost {
 public:
  TCliRunHost(TOutput& output, std::string reg) : output_(output), reg_(std::move(reg)) {}
  void SetPagesEnabled(bool) override {}
  std::vector<bool> ActionStates() const override { return {}; }
  void SetActionStates(const std::vector<bool>&) override {}
  void SetStopEnabled(bool) override {}
  void SetStatusText(int panel, const std::string& text) override {
    if (panel != 1 || text.empty()) return;
    if (text.find("Eroare") != std::string::npos) output_.Error(reg_, text);
    else if (text.find("incheiat") != std::string::npos) output_.Line(reg_, text);
    else output_.Record(reg_, text, 0, ++records_, 0);
  }

 private:
  TOutput& output_;
  const std::string reg_;
  std::size_t records_ = 0;
};

enum class TJobType { Upload, Download, Delete };

struct TJobOutcome {
  std::int32_t Records = 0;
  std::int32_t Errors = 0;
  bool PortFailed = false;  // the job could not open the port (taken since the query)
  bool Stopped = false;     // the job was stopped (Ctrl+C, or a register that stopped answering)
};

class TRun {
 public:
  TRun(const TRunSetup& setup, TOutput& output, TStopSignal& stop)
      : setup_(setup), output_(output), stop_(stop), settings_(setup.Settings), link_(settings_),
        reg_(RegisterName(settings_)) {}

  TRunReport Run() {
    const auto begin = std::chrono::steady_clock::now();
    report_.Register = reg_;
    report_.Port = settings_.PortName;
    report_.Command = CommandName(setup_.Command);
    output_.Start(reg_, report_.Command, TableName(setup_.Table));
    try {
      report_.Status = Dispatch();
    } catch (const std::exception&) {
      // Any failure outside a record (a table that refuses a row, no thread
      // to start): reported, never a crash.
      output_.Error(reg_, "Eroare neasteptata");
      report_.Status = kExitRecordErrors;
    }
    CloseLink(link_);
    if (stop_.Stopped() && report_.Status <= kExitRecordErrors) report_.Status = kExitStopped;
    report_.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    output_.Summary(report_);
    return report_;
  }

 private:
  int Dispatch() {
    switch (setup_.Command) {
      case TCommand::Fiscal: return Fiscal();
      case TCommand::Download: return Download();
      case TCommand::Upload: return Upload();
      case TCommand::DeleteItems: return DeleteItems();
      case TCommand::Detect: return Detect();
      case TCommand::LinkTest: return LinkTestRun();
      case TCommand::Backup: return Backup();
      case TCommand::Restore: return Restore();
      default: return kExitUsage;
    }
  }

  // The fiscal number query before every transfer; 0 when the register answered.
  int QueryFiscalNumber(std::string& fiscalNumber) {
    const std::uint8_t result = ReadFiscalNumber(link_, settings_.PortName, settings_.Speed,
                                                 std::int16_t(settings_.LogicNo), settings_.CableTimeout,
                                                 fiscalNumber);
    if (result == FiscalQueryOk) return kExitOk;
    if (result == FiscalQueryPortFailed) {
      output_.Error(reg_, "Portul " + settings_.PortName + " nu poate fi deschis");
      return kExitPortFailed;
    }
    output_.Error(reg_, kNoFiscalNumber);
    return kExitNoAnswer;
  }

  int Fiscal() {
    std::string fiscalNumber;
    const int status = QueryFiscalNumber(fiscalNumber);
    if (status == kExitOk)
      output_.Result(reg_, fiscalNumber, {{"fiscal", JsonString(Utf8FromCp1250(fiscalNumber))}});
    return status;
  }

  std::unique_ptr<DocumentTable> NewTable(TableKind kind) {
    auto table = std::make_unique<DocumentTable>(TableDefinition(kind));
    table->Open();
    return table;
  }

  bool LoadFile(DocumentTable& table, const std::string& path) {
    try {
      LoadTableFile(table, path);
      return true;
    } catch (const std::exception&) {
      output_.Error(reg_, "Nu se poate deschide fisierul specificat!");
      return false;
    }
  }

  // The rows whose first field is one of `numbers` (every row without
  // numbers), in table order.
  static std::vector<std::size_t> RowsNumbered(const DocumentTable& table,
                                               const std::optional<std::vector<std::int32_t>>& numbers) {
    std::vector<std::size_t> rows;
    for (std::size_t row = 0; row < table.RowCount(); ++row) {
      const auto n = numbers ? table.IntegerAt(row, 0) : std::nullopt;
      if (!numbers || (n && std::find(numbers->begin(), numbers->end(), *n) != numbers->end())) rows.push_back(row);
    }
    return rows;
  }

  static std::vector<Bookmark> BookmarksOf(const DocumentTable& table, const std::vector<std::size_t>& rows) {
    std::vector<Bookmark> marks;
    marks.reserve(rows.size());
    for (const std::size_t row : rows) marks.push_back(table.BookmarkAt(row));
    return marks;
  }

  TJobOutcome RunJob(TJobType type, JobKind kind, DocumentTable& table, RowSelection selection) {
    const JobTexts& texts = type == TJobType::Upload ? kUploadTexts
                            : type == TJobType::Download ? kDownloadTexts
                                                         : kDeleteTexts;
    const std::size_t total = selection ? selection->size() : type == TJobType::Download ? 0 : table.RecordCount();
    const bool downloadAll = type == TJobType::Download && !selection;
    TCliHost host(output_, reg_, texts, total);
    if (downloadAll) host.WatchIdle(&table);
    TDirectMainThread mainThread;
    TOperationLog log;
    JobSetup js{host, mainThread, settings_.PortName, settings_.Speed, table, std::move(selection), log, link_};
    std::unique_ptr<TTransferJob> job;
    switch (type) {
      case TJobType::Upload: job = std::make_unique<TLoadThread>(kind, std::move(js)); break;
      case TJobType::Download: job = std::make_unique<TSaveThread>(kind, std::move(js)); break;
      case TJobType::Delete: job = std::make_unique<TDelThread>(std::move(js)); break;
    }
    host.SetJob(job.get());
    stop_.Join(job.get());
    job->WaitForEnd();
    stop_.Leave(job.get());
    TJobOutcome outcome;
    outcome.Errors = job->ErrorCount();
    outcome.Stopped = job->StopRequested() || stop_.Stopped();
    outcome.Records = downloadAll ? std::int32_t(table.RecordCount()) : host.Records();
    // A job shows its first record only once its port is open.
    outcome.PortFailed = host.Records() == 0 && (type == TJobType::Download || total > 0) && !stop_.Stopped();
    if (outcome.PortFailed) output_.Error(reg_, "Portul " + settings_.PortName + " nu poate fi deschis");
    output_.Verdict(reg_, host.VerdictText(), outcome.Errors);
    report_.Records += outcome.Records;
    report_.Errors += outcome.Errors;
    return outcome;
  }

  JobKind KindOf(TableKind table, bool selective) const {
    // The selective jobs exist under "Seria A" only, where the TableKind alone is the JobKind.
    return JobKind(selective ? table : setup_.Variant * 100 + table);
  }

  static int JobStatus(const TJobOutcome& outcome) {
    if (outcome.PortFailed) return kExitPortFailed;
    return outcome.Errors > 0 ? kExitRecordErrors : kExitOk;
  }

  int Download() {
    auto table = NewTable(setup_.Table);
    RowSelection selection;
    if (setup_.Numbers) {
      // The rows asked for again by their number: those of the file, if it
      // exists, and a new row for each number it does not hold.
      struct stat st{};
      if (::stat(setup_.File.c_str(), &st) == 0 && !LoadFile(*table, setup_.File)) return kExitFileFailed;
      for (const std::int32_t n : *setup_.Numbers) {
        if (!RowsNumbered(*table, std::vector<std::int32_t>{n}).empty()) continue;
        table->Append();
        table->SetInteger(0, n);
        table->Post();
      }
      selection = BookmarksOf(*table, RowsNumbered(*table, setup_.Numbers));
    }
    std::string fiscalNumber;
    if (const int status = QueryFiscalNumber(fiscalNumber); status != kExitOk) return status;
    const TJobOutcome outcome = RunJob(TJobType::Download, KindOf(setup_.Table, bool(setup_.Numbers)), *table,
                                       std::move(selection));
    // Whatever the job brought, a stopped one too, is saved.
    try {
      SaveTableFile(*table, setup_.File);
    } catch (const std::exception&) {
      output_.Error(reg_, "Nu se poate salva fisierul specificat!");
      return kExitFileFailed;
    }
    // What the register holds after a whole download is its copy.
    if (!setup_.Numbers && outcome.Errors == 0 && !outcome.Stopped && !outcome.PortFailed) Keep(fiscalNumber, *table);
    return JobStatus(outcome);
  }

  RegisterId IdOf(const std::string& fiscalNumber) const { return RegisterId{fiscalNumber, settings_.LogicNo}; }

  void Keep(const std::string& fiscalNumber, DocumentTable& table) {
    if (!TExchangeStore().Keep(IdOf(fiscalNumber), table))
      output_.Line(reg_, "Copia ultimului schimb nu a putut fi pastrata");
  }

  // The checks of `rows` before they are sent: one line per finding. With
  // errors, `rows` keeps only the rows without any; true when rows were left out.
  bool CheckRows(JobKind kind, DocumentTable& table, std::vector<std::size_t>& rows, bool& errors) {
    const std::vector<CheckFinding> findings = CheckUploadRows(kind, table, &rows);
    for (const CheckFinding& f : findings) {
      if (f.Level == FindingLevel::Error) output_.Error(reg_, FindingLine(table, f));
      else output_.Line(reg_, FindingLine(table, f));
    }
    errors = HasErrors(findings);
    if (!errors) return false;
    rows = RowsWithoutErrors(table, findings, &rows);
    return true;
  }

  int Upload() {
    auto table = NewTable(setup_.Table);
    if (!LoadFile(*table, setup_.File)) return kExitFileFailed;
    const JobKind kind = KindOf(setup_.Table, bool(setup_.Numbers));
    std::vector<std::size_t> rows = RowsNumbered(*table, setup_.Numbers);
    bool errors = false;
    if (setup_.CheckOnly) {
      CheckRows(kind, *table, rows, errors);
      report_.Records = std::int32_t(rows.size());
      if (!errors) output_.Line(reg_, "Verificare incheiata: nicio eroare");
      return errors ? kExitRecordErrors : kExitOk;
    }
    std::string fiscalNumber;
    if (const int status = QueryFiscalNumber(fiscalNumber); status != kExitOk) return status;
    std::unique_ptr<DocumentTable> copy;
    bool whole = !setup_.Numbers;
    if (setup_.Changed) {
      copy = std::make_unique<DocumentTable>(TableDefinition(setup_.Table));
      const std::optional<std::time_t> when = TExchangeStore().Load(IdOf(fiscalNumber), setup_.Table, *copy);
      if (!when) {
        output_.Line(reg_, "Nu exista o copie a ultimului schimb cu aceasta casa: se incarca tot tabelul");
        copy.reset();
      } else {
        output_.Line(reg_, CopyAgeText(*when));
        rows = CompareTables(kind, *table, *copy, ReferenceForm::AsSent).RowsToSend();
        whole = false;
        output_.Line(reg_, "Se vor incarca " + IntToText(std::int64_t(rows.size())) + " inregistrari modificate");
        if (rows.empty()) return kExitOk;
      }
    }
    const std::size_t checked = rows.size();
    const bool leftOut = CheckRows(kind, *table, rows, errors);
    report_.Errors += std::int32_t(checked - rows.size());  // the rows left out
    RowSelection selection;
    if (leftOut || !whole) selection = BookmarksOf(*table, rows);
    const TJobOutcome outcome = RunJob(TJobType::Upload, kind, *table, std::move(selection));
    if (outcome.Errors == 0 && !outcome.Stopped && !outcome.PortFailed && !leftOut) {
      if (whole) {
        Keep(fiscalNumber, *table);
      } else if (copy) {
        ApplyRowsToCopy(*copy, *table, rows);
        Keep(fiscalNumber, *copy);
      }
    }
    const int status = JobStatus(outcome);
    return status == kExitOk && errors ? kExitRecordErrors : status;
  }

  int DeleteItems() {
    auto table = NewTable(tkItems);
    if (!setup_.File.empty() && !LoadFile(*table, setup_.File)) return kExitFileFailed;
    std::string fiscalNumber;
    if (const int status = QueryFiscalNumber(fiscalNumber); status != kExitOk) return status;
    TJobOutcome listed;
    if (setup_.File.empty()) {
      // All items of the register: their list is downloaded first.
      listed = RunJob(TJobType::Download, KindOf(tkItems, false), *table, std::nullopt);
      if (stop_.Stopped()) return kExitStopped;
      if (listed.PortFailed) return kExitPortFailed;
    }
    // Each row is tried once: the delete job without a selection would send
    // a refused row again on every pass, until Stop.
    const TJobOutcome deleted = RunJob(TJobType::Delete, 0, *table, BookmarksOf(*table, RowsNumbered(*table, std::nullopt)));
    if (deleted.PortFailed) return kExitPortFailed;
    return listed.Errors + deleted.Errors > 0 ? kExitRecordErrors : kExitOk;
  }

  // A run of several tables on this register's link, with the jobs on the
  // direct main thread; Ctrl+C stops the job in hand and starts no other.
  template <typename Body>
  bool RunTables(const RunTexts& texts, Body body) {
    TCliRunHost host(output_, reg_);
    TDirectMainThread mainThread;
    TOperationLog log;
    TTableRun run(TTableRun::Link{host, mainThread, settings_.PortName, settings_.Speed, log, link_}, texts);
    const TTableRun::Waiter wait = [&](TTransferJob& job) {
      stop_.Join(&job);
      job.WaitForEnd();
      stop_.Leave(&job);
      if (stop_.Stopped()) run.RequestStop();
    };
    std::int32_t errors = 0;
    bool any = false;
    body(run, wait, [&](const TableStepResult& r) {
      errors += r.Errors;
      report_.Records += std::int32_t(r.Records);
      any = any || r.Records > 0;
    });
    report_.Errors += errors;
    output_.Verdict(reg_, run.Verdict(), errors);
    return any;
  }

  int Backup() {
    std::string fiscalNumber;
    if (const int status = QueryFiscalNumber(fiscalNumber); status != kExitOk) return status;
    BackupOutcome outcome;
    const bool any = RunTables(kBackupTexts, [&](TTableRun& run, const TTableRun::Waiter& wait, auto count) {
      outcome = RunBackup(run, setup_.File, setup_.Variant, fiscalNumber, settings_.LogicNo, settings_.PortName,
                          wait, [&](const TableStep& step, const TableStepResult& r) {
                            count(r);
                            if (r.Errors == 0 && !run.Stopped()) Keep(fiscalNumber, *step.Table);
                          });
    });
    for (const std::string& file : outcome.Unsaved) output_.Error(reg_, "Nu se poate salva fisierul " + file);
    if (!outcome.Unsaved.empty()) return kExitFileFailed;
    if (!any && report_.Errors == 0 && !stop_.Stopped()) {
      output_.Error(reg_, "Portul " + settings_.PortName + " nu poate fi deschis");
      return kExitPortFailed;
    }
    return outcome.Ok ? kExitOk : kExitRecordErrors;
  }

  int Restore() {
    RestorePlan plan = PlanRestore(setup_.File, setup_.Variant);
    for (const std::string& file : plan.Unreadable) output_.Error(reg_, "Nu se poate deschide fisierul " + file);
    if (!plan.Unreadable.empty()) return kExitFileFailed;
    if (plan.Tables.empty()) {
      output_.Error(reg_, "Dosarul " + setup_.File + " nu contine tabele de restaurat");
      return kExitFileFailed;
    }
    std::string fiscalNumber;
    if (const int status = QueryFiscalNumber(fiscalNumber); status != kExitOk) return status;
    if (plan.Info && plan.Info->FiscalNumber != fiscalNumber && !setup_.Force) {
      output_.Error(reg_, "Salvarea este a casei cu numarul fiscal " + plan.Info->FiscalNumber +
                              ", iar casa conectata are numarul fiscal " + fiscalNumber +
                              ". Nu s-a trimis nimic (--force restaureaza totusi)");
      return kExitRecordErrors;
    }
    for (const auto& t : plan.Tables)
      output_.Line(reg_, std::string(BackupFileName(t->Kind())) + ": " + IntToText(std::int64_t(t->RecordCount())) +
                             " inregistrari");
    std::vector<TableStepResult> results;
    const bool any = RunTables(kRestoreTexts, [&](TTableRun& run, const TTableRun::Waiter& wait, auto count) {
      results = RunRestore(run, plan, setup_.Variant, wait, [&](const TableStep& step, const TableStepResult& r) {
        count(r);
        if (r.Errors == 0 && !step.Selection && !run.Stopped()) Keep(fiscalNumber, *step.Table);
      });
    });
    if (!any && report_.Errors == 0 && plan.Records() > 0 && !stop_.Stopped()) {
      output_.Error(reg_, "Portul " + settings_.PortName + " nu poate fi deschis");
      return kExitPortFailed;
    }
    return report_.Errors > 0 ? kExitRecordErrors : kExitOk;
  }

  int Detect() {
    std::vector<std::string> ports = setup_.Ports;
    if (ports.empty()) ListSerialPorts(ports);
    std::vector<std::string> speeds;
    for (const std::int32_t s : setup_.Speeds.empty() ? std::vector<std::int32_t>{4800, 9600, 19200, 38400}
                                                      : setup_.Speeds)
      speeds.push_back(IntToText(s));
    TDetectScanSetup scan;
    scan.LogicFrom = setup_.LogicFrom;
    scan.LogicTo = setup_.LogicTo;
    scan.TimeoutMs = settings_.CableTimeout;
    scan.TickedPorts = scan.PortCount = int(ports.size());
    scan.TickedSpeeds = scan.SpeedCount = int(speeds.size());
    int found = 0;
    TDetectScanHooks hooks;
    hooks.StopRequested = [this] { return stop_.Stopped(); };
    hooks.TickedPort = [&](int i) { return std::optional<std::string>(ports[std::size_t(i)]); };
    hooks.TickedSpeed = [&](int i) { return std::optional<std::string>(speeds[std::size_t(i)]); };
    hooks.Trying = [this](const std::string& action, int) { output_.Line(reg_, action); };
    hooks.Found = [&](const TDetectFound& f) {
      ++found;
      output_.Result(reg_, DetectEntryText(f),
                     {{"fiscal", JsonString(Utf8FromCp1250(f.FiscalNumber))},
                      {"port", JsonString(Utf8FromCp1250(f.PortName))},
                      {"speed", IntToText(f.Speed)},
                      {"logic", IntToText(f.LogicNo)}});
    };
    RunDetectScan(link_, scan, hooks);
    report_.Records = found;
    return found > 0 ? kExitOk : kExitNoAnswer;
  }

  int LinkTestRun() {
    TLinkTestSetup test;
    test.PortName = settings_.PortName;
    test.Speed = settings_.Speed;
    test.LogicNo = std::int16_t(settings_.LogicNo);
    test.TimeoutMs = settings_.CableTimeout;
    test.Blocks = setup_.Blocks.value_or(settings_.TestCmd);
    test.ByteTimeoutLimit = settings_.TestByte;
    TLinkTestHooks hooks;
    hooks.StopRequested = [this] { return stop_.Stopped(); };
    const TLinkTestCounters c = RunLinkTest(link_, test, hooks);
    output_.Result(reg_,
                   "Blocuri trimise: " + IntToText(c.BlocksSent) + "\nBlocuri primite: " + IntToText(c.BlocksReceived) +
                       "\nErori CRC: " + IntToText(c.CRCErrors) + "\nTimeout octet: " + IntToText(c.ByteTimeouts) +
                       "\nTimeout bloc: " + IntToText(c.BlockTimeouts),
                   {{"sent", IntToText(c.BlocksSent)},
                    {"received", IntToText(c.BlocksReceived)},
                    {"crc_errors", IntToText(c.CRCErrors)},
                    {"byte_timeouts", IntToText(c.ByteTimeouts)},
                    {"block_timeouts", IntToText(c.BlockTimeouts)}});
    report_.Records = c.BlocksSent;
    report_.Errors = c.BlocksSent - c.BlocksReceived + c.CRCErrors;
    if (c.BlocksSent == 0 && test.Blocks > 0 && !stop_.Stopped()) {
      output_.Error(reg_, "Portul " + settings_.PortName + " nu poate fi deschis");
      return kExitPortFailed;
    }
    if (c.BlocksSent > 0 && c.BlocksReceived == 0) return kExitNoAnswer;
    return report_.Errors > 0 || c.BlockTimeouts > 0 ? kExitRecordErrors : kExitOk;
  }

  const TRunSetup& setup_;
  TOutput& output_;
  TStopSignal& stop_;
  TLinkSettings settings_;
  TLink link_;
  const std::string reg_;
  TRunReport report_;
};

}  // namespace

void TStopSignal::Stop() {
  stopped_.store(true);
  std::lock_guard lock(mutex_);
  for (TTransferJob* job : jobs_) job->RequestStop();
}

void TStopSignal::Join(TTransferJob* job) {
  std::lock_guard lock(mutex_);
  jobs_.insert(job);
  if (stopped_.load()) job->RequestStop();
}

void TStopSignal::Leave(TTransferJob* job) {
  std::lock_guard lock(mutex_);
  jobs_.erase(job);
}

std::string RegisterName(const TLinkSettings& s) { return s.PortName + ":" + IntToText(s.LogicNo); }

TRunReport RunCommand(const TRunSetup& setup, TOutput& output, TStopSignal& stop) {
  return TRun(setup, output, stop).Run();
}

}  // namespace vestok::cli
