#pragma once
// The engine: every operation on a register, for every face. It takes the
// link a face lends it (the window's LinkPort, a command line's own link),
// runs the operation's whole sequence of steps (the fiscal number query, the
// check before sending, the jobs, the files, the copy of the last exchange),
// tells its events as they happen and ends with an outcome set where it is
// known. The faces ask their user first and translate the events and the
// outcome afterwards; none of them keeps steps of its own.
//
// An operation runs on the calling thread. Its steps that touch the link, a
// table or the face run on the thread that serves the link's IMainThread: in
// the window the engine runs on a TEngineRun thread and those steps on the
// user-interface thread; on the command line everything runs on the
// calling thread (TDirectMainThread).
#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ecr/link_port.h"
#include "engine/outcome.h"
#include "engine/variant_rules.h"
#include "jobs/job_host.h"
#include "jobs/main_thread.h"
#include "jobs/operation_log.h"
#include "jobs/transfer_job.h"
#include "safe/exchange_store.h"
#include "safe/table_compare.h"
#include "tables/document_table.h"
#include "tools/detect_scan.h"
#include "tools/link_test.h"

namespace vestok {

// What a face lends the engine; borrowed, it outlives the engine.
struct TEngineLink {
  IJobHost& Host;           // the panels and actions a job takes over (a face without them: TQuietHost)
  IMainThread& MainThread;  // where the steps run
  TLink& Link;              // its Settings: port, speed, logical number, time-outs
  TOperationLog& Log;
};

// A host that shows nothing: for faces without panels.
class TQuietHost final : public IJobHost {
 public:
  void SetPagesEnabled(bool) override {}
  std::vector<bool> ActionStates() const override { return {}; }
  void SetActionStates(const std::vector<bool>&) override {}
  void SetStopEnabled(bool) override {}
  void SetStatusText(int, const std::string&) override {}
};

struct TEngineOptions {
  int Variant = 0;  // 0 "Seria A", 1 "Standard"
  // A download of all records gives up after this many requests in a row
  // that brought no record (a register that stopped answering); 0: never.
  int IdleRequestLimit = 0;
  // Where the copies of the last exchange are kept (TExchangeStore's root).
  std::string CopyFolder = UserDataFolder();
};

// The texts of a run of several tables.
struct RunTexts {
  std::string_view FirstLine;
  std::string_view VerdictOk;
  std::string_view VerdictErrors;
  std::string_view VerdictStopped;
};
inline constexpr RunTexts kBackupTexts = {"Salvare completa casa - start", "Salvare completa casa incheiata fara erori",
                                          "Salvare completa casa incheiata cu erori",
                                          "Salvare completa casa oprita"};
inline constexpr RunTexts kRestoreTexts = {"Restaurare casa - start", "Restaurare casa incheiata fara erori",
                                           "Restaurare casa incheiata cu erori", "Restaurare casa oprita"};
inline constexpr RunTexts kCompareTexts = {"Comparare cu casa - start",
                                           "Descarcare pentru comparare incheiata fara erori",
                                           "Descarcare pentru comparare incheiata cu erori",
                                           "Descarcare pentru comparare oprita"};

// What a compare found, as the window marks it and lists it.
struct TCompareResult {
  TableComparison Comparison;
  std::vector<std::string> Lines;  // one per row added, changed, keyless or missing
};

class TEngine {
 public:
  TEngine(TEngineLink link, IEngineEvents& events, IEngineQuestions& questions, TEngineOptions options = {});
  TEngine(const TEngine&) = delete;
  TEngine& operator=(const TEngine&) = delete;

  // Any thread: the job in hand stops before its next record and no other starts.
  void RequestStop();
  bool StopRequested() const { return stop_.load(); }
  // The JobKind of the last upload or download job the engine ran (0: none).
  JobKind LastJobKind() const { return lastJobKind_.load(); }

  // The fiscal number query alone; the number goes into the link's
  // Settings.FiscalNumber and the outcome.
  TOutcome QueryFiscal();

  // The operations below ask the fiscal number first.
  // The rows of `rows` (all without) after the check before sending; with
  // `changesOnly`, only the rows changed since the copy of the last exchange.
  TOutcome Upload(DocumentTable& table, RowSelection rows, bool changesOnly = false);
  // The check before sending alone: nothing goes to the register.
  TOutcome CheckOnly(DocumentTable& table, const RowSelection& rows);
  // All records, or the rows of `rows` again by their number. `saveTo`: the
  // table file written afterwards with whatever came, a stopped run's too.
  TOutcome Download(DocumentTable& table, RowSelection rows, const std::string& saveTo = {});
  // The items of `items` (the rows of `rows`, or all) deleted in the
  // register. `listFirst`: the register's own list is downloaded into `items`
  // first and each of its rows tried once.
  TOutcome DeleteItems(DocumentTable& items, RowSelection rows, bool listFirst = false);
  // Every table the variant downloads into `folder`, with register.txt.
  TOutcome Backup(const std::string& folder);
  // The backup in `folder` into the register, under the backup's own variant
  // (`variantAsked`, when given, must be it). Nothing is sent unless the
  // whole backup is sound; a refusal names every reason. `force`: into a
  // register with another fiscal number too (otherwise the face is asked).
  TOutcome Restore(const std::string& folder, bool force = false, std::optional<int> variantAsked = std::nullopt);
  // The register's records of `table`'s kind downloaded into `registerTable`
  // and compared with `table`.
  TOutcome Compare(DocumentTable& table, DocumentTable& registerTable, TCompareResult& result);
  // The rows of `table` that differ from `registerTable` (a compare's), then,
  // with `deleteMissing`, the register's items the table lacks deleted.
  TOutcome UploadDifferences(DocumentTable& table, DocumentTable& registerTable, bool deleteMissing);

  // The port tools (no fiscal number query).
  TOutcome Detect(std::vector<std::string> ports, std::vector<std::int32_t> speeds, int logicFrom, int logicTo);
  TOutcome LinkTest(std::int32_t blocks);

 private:
  struct TStep;
  struct TStepResult;
  class TJobAdapter;

  void Emit(TEngineEvent event);
  void Line(const std::string& text) { Emit({TEventKind::Line, text}); }
  void Warning(const std::string& text) { Emit({TEventKind::Warning, text}); }
  void Error(const std::string& text, std::optional<std::int32_t> no = std::nullopt);
  template <class F>
  void OnMain(F&& step);
  TOutcome Finish(TOutcome outcome);
  TOutcome PortFailedOutcome(std::int32_t code);
  bool AskFiscal(TOutcome& outcome);
  RegisterId Id() const;

  // The check before sending of `rows`; narrows `selection` to the rows
  // without errors when the user (or the face's answer) says so. False:
  // nothing is to be sent. `leftOut`: rows with errors stay behind.
  bool CheckRows(JobKind job, DocumentTable& table, RowSelection& selection, std::vector<std::string>& lines,
                 bool& leftOut);
  // The operation log's lines changed by `edit`, on the face's thread.
  void EditLog(const std::function<void(std::vector<std::string>&)>& edit);
  // The check's `findings` into the job's log, after its first line.
  void AddFindingsToLog(const std::vector<std::string>& findings);
  // Runs one job of `table` on the calling thread. `rowsLeftOut`: the check
  // kept rows of the table back (JobSetup::RowsLeftOut).
  TJobResult RunJob(int type, JobKind job, DocumentTable& table, RowSelection selection, std::int32_t total,
                    const std::string& prefix = {}, bool rowsLeftOut = false);
  // The outcome of a job, carrying what the fiscal number query of `asked` found.
  TOutcome JobOutcome(const TJobResult& r, const TOutcome& asked, bool leftOut = false);
  // Runs the steps one after another as one operation with one verdict; the
  // log holds `findings` after its first line, then each job's lines.
  std::vector<TStepResult> RunTables(std::vector<TStep> steps, const RunTexts& texts, std::string& verdict,
                                     const std::vector<std::string>& findings = {});
  // The copy of the last exchange after a job on `table`.
  void KeepCopy(DocumentTable& table);
  // A present copy (or, `fromEmpty`, one that cannot be trusted) takes `change`.
  void AmendCopy(TableKind kind, bool fromEmpty, const std::function<void(DocumentTable&)>& change);
  // The rows of `table` the job `r` moved whole go into the copy.
  void ApplyDoneRows(DocumentTable& table, const TJobResult& r, bool fromEmpty);
  void UpdateCopyAfterUpload(DocumentTable& table, const TJobResult& r, bool whole);
  void UpdateCopyAfterDelete(const TJobResult& r);
  void ForgetCopy(TableKind kind);

  TEngineLink link_;
  IEngineEvents& events_;
  IEngineQuestions& questions_;
  const TEngineOptions options_;
  TExchangeStore store_;
  std::atomic<bool> stop_{false};
  std::mutex jobMutex_;
  TTransferJob* job_ = nullptr;  // the job in hand
  std::int32_t errors_ = 0;      // error events of the operation
  std::atomic<JobKind> lastJobKind_{0};
};

// The copy could not be kept: said once per table.
inline constexpr std::string_view kCopyNotKept = "Copia ultimului schimb nu a putut fi pastrata";

}  // namespace vestok
