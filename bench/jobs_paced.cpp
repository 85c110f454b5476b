// An upload against a register that paces the line at 38,400 baud: the job's
// wall time against the wire time of every byte exchanged (10 bit times a
// byte), and the program's CPU time against the wall time (the register runs
// in a process of its own, so its CPU time is not counted).
#include "jobs/job_thread.h"
#include "jobs_bench_support.h"

using namespace vestok;
using namespace vestok::bench;

int main() {
  constexpr int kItems = 100;
  constexpr int kBaud = 38400;
  BenchLinkSettings();
  TSimOptions options;
  options.PaceBaud = kBaud;
  ForkedSim sim{options};
  if (sim.Path().empty()) return 1;

  SteppedMainThread mainThread;
  CountingHost host;
  TOperationLog log;
  DocumentTable items(TableDefinition(tkItems));
  FillItems(items, kItems);

  const JobRun run = TimeJob([&] {
    return std::make_unique<TJobThread<TLoadThread>>(0, JobSetup{host, mainThread, sim.Path(), kBaud, items, {}, log, LinkPort});
  });
  if (log.Lines().back() != "Incarcare articole incheiata fara erori") std::fprintf(stderr, "upload failed\n");
  const double wireSeconds = double(sim.LineBytes()) * 10.0 / kBaud;

  std::printf("jobs.paced_38400_vs_wire_ratio %.3f ratio\n", run.wallSeconds / wireSeconds);
  std::printf("jobs.paced_cpu_share %.4f ratio\n", run.cpuSeconds / run.wallSeconds);
}
