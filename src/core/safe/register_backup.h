#pragma once
// A whole register in a folder: one table file per table ("items.csv", ...,
// the names the simulator preloads from) and "register.txt", which says whose
// tables they are and how their transfers went. TTableRun runs the download
// or upload jobs of several tables one after another, with one verdict.
#include <array>
#include <atomic>
#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "ecr/link_port.h"

#include "jobs/record_layouts.h"
#include "jobs/transfer_job.h"
#include "tables/document_table.h"

namespace vestok {

// "items.csv", "item-sales.csv", ... "settings.csv", by TableKind.
std::string_view BackupFileName(TableKind kind);
inline constexpr std::string_view kRegisterInfoFile = "register.txt";

// The tables a variant (0 "Seria A", 1 "Standard") downloads, and uploads, in TableKind order.
std::vector<TableKind> DownloadableTables(int variant);
std::vector<TableKind> UploadableTables(int variant);
JobKind JobKindOf(int variant, TableKind kind);

struct RegisterInfo {
  std::string FiscalNumber;
  int LogicNo = 0;
  int Variant = 0;
  std::string Port;
  std::string DateTime;  // "2026-12-10 04:40:00"
  // Per TableKind; -1 for a table the backup did not take.
  std::array<std::int64_t, kTableCount> Records{};
  std::array<std::int64_t, kTableCount> Errors{};
  RegisterInfo() {
    Records.fill(-1);
    Errors.fill(-1);
  }
};

// "key=value" lines; unknown keys are passed over when reading.
std::string RegisterInfoText(const RegisterInfo& info);
std::optional<RegisterInfo> ParseRegisterInfo(std::string_view text);
bool WriteRegisterInfo(const std::string& folder, const RegisterInfo& info);
std::optional<RegisterInfo> ReadRegisterInfo(const std::string& folder);

// The local time as register.txt writes it.
std::string NowText(std::time_t when = std::time(nullptr));

// One table of a run: its job kind, the table it reads or fills, and for an
// upload the rows to send (none: all).
struct TableStep {
  TableKind Kind = tkNone;
  JobKind Job = 0;
  bool Upload = false;
  DocumentTable* Table = nullptr;
  RowSelection Selection;
};

struct TableStepResult {
  TableKind Kind = tkNone;
  std::size_t Records = 0;  // downloaded, or sent
  std::int32_t Errors = 0;
  bool Ran = false;
};

// The texts of a run's verdict.
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

// Runs the jobs of its steps one after another on the thread that calls Run
// (the user-interface thread). Each job clears the log at its start; the run
// gathers every table's lines and leaves them all in the log, after its
// first line and before its verdict. Panel 1 shows "Tabel k din n, " before
// the job's own progress text.
class TTableRun {
 public:
  struct Link {
    IJobHost& Host;
    IMainThread& MainThread;
    std::string PortName;
    std::int32_t Speed;
    TOperationLog& Log;
    TLink& Serial;  // the link the jobs run on
  };
  // Waits for a job's end on the caller's thread (default: WaitForEnd).
  using Waiter = std::function<void(TTransferJob&)>;
  // Called after each step (the table is then complete).
  using StepDone = std::function<void(const TableStep&, const TableStepResult&)>;

  TTableRun(Link link, const RunTexts& texts);
  ~TTableRun();

  std::vector<TableStepResult> Run(std::vector<TableStep> steps, const Waiter& wait = {},
                                   const StepDone& done = {});
  // Any thread: stops the running job and starts no other.
  void RequestStop();
  bool Stopped() const { return stop_.load(); }
  // The verdict of the last Run.
  const std::string& Verdict() const { return verdict_; }
  TTransferJob* CurrentJob() const { return job_.get(); }

 private:
  class PrefixHost;
  Link link_;
  RunTexts texts_;
  std::unique_ptr<TTransferJob> job_;
  std::atomic<bool> stop_{false};
  std::string verdict_;
};

// A backup of the register into `folder` (created when missing): every table
// of `variant`, downloaded into tables of its own, saved as table files, and
// register.txt. `fiscal` is the register's fiscal number as just read.
struct BackupOutcome {
  bool Ok = false;  // every table downloaded without errors and saved
  RegisterInfo Info;
  std::vector<std::string> Unsaved;  // files that could not be written
};
BackupOutcome RunBackup(TTableRun& run, const std::string& folder, int variant, const std::string& fiscal,
                        int logicNo, const std::string& port, const TTableRun::Waiter& wait = {},
                        const TTableRun::StepDone& done = {});

// What a restore of `folder` would send: the uploadable tables of `variant`
// whose file the folder holds, read into tables of their own.
struct RestorePlan {
  std::optional<RegisterInfo> Info;
  std::vector<std::unique_ptr<DocumentTable>> Tables;
  std::vector<std::string> Unreadable;  // files that exist but could not be read
  std::size_t Records() const;
};
RestorePlan PlanRestore(const std::string& folder, int variant);
std::vector<TableStepResult> RunRestore(TTableRun& run, RestorePlan& plan, int variant,
                                        const TTableRun::Waiter& wait = {}, const TTableRun::StepDone& done = {});

}  // namespace vestok
