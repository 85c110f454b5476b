#include "cli/cli_run.h"

#include <algorithm>
#include <chrono>
#include <exception>
#include <iostream>
#include <iterator>
#include <memory>
#include <sys/stat.h>

#include "cli/cli_face.h"
#include "engine/engine.h"
#include "jobs/direct_main_thread.h"
#include "monitor/trace_file.h"
#include "tables/table_file.h"
#include "text/number_text.h"

namespace vestok::cli {

namespace {

std::unique_ptr<DocumentTable> NewTable(TableKind kind) {
  auto table = std::make_unique<DocumentTable>(TableDefinition(kind));
  table->Open();
  return table;
}

// The rows whose first field is one of `numbers`, in table order.
RowSelection RowsNumbered(const DocumentTable& table, const std::optional<std::vector<std::int32_t>>& numbers) {
  if (!numbers) return std::nullopt;
  std::vector<Bookmark> marks;
  for (std::size_t row = 0; row < table.RowCount(); ++row) {
    const auto n = table.IntegerAt(row, 0);
    if (n && std::find(numbers->begin(), numbers->end(), *n) != numbers->end()) marks.push_back(table.BookmarkAt(row));
  }
  return marks;
}

class TRun {
 public:
  TRun(const TRunSetup& setup, TOutput& output, TStopSignal& stop)
      : setup_(setup), output_(output), stop_(stop), settings_(setup.Settings), link_(settings_),
        reg_(RegisterName(settings_)),
        events_(output, reg_, setup.CheckOnly),
        engine_(TEngineLink{host_, mainThread_, link_, log_}, events_, questions_, Options(setup)) {}

  TRunReport Run() {
    const auto begin = std::chrono::steady_clock::now();
    TRunReport report;
    report.Register = reg_;
    report.Port = settings_.PortName;
    report.Command = CommandWord(setup_.Command);
    output_.Start(reg_, report.Command, TableName(setup_.Table));
    if (setup_.Trace != nullptr) setup_.Trace->Watch(link_);
    stop_.Join(&engine_);
    TOutcome outcome;
    try {
      outcome = Dispatch();
    } catch (const std::exception&) {
      // Any failure outside a record (a table that refuses a row, no thread
      // to start): reported, never a crash.
      output_.Error(reg_, "Eroare neasteptata");
      outcome.Kind = TOutcomeKind::RecordErrors;
      ++outcome.Errors;
    }
    stop_.Leave(&engine_);
    CloseLink(link_);
    report.Records = outcome.Records;
    report.Errors = outcome.Errors;
    report.Status = ExitCodeOf(outcome.Kind);
    report.Seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    output_.Summary(report);
    return report;
  }

 private:
  static TEngineOptions Options(const TRunSetup& setup) {
    TEngineOptions o;
    o.Variant = setup.Variant;
    o.IdleRequestLimit = kIdleRequestLimit;
    return o;
  }

  TOutcome Failed(TOutcomeKind kind, const std::string& line) {
    output_.Error(reg_, line);
    TOutcome o;
    o.Kind = kind;
    o.Errors = 1;
    return o;
  }

  // The table file `path` (standard input for "-") into `table`.
  bool LoadFile(DocumentTable& table, const std::string& path) {
    try {
      TableFileReadInfo read;
      if (path == "-") {
        const std::string bytes{std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>()};
        LoadTableFromBytes(table, bytes, read);
      } else {
        LoadTableFile(table, path, read);
      }
      // How the file was read is part of the result: JSON carries it too.
      if (read.Utf8) output_.Warning(reg_, std::string(kUtf8ReadNotice));
      const std::string ignored = IgnoredColumnsNotice(read, read.IgnoredColumns.size());
      if (!ignored.empty()) output_.Warning(reg_, ignored);
      return true;
    } catch (const std::exception&) {
      return false;
    }
  }

  TOutcome Dispatch() {
    switch (setup_.Command) {
      case TCommand::Fiscal: return engine_.QueryFiscal();
      case TCommand::Download: return Download();
      case TCommand::Upload: return Upload();
      case TCommand::DeleteItems: return DeleteItems();
      case TCommand::Detect:
        return engine_.Detect(setup_.Ports, setup_.Speeds, setup_.LogicFrom, setup_.LogicTo);
      case TCommand::LinkTest: return engine_.LinkTest(setup_.Blocks.value_or(settings_.TestCmd));
      case TCommand::Backup: return engine_.Backup(setup_.File);
      case TCommand::Restore:
        return engine_.Restore(setup_.File, setup_.Force,
                               setup_.VariantGiven ? std::optional<int>(setup_.Variant) : std::nullopt);
      default: return Failed(TOutcomeKind::Refused, "Comanda necunoscuta");
    }
  }

  TOutcome Download() {
    auto table = NewTable(setup_.Table);
    const bool toStdout = setup_.File == "-";
    if (setup_.Numbers) {
      // The rows asked for again by their number: those of the file, if it
      // exists, and a new row for each number it does not hold.
      struct stat st{};
      if (!toStdout && ::stat(setup_.File.c_str(), &st) == 0 && !LoadFile(*table, setup_.File))
        return Failed(TOutcomeKind::FileFailed, "Nu se poate deschide fisierul specificat!");
      for (const std::int32_t n : *setup_.Numbers) {
        if (!RowsNumbered(*table, std::vector<std::int32_t>{n})->empty()) continue;
        table->Append();
        table->SetInteger(0, n);
        table->Post();
      }
    }
    TOutcome o = engine_.Download(*table, RowsNumbered(*table, setup_.Numbers), toStdout ? std::string() : setup_.File);
    if (toStdout) {
      const std::string bytes = TableFileBytes(*table);
      std::cout.write(bytes.data(), std::streamsize(bytes.size()));
      std::cout.flush();
    }
    return o;
  }

  TOutcome Upload() {
    auto table = NewTable(setup_.Table);
    if (!LoadFile(*table, setup_.File))
      return Failed(TOutcomeKind::FileFailed, "Nu se poate deschide fisierul specificat!");
    const RowSelection rows = RowsNumbered(*table, setup_.Numbers);
    if (setup_.CheckOnly) return engine_.CheckOnly(*table, rows);
    return engine_.Upload(*table, rows, setup_.Changed);
  }

  TOutcome DeleteItems() {
    auto table = NewTable(tkItems);
    const bool listFirst = setup_.File.empty();
    if (!listFirst && !LoadFile(*table, setup_.File))
      return Failed(TOutcomeKind::FileFailed, "Nu se poate deschide fisierul specificat!");
    // Each row of a file is tried once.
    RowSelection rows;
    if (!listFirst) {
      std::vector<Bookmark> all;
      for (std::size_t r = 0; r < table->RowCount(); ++r) all.push_back(table->BookmarkAt(r));
      rows = std::move(all);
    }
    return engine_.DeleteItems(*table, std::move(rows), listFirst);
  }

  const TRunSetup& setup_;
  TOutput& output_;
  TStopSignal& stop_;
  TLinkSettings settings_;
  TLink link_;
  const std::string reg_;
  TQuietHost host_;
  TDirectMainThread mainThread_;
  TOperationLog log_;
  TCliEvents events_;
  TCliQuestions questions_;
  TEngine engine_;
};

}  // namespace

void TStopSignal::Stop() {
  stopped_.store(true);
  std::lock_guard lock(mutex_);
  for (TEngine* engine : engines_) engine->RequestStop();
}

void TStopSignal::Join(TEngine* engine) {
  std::lock_guard lock(mutex_);
  engines_.insert(engine);
  if (stopped_.load()) engine->RequestStop();
}

void TStopSignal::Leave(TEngine* engine) {
  std::lock_guard lock(mutex_);
  engines_.erase(engine);
}

std::string RegisterName(const TLinkSettings& s) { return s.PortName + ":" + IntToText(s.LogicNo); }

TRunReport RunCommand(const TRunSetup& setup, TOutput& output, TStopSignal& stop) {
  return TRun(setup, output, stop).Run();
}

}  // namespace vestok::cli
