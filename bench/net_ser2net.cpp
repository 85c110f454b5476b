// Uploads through ser2net on 127.0.0.1 in front of the simulated register:
// per record over the raw TCP server against the same over the
// pseudo-terminal directly (instant register), and over the Telnet server with
// COM-PORT-CONTROL to a register paced at 9600 bit/s against the wire time of
// the bytes exchanged (10 bit times a byte).
#include <algorithm>
#include <cstdlib>
#include <string_view>

#include "jobs/job_thread.h"
#include "../tests/net/ser2net_fixture.h"
#include "jobs_bench_support.h"

using namespace vestok;
using namespace vestok::bench;

namespace {

bool Wanted(std::string_view figure) {
  const char* prefix = std::getenv("VESTOK_BENCH_PREFIX");
  return prefix == nullptr || figure.starts_with(prefix);
}

JobRun Upload(const std::string& port, std::int32_t speed, int count) {
  SteppedMainThread mainThread;
  CountingHost host;
  TOperationLog log;
  DocumentTable items(TableDefinition(tkItems));
  FillItems(items, count);
  JobRun run = TimeJob([&] {
    return std::make_unique<TJobThread<TLoadThread>>(0, JobSetup{host, mainThread, port, speed, items, {}, log, LinkPort});
  });
  run.verdict = log.Lines().back();
  if (run.verdict != "Incarcare articole incheiata fara erori") std::fprintf(stderr, "upload over %s failed\n", port.c_str());
  return run;
}

}  // namespace

int main() {
  const bool ratio = Wanted("net.tcp_vs_pty_ratio"), paced = Wanted("net.rfc2217_paced_9600_vs_wire_ratio");
  if (!ratio && !paced) return 0;
  if (test::Ser2netPath().empty()) {
    std::fprintf(stderr, "bench_net_ser2net: ser2net is not installed\n");
    return 0;
  }
  BenchLinkSettings();
  std::string why;
  if (ratio) {
    constexpr int kItems = 1000;
    ForkedSim direct{TSimOptions{}};
    ForkedSim behind{TSimOptions{}};
    test::Ser2net server;
    if (direct.Path().empty() || behind.Path().empty() || !server.Start(test::NetMode::Raw, behind.Path(), why)) {
      std::fprintf(stderr, "bench_net_ser2net: %s\n", why.c_str());
      return 1;
    }
    // The best of a few alternating rounds: on two cores the three processes
    // (program, ser2net, register) are often scheduled late, which is noise.
    constexpr int kRounds = 5;
    double pty = 1e9, tcp = 1e9;
    for (int round = 0; round < kRounds; ++round) {
      pty = std::min(pty, Upload(direct.Path(), 9600, kItems).wallSeconds);
      tcp = std::min(tcp, Upload(server.PortName(), 9600, kItems).wallSeconds);
    }
    std::fprintf(stderr, "per record: %.1f us over the pty, %.1f us through ser2net\n", pty / kItems * 1e6, tcp / kItems * 1e6);
    std::printf("net.tcp_vs_pty_ratio %.3f ratio\n", tcp / pty);
  }
  if (paced) {
    constexpr int kItems = 40;
    constexpr int kBaud = 9600;
    TSimOptions options;
    options.PaceBaud = kBaud;
    ForkedSim sim{options};
    test::Ser2net server;
    if (sim.Path().empty() || !server.Start(test::NetMode::Rfc2217, sim.Path(), why)) {
      std::fprintf(stderr, "bench_net_ser2net: %s\n", why.c_str());
      return 1;
    }
    const JobRun run = Upload(server.PortName(), kBaud, kItems);
    server.Stop();
    const double wireSeconds = double(sim.LineBytes()) * 10.0 / kBaud;
    std::printf("net.rfc2217_paced_9600_vs_wire_ratio %.3f ratio\n", run.wallSeconds / wireSeconds);
  }
}
