// safe.changed_20_of_10k_s: 10,000 items went up and were kept as the
// register's copy; 20 of them change; the wall time of finding those rows
// against the copy and uploading only them, the register paced at 9600 bit/s.
#include <filesystem>

#include "jobs/job_thread.h"
#include "support/window_state_for_tests.h"
#include "jobs_bench_support.h"
#include "safe/exchange_store.h"
#include "safe/table_compare.h"
#include "safe/upload_checks.h"

using namespace vestok;
using namespace vestok::bench;

int main() {
  BenchLinkSettings();
  TSimOptions options;
  options.PaceBaud = 9600;
  ForkedSim sim(options);
  if (sim.Path().empty()) return 1;

  DocumentTable items{TableDefinition(tkItems)};
  FillItems(items, 10000);
  const std::filesystem::path root = std::filesystem::temp_directory_path() / "vestok-bench-safe";
  TExchangeStore store(root.string());
  const RegisterId id{"RO0000001", 1};
  store.Keep(id, items);  // as after a whole upload without errors
  for (int i = 0; i < 20; ++i) items.SetFloatAt(std::size_t(i * 499), 4, 99.5 + i);

  CountingHost host;
  SteppedMainThread mainThread;
  TOperationLog log;
  const auto t0 = std::chrono::steady_clock::now();
  DocumentTable copy{TableDefinition(tkItems)};
  store.Load(id, tkItems, copy);
  std::vector<std::size_t> rows = CompareTables(0, items, copy, ReferenceForm::AsSent).RowsToSend();
  const auto findings = CheckUploadRows(0, items, &rows);
  rows = RowsWithoutErrors(items, findings, &rows);
  std::vector<Bookmark> marks;
  for (std::size_t r : rows) marks.push_back(items.BookmarkAt(r));
  auto job = std::make_unique<TJobThread<TLoadThread>>(
      JobKind(0), JobSetup{host, mainThread, sim.Path(), 9600, items, std::move(marks), log, LinkPort});
  job->WaitForEnd();
  ApplyRowsToCopy(copy, items, rows);
  store.Keep(id, copy);
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  std::filesystem::remove_all(root);
  if (rows.size() != 20 || job->ErrorCount() != 0) {
    std::fprintf(stderr, "sent %zu rows, %d errors\n", rows.size(), job->ErrorCount());
    return 1;
  }
  std::printf("safe.changed_20_of_10k_s %.2f s\n", seconds);
  return 0;
}
