// The program's overhead per record: an upload and a download of 10,000 items
// against the instant simulated register over a pseudo-terminal, every step
// handed over between two threads as the window's hand-over does.
#include "jobs/job_thread.h"
#include "jobs_bench_support.h"

using namespace vestok;
using namespace vestok::bench;

#include <cstdlib>

int main(int argc, char** argv) {
  const int kItems = argc > 1 ? std::atoi(argv[1]) : 10000;
  BenchLinkSettings();
  ForkedSim uploadSim{TSimOptions{}};
  ForkedSim downloadSim{TSimOptions{}, [kItems](TRegisterMemory& memory) {
                          for (int plu = 1; plu <= kItems; ++plu) memory.Put(SimTable::Items, SimItem(plu));
                        }};
  if (uploadSim.Path().empty() || downloadSim.Path().empty()) return 1;

  SteppedMainThread mainThread;
  CountingHost host;
  TOperationLog log;
  DocumentTable items(TableDefinition(tkItems));
  FillItems(items, kItems);

  const JobRun upload = TimeJob([&] {
    return std::make_unique<TJobThread<TLoadThread>>(0, JobSetup{host, mainThread, uploadSim.Path(), 9600, items, {}, log, LinkPort});
  });
  if (log.Lines().back() != "Incarcare articole incheiata fara erori") std::fprintf(stderr, "upload failed\n");

  DocumentTable back(TableDefinition(tkItems));
  back.Open();
  const JobRun download = TimeJob([&] {
    return std::make_unique<TJobThread<TSaveThread>>(0, JobSetup{host, mainThread, downloadSim.Path(), 9600, back, {}, log, LinkPort});
  });
  if (back.RecordCount() != std::size_t(kItems)) std::fprintf(stderr, "download: %zu rows\n", back.RecordCount());

  std::printf("jobs.upload_overhead_ms_per_record %.3f ms\n", upload.wallSeconds * 1000 / kItems);
  std::printf("jobs.download_overhead_ms_per_record %.3f ms\n", download.wallSeconds * 1000 / kItems);
}
