// vestok-cli with a plan of 32 registers, each on a pseudo-terminal of its
// own paced at 9600 bit/s and each taking the same 200 items, against one
// register alone: the plan's wall time over the single run's, and the CPU
// time of vestok-cli over the plan's wall time. The registers run in this
// process; vestok-cli is a child whose CPU time is taken from its rusage.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "sim/ecr_simulator.h"

extern char** environ;

using namespace vestok;

namespace {

constexpr int kItems = 200;
constexpr int kRegisters = 32;
constexpr int kBaud = 9600;

struct Run {
  double wall = 0, cpu = 0;
  int status = -1;
};

Run RunPlan(const std::string& dir, const std::vector<std::unique_ptr<EcrSimulator>>& sims, std::size_t count) {
  const std::string plan = dir + "/plan.csv";
  {
    std::ofstream out(plan);
    for (std::size_t i = 0; i < count; ++i) out << sims[i]->SlavePath() << ",1,A,upload,items," << dir << "/items.csv\n";
  }
  std::vector<std::string> args = {VESTOK_CLI_PATH, "--config", dir + "/bench.ini", "fleet", plan};
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&fa, 2, "/dev/null", O_WRONLY, 0);
  Run run;
  const auto begin = std::chrono::steady_clock::now();
  pid_t pid = 0;
  if (posix_spawn(&pid, VESTOK_CLI_PATH, &fa, nullptr, argv.data(), environ) != 0) return run;
  int raw = 0;
  rusage usage{};
  wait4(pid, &raw, 0, &usage);
  run.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
  run.cpu = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
            double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  posix_spawn_file_actions_destroy(&fa);
  return run;
}

}  // namespace

int main() {
  char templ[] = "/tmp/vestok-bench-fleet-XXXXXX";
  const char* made = mkdtemp(templ);
  if (!made) return 1;
  const std::string dir = made;
  std::ofstream(dir + "/bench.ini") << "[Communication]\nBaud=4\nCableLen=50\nRetryCmd=3\nRetryByte=10\n";
  {
    std::ofstream items(dir + "/items.csv");
    items << "\"PLUCode\",\"ItemName\",\"VAT\",\"Barcode\",\"Price\",\"PriceType\",\"Stand\",\"Group\",\"Dummy\",\r\n";
    for (int i = 1; i <= kItems; ++i)
      items << "\"" << i << "\",\"Articol " << i << "\",\"1\",\"59410001" << 10000 + i << "\",\"" << i % 50 + 1
            << ".25\",\"0\",\"1\",\"2\",,\r\n";
  }
  std::vector<std::unique_ptr<EcrSimulator>> sims;
  for (int i = 0; i < kRegisters; ++i) {
    TSimOptions o;
    o.PaceBaud = kBaud;
    o.KeepTrace = false;
    sims.push_back(std::make_unique<EcrSimulator>(std::move(o)));
    if (!sims.back()->Start()) return 1;
  }
  const Run one = RunPlan(dir, sims, 1);
  const Run all = RunPlan(dir, sims, kRegisters);
  if (one.status != 0 || all.status != 0) std::fprintf(stderr, "fleet run failed: %d %d\n", one.status, all.status);
  sims.clear();
  std::system(("rm -rf '" + dir + "'").c_str());
  std::printf("cli.fleet_32_vs_single_ratio %.3f ratio\n", all.wall / one.wall);
  std::printf("cli.fleet_32_cpu_share %.4f ratio\n", all.cpu / all.wall);
}
