// One fiscal number query against the simulated register over a
// pseudo-terminal: the wall time with an instant register, and the wall time
// at a simulated 9600 baud against the wire time of every byte of the query
// (deselection, selection, the register's answer, ACK, deselection), as a
// real line would need them: the paced register takes frames in and sends its
// answer at line speed, and the serial port lets a send complete only once
// its bytes would have left the transmitter.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "support/window_state_for_tests.h"
#include "config/link_settings.h"
#include "ecr/fiscal_number.h"
#include "ecr/frames.h"
#include "sim/ecr_simulator.h"

using namespace vestok;

namespace {

double MedianQueryMs(EcrSimulator& sim, std::int32_t speed, int runs) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    std::string fiscal;
    const auto start = std::chrono::steady_clock::now();
    const auto result = ReadFiscalNumber(LinkPort, sim.SlavePath(), speed, 1, 500, fiscal);
    const auto end = std::chrono::steady_clock::now();
    if (result != 0) {
      std::fprintf(stderr, "query failed with %d\n", result);
      return -1;
    }
    times.push_back(std::chrono::duration<double, std::milli>(end - start).count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

}  // namespace

int main() {
  LinkSettings.CableTimeout = 500;
  LinkSettings.RetryCmd = 3;
  LinkSettings.RetryByte = 10;

  {
    TSimOptions o;
    o.KeepTrace = false;
    EcrSimulator sim(std::move(o));
    if (!sim.Start()) return 1;
    MedianQueryMs(sim, 9600, 20);  // warm-up
    std::printf("protocol.fiscal_query_ms %.3f ms\n", MedianQueryMs(sim, 9600, 200));
  }
  {
    TSimOptions o;
    o.KeepTrace = false;
    o.PaceBaud = 9600;
    TSimRegister r;
    const std::string answer = r.FiscalNumber + ";1;" + r.AnswerTail;
    o.Registers.push_back(r);
    EcrSimulator sim(std::move(o));
    if (!sim.Start()) return 1;
    const std::size_t reply = answer.size() + 4;  // lead byte, CR, two check bytes
    const std::size_t bytes = 2 * BuildDeselectFrame().size() + BuildSelectFrame(1).size() + reply + 1;
    const double wireMs = double(bytes) * 10.0 * 1000.0 / 9600.0;
    const double ms = MedianQueryMs(sim, 9600, 15);
    std::printf("protocol.paced_9600_vs_wire_ratio %.3f ratio\n", ms / wireMs);
  }
  return 0;
}
