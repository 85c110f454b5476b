// "Sterge tot" of 100,000 items against the instant simulated register. The
// register acknowledges the deletion of an item it does not hold, so it is
// left empty: the time is the program's and the link's, not the simulator's
// storage. The job deletes from the front of the table, so its time grows
// with the table's size and no faster (a run of 10,000 goes to stderr for
// comparison).
#include "jobs/job_thread.h"
#include "jobs_bench_support.h"

using namespace vestok;
using namespace vestok::bench;

namespace {

double DeleteAllSeconds(const std::string& port, int count) {
  SteppedMainThread mainThread;
  CountingHost host;
  TOperationLog log;
  DocumentTable items(TableDefinition(tkItems));
  FillItems(items, count);
  const JobRun run = TimeJob([&] {
    return std::make_unique<TJobThread<TDelThread>>(JobSetup{host, mainThread, port, 9600, items, {}, log, LinkPort});
  });
  if (items.RecordCount() != 0) std::fprintf(stderr, "%zu items left\n", items.RecordCount());
  return run.wallSeconds;
}

}  // namespace

int main() {
  BenchLinkSettings();
  ForkedSim sim{TSimOptions{}};
  if (sim.Path().empty()) return 1;
  const double small = DeleteAllSeconds(sim.Path(), 10000);
  const double large = DeleteAllSeconds(sim.Path(), 100000);
  std::fprintf(stderr, "10,000 items: %.2f s; 100,000 items: %.2f s (%.2f times)\n", small, large, large / small);
  std::printf("jobs.delete_all_100k_s %.2f s\n", large);
}
