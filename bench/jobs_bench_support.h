#pragma once
// Shared parts of the job benches: a simulated register in a child process
// (so that the program's own CPU time can be told apart from the register's),
// a host that only counts, and a job run timed from creation to its end.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>

#include "support/window_state_for_tests.h"
#include "config/link_settings.h"
#include "jobs/del_thread.h"
#include "jobs/load_thread.h"
#include "jobs/save_thread.h"
#include "jobs/stepped_main_thread.h"
#include "sim/ecr_simulator.h"
#include "tables/document_table.h"
#include "text/decimal_separator.h"

namespace vestok::bench {

// The register runs in a child process created before any thread of ours.
class ForkedSim {
 public:
  ForkedSim(TSimOptions options, const std::function<void(TRegisterMemory&)>& preload = {}) {
    int pathPipe[2], holdPipe[2], countPipe[2];
    if (pipe(pathPipe) != 0 || pipe(holdPipe) != 0 || pipe(countPipe) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      close(pathPipe[0]);
      close(holdPipe[1]);
      close(countPipe[0]);
      options.KeepTrace = false;
      if (options.Registers.empty()) options.Registers.emplace_back();
      if (preload) preload(options.Registers[0].Memory);
      EcrSimulator sim(std::move(options));
      const std::string path = sim.Start() ? sim.SlavePath() : std::string();
      (void)!write(pathPipe[1], path.data(), path.size());
      close(pathPipe[1]);
      char c;
      while (read(holdPipe[0], &c, 1) > 0) {
      }
      sim.Stop();
      // The bytes that went over the line in both directions, for wire times.
      const std::string counts = std::to_string(sim.ReceivedBytes().size() + sim.SentBytes().size());
      (void)!write(countPipe[1], counts.data(), counts.size());
      _exit(0);
    }
    close(pathPipe[1]);
    close(holdPipe[0]);
    close(countPipe[1]);
    hold_ = holdPipe[1];
    counts_ = countPipe[0];
    char buf[256];
    ssize_t n;
    while ((n = read(pathPipe[0], buf, sizeof buf)) > 0) path_.append(buf, std::size_t(n));
    close(pathPipe[0]);
  }
  ~ForkedSim() { LineBytes(); }

  // Ends the register and returns the bytes it exchanged over the line.
  std::size_t LineBytes() {
    if (hold_ >= 0) {
      close(hold_);
      hold_ = -1;
      std::string text;
      char buf[64];
      ssize_t n;
      while ((n = read(counts_, buf, sizeof buf)) > 0) text.append(buf, std::size_t(n));
      close(counts_);
      if (pid_ > 0) waitpid(pid_, nullptr, 0);
      lineBytes_ = text.empty() ? 0 : std::stoull(text);
    }
    return lineBytes_;
  }
  const std::string& Path() const { return path_; }

 private:
  pid_t pid_ = -1;
  int hold_ = -1;
  int counts_ = -1;
  std::size_t lineBytes_ = 0;
  std::string path_;
};

class CountingHost : public IJobHost {
 public:
  void SetPagesEnabled(bool) override {}
  std::vector<bool> ActionStates() const override { return std::vector<bool>(40, true); }
  void SetActionStates(const std::vector<bool>&) override {}
  void SetStopEnabled(bool) override {}
  void SetStatusText(int, const std::string& text) override { last = text; }
  std::string last;
};

struct JobRun {
  double wallSeconds = 0;
  double cpuSeconds = 0;  // of this process: the job's worker and the serving thread
  std::string verdict;
};

inline double ProcessCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// `make` creates the job (which starts at once); the run ends when it has.
template <typename Make>
JobRun TimeJob(Make&& make) {
  JobRun run;
  const double cpu0 = ProcessCpuSeconds();
  const auto t0 = std::chrono::steady_clock::now();
  std::unique_ptr<TTransferJob> job = make();
  job->WaitForEnd();
  run.wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  run.cpuSeconds = ProcessCpuSeconds() - cpu0;
  return run;
}

inline void FillItems(DocumentTable& items, int count) {
  items.Open();
  for (int i = 1; i <= count; ++i) {
    items.Append();
    items.SetInteger(0, i);
    items.SetText(1, "ARTICOL " + std::to_string(i));
    items.SetInteger(2, 1);
    items.SetText(3, "594" + std::to_string(1000000000 + i));
    items.SetFloat(4, 1.5 + i % 100);
    items.SetInteger(5, 0);
    items.SetInteger(6, 1);
    items.SetInteger(7, 2);
    items.Post();
  }
}

inline SimRecord SimItem(int plu) {
  return {std::to_string(plu), "ARTICOL " + std::to_string(plu), "1", "5941234567890", "2.50", "0", "1", "2", ""};
}

inline void BenchLinkSettings() {
  SetUserDecimalSeparator('.');
  LinkSettings.LogicNo = 1;
  LinkSettings.CableTimeout = 500;
  LinkSettings.RetryCmd = 3;
  LinkSettings.RetryByte = 10;
}

}  // namespace vestok::bench
