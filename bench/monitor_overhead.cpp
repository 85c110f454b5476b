// What the trace file costs an exchange: the per-record time of an upload
// against the instant simulated register with VESTOK_TRACE's file written,
// divided by the same without any observer on the link. Many short runs
// alternate, and the fastest of each kind counts, so that a machine busy with
// something else weighs on both alike and as little as it can.
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "jobs/job_thread.h"
#include "ecr/link_port.h"
#include "jobs_bench_support.h"
#include "support/window_state_for_tests.h"
#include "monitor/trace_file.h"

using namespace vestok;
using namespace vestok::bench;

int main(int argc, char** argv) {
  const int kItems = argc > 1 ? std::atoi(argv[1]) : 1000;
  const int kRounds = 10;
  BenchLinkSettings();
  ForkedSim sim{TSimOptions{}};
  if (sim.Path().empty()) return 1;
  SteppedMainThread mainThread;
  CountingHost host;
  TOperationLog log;
  DocumentTable items(TableDefinition(tkItems));
  FillItems(items, kItems);
  const std::string tracePath = (std::filesystem::temp_directory_path() / "vestok_bench_trace.txt").string();

  auto upload = [&] {
    const JobRun run = TimeJob([&] {
      return std::make_unique<TJobThread<TLoadThread>>(0, JobSetup{host, mainThread, sim.Path(), 9600, items, {}, log, LinkPort});
    });
    if (log.Lines().back() != "Incarcare articole incheiata fara erori") std::fprintf(stderr, "upload failed\n");
    return run.wallSeconds / kItems;
  };
  double off = 1e9, on = 1e9;
  for (int round = 0; round < kRounds; ++round) {
    LinkPort.Observer = nullptr;
    off = std::min(off, upload());
    {
      TTraceFile trace(tracePath);
      if (!trace.IsOpen()) return 1;
      trace.Watch(LinkPort);
      on = std::min(on, upload());
    }
    LinkPort.Observer = nullptr;
  }
  const auto traceBytes = std::filesystem::file_size(tracePath);
  std::filesystem::remove(tracePath);
  std::fprintf(stderr, "per record: %.3f ms off, %.3f ms on; trace of one upload %ju bytes\n", off * 1000, on * 1000,
               static_cast<std::uintmax_t>(traceBytes));
  std::printf("monitor.upload_overhead_ratio %.3f ratio\n", on / off);
}
