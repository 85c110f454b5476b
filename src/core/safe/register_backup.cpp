#include "safe/register_backup.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "jobs/load_thread.h"
#include "jobs/save_thread.h"
#include "safe/upload_checks.h"
#include "tables/table_file.h"
#include "text/local_time.h"
#include "text/number_text.h"

namespace vestok {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kFileNames[kTableCount] = {
    "items.csv",     "item-sales.csv",     "group-sales.csv", "stand-sales.csv", "operators.csv",
    "pay-types.csv", "discounts.csv",      "receipt-format.csv", "header.csv",   "settings.csv",
};

std::string Stem(TableKind kind) {
  std::string_view name = BackupFileName(kind);
  return std::string(name.substr(0, name.size() - 4));
}

}  // namespace

std::string_view BackupFileName(TableKind kind) { return kind < kTableCount ? kFileNames[kind] : std::string_view(); }

JobKind JobKindOf(int variant, TableKind kind) { return JobKind((variant == 0 ? 0 : 100) + kind); }

std::vector<TableKind> DownloadableTables(int variant) {
  std::vector<TableKind> out;
  for (TableKind k = 0; k < kTableCount; ++k)
    if (!DownloadCommand(JobKindOf(variant, k)).empty()) out.push_back(k);
  return out;
}

std::vector<TableKind> UploadableTables(int variant) {
  std::vector<TableKind> out;
  for (TableKind k = 0; k < kTableCount; ++k) {
    // The operating parameters go up under "Seria A" only, as the window offers them.
    if (variant != 0 && k == tkSettings) continue;
    if (!UploadCommand(JobKindOf(variant, k)).empty()) out.push_back(k);
  }
  return out;
}

std::string NowText(std::time_t when) { return LocalTimeText(when, "%Y-%m-%d %H:%M:%S"); }

std::string RegisterInfoText(const RegisterInfo& info) {
  std::string out;
  auto line = [&](std::string_view key, std::string_view value) {
    out.append(key).append("=").append(value).append("\n");
  };
  line("fiscal", info.FiscalNumber);
  line("logical", IntToText(info.LogicNo));
  line("variant", info.Variant == 0 ? "A" : "S");
  line("port", info.Port);
  line("date", info.DateTime);
  for (TableKind k = 0; k < kTableCount; ++k) {
    if (info.Records[k] < 0) continue;
    line("records." + Stem(k), IntToText(info.Records[k]));
    line("errors." + Stem(k), IntToText(std::max<std::int64_t>(0, info.Errors[k])));
  }
  return out;
}

std::optional<RegisterInfo> ParseRegisterInfo(std::string_view text) {
  RegisterInfo info;
  bool fiscal = false;
  std::istringstream in{std::string(text)};
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string key = line.substr(0, eq);
    const std::string value = line.substr(eq + 1);
    auto number = [&]() -> std::int64_t { return ParseInt32(value).value_or(-1); };
    if (key == "fiscal") {
      info.FiscalNumber = value;
      fiscal = true;
    } else if (key == "logical") {
      info.LogicNo = int(number());
    } else if (key == "variant") {
      info.Variant = value == "S" ? 1 : 0;
    } else if (key == "port") {
      info.Port = value;
    } else if (key == "date") {
      info.DateTime = value;
    } else {
      for (TableKind k = 0; k < kTableCount; ++k) {
        if (key == "records." + Stem(k)) info.Records[k] = number();
        if (key == "errors." + Stem(k)) info.Errors[k] = number();
      }
    }
  }
  if (!fiscal) return std::nullopt;
  return info;
}

bool WriteRegisterInfo(const std::string& folder, const RegisterInfo& info) {
  const std::string path = folder + "/" + std::string(kRegisterInfoFile);
  const std::string tmp = path + ".tmp";
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    out << RegisterInfoText(info);
    if (!out.flush()) return false;
  }
  std::error_code ec;
  fs::rename(tmp, path, ec);
  return !ec;
}

std::optional<RegisterInfo> ReadRegisterInfo(const std::string& folder) {
  std::ifstream in(folder + "/" + std::string(kRegisterInfoFile), std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  return ParseRegisterInfo(text.str());
}

// ---- the run

class TTableRun::PrefixHost final : public IJobHost {
 public:
  PrefixHost(IJobHost& inner, std::string prefix) : inner_(inner), prefix_(std::move(prefix)) {}
  void SetPagesEnabled(bool enabled) override { inner_.SetPagesEnabled(enabled); }
  std::vector<bool> ActionStates() const override { return inner_.ActionStates(); }
  void SetActionStates(const std::vector<bool>& states) override { inner_.SetActionStates(states); }
  // Between two tables Stop stays on: the run is not over.
  void SetStopEnabled(bool enabled) override {
    if (enabled || last_) inner_.SetStopEnabled(enabled);
  }
  void SetStatusText(int panel, const std::string& text) override {
    inner_.SetStatusText(panel, panel == 1 ? prefix_ + text : text);
  }
  bool last_ = false;

 private:
  IJobHost& inner_;
  std::string prefix_;
};

TTableRun::TTableRun(Link link, const RunTexts& texts) : link_(std::move(link)), texts_(texts) {}

TTableRun::~TTableRun() { job_.reset(); }

void TTableRun::RequestStop() {
  stop_.store(true);
  // The job is read here only on the thread that runs the run (Stop is an
  // action of the window, handled between two of the job's steps).
  if (job_) job_->RequestStop();
}

std::vector<TableStepResult> TTableRun::Run(std::vector<TableStep> steps, const Waiter& wait,
                                            const StepDone& done) {
  stop_.store(false);
  std::vector<TableStepResult> results;
  std::vector<std::string> lines{std::string(texts_.FirstLine)};
  bool errors = false;
  const std::size_t n = steps.size();
  for (std::size_t i = 0; i < n && !stop_.load(); ++i) {
    TableStep& step = steps[i];
    PrefixHost host(link_.Host, "Tabel " + IntToText(std::int64_t(i + 1)) + " din " + IntToText(std::int64_t(n)) +
                                    ", ");
    host.last_ = i + 1 == n;  // Stop (and the window's busy state) stays on between two tables
    JobSetup setup{host, link_.MainThread, link_.PortName, link_.Speed, *step.Table, step.Selection, link_.Log, link_.Serial};
    TableStepResult result;
    result.Kind = step.Kind;
    try {
      if (step.Upload)
        job_ = std::make_unique<TLoadThread>(step.Job, std::move(setup));
      else
        job_ = std::make_unique<TSaveThread>(step.Job, std::move(setup));
    } catch (...) {
      job_.reset();
      errors = true;
      results.push_back(result);
      break;
    }
    if (stop_.load()) job_->RequestStop();
    if (wait)
      wait(*job_);
    else
      job_->WaitForEnd();
    job_->WaitForEnd();
    result.Ran = true;
    result.Errors = job_->ErrorCount();
    result.Records = step.Upload ? (step.Selection ? step.Selection->size() : step.Table->RecordCount())
                                 : step.Table->RecordCount();
    job_.reset();
    const auto& jobLines = link_.Log.Lines();
    lines.insert(lines.end(), jobLines.begin(), jobLines.end());
    if (result.Errors > 0) errors = true;
    results.push_back(result);
    if (done) done(step, result);
  }
  const bool stopped = stop_.load() || results.size() < n;
  verdict_ = std::string(stopped ? texts_.VerdictStopped : errors ? texts_.VerdictErrors : texts_.VerdictOk);
  lines.push_back(verdict_);
  link_.Log.Clear();
  for (std::string& l : lines) link_.Log.Add(std::move(l));
  link_.Host.SetStopEnabled(false);
  link_.Host.SetStatusText(1, verdict_);
  return results;
}

// ---- backup and restore

BackupOutcome RunBackup(TTableRun& run, const std::string& folder, int variant, const std::string& fiscal,
                        int logicNo, const std::string& port, const TTableRun::Waiter& wait,
                        const TTableRun::StepDone& done) {
  BackupOutcome outcome;
  RegisterInfo& info = outcome.Info;
  info.FiscalNumber = fiscal;
  info.LogicNo = logicNo;
  info.Variant = variant;
  info.Port = port;
  info.DateTime = NowText();
  std::error_code ec;
  fs::create_directories(folder, ec);

  std::vector<std::unique_ptr<DocumentTable>> tables;
  std::vector<TableStep> steps;
  for (TableKind k : DownloadableTables(variant)) {
    tables.push_back(std::make_unique<DocumentTable>(TableDefinition(k)));
    tables.back()->Open();
    steps.push_back({k, JobKindOf(variant, k), false, tables.back().get(), std::nullopt});
  }
  bool ok = true;
  const std::vector<TableStepResult> results = run.Run(std::move(steps), wait, [&](const TableStep& step,
                                                                                   const TableStepResult& r) {
    info.Records[step.Kind] = std::int64_t(r.Records);
    info.Errors[step.Kind] = r.Errors;
    try {
      SaveTableFile(*step.Table, folder + "/" + std::string(BackupFileName(step.Kind)));
    } catch (...) {
      outcome.Unsaved.emplace_back(BackupFileName(step.Kind));
      ok = false;
    }
    if (done) done(step, r);
  });
  for (const TableStepResult& r : results)
    if (!r.Ran || r.Errors > 0) ok = false;
  if (results.size() < tables.size() || run.Stopped()) ok = false;
  if (!WriteRegisterInfo(folder, info)) {
    outcome.Unsaved.emplace_back(kRegisterInfoFile);
    ok = false;
  }
  outcome.Ok = ok;
  return outcome;
}

std::size_t RestorePlan::Records() const {
  std::size_t n = 0;
  for (const auto& t : Tables) n += t->RecordCount();
  return n;
}

RestorePlan PlanRestore(const std::string& folder, int variant) {
  RestorePlan plan;
  plan.Info = ReadRegisterInfo(folder);
  for (TableKind k : UploadableTables(variant)) {
    const std::string path = folder + "/" + std::string(BackupFileName(k));
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) continue;
    auto table = std::make_unique<DocumentTable>(TableDefinition(k));
    table->Open();
    try {
      LoadTableFile(*table, path);
    } catch (...) {
      plan.Unreadable.emplace_back(BackupFileName(k));
      continue;
    }
    plan.Tables.push_back(std::move(table));
  }
  return plan;
}

std::vector<TableStepResult> RunRestore(TTableRun& run, RestorePlan& plan, int variant,
                                        const TTableRun::Waiter& wait, const TTableRun::StepDone& done) {
  std::vector<TableStep> steps;
  for (auto& table : plan.Tables) {
    const JobKind job = JobKindOf(variant, table->Kind());
    // The rows that would not reach the register intact stay behind.
    const std::vector<CheckFinding> findings = CheckUploadRows(job, *table);
    RowSelection selection;
    if (HasErrors(findings)) {
      std::vector<Bookmark> marks;
      for (std::size_t row : RowsWithoutErrors(*table, findings)) marks.push_back(table->BookmarkAt(row));
      selection = std::move(marks);
    }
    steps.push_back({table->Kind(), job, true, table.get(), std::move(selection)});
  }
  return run.Run(std::move(steps), wait, done);
}

}  // namespace vestok
