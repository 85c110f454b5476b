// Table file timings on a generated item file of 100,000 rows: load, save,
// the memory of the process holding the loaded table, and the load against
// Python's csv module reading the same file in the same run.
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>

#include "tables/table_file.h"

using namespace vestok;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kRows = 100000;
constexpr int kRuns = 3;

void FillItems(DocumentTable& t) {
  t.SuspendNotifications();
  for (int i = 1; i <= kRows; ++i) {
    t.Append();
    t.SetInteger("PLUCode", i);
    t.SetText("ItemName", "Articol de test nr " + std::to_string(i));
    t.SetInteger("VAT", i % 5);
    t.SetText("Barcode", std::to_string(5940000000000LL + i));
    t.SetFloat("Price", (i % 10000) / 100.0 + 0.5);
    t.SetInteger("PriceType", i % 3);
    t.SetInteger("Stand", i % 20);
    t.SetInteger("Group", i % 50);
    t.Post();
  }
  t.ResumeNotifications();
}

double Seconds(Clock::time_point from) { return std::chrono::duration<double>(Clock::now() - from).count(); }

double RssMb() {
  std::ifstream status("/proc/self/status");
  std::string key;
  while (status >> key) {
    if (key == "VmRSS:") {
      double kb = 0;
      status >> kb;
      return kb / 1024.0;
    }
    std::getline(status, key);
  }
  return 0;
}

double PythonCsvSeconds(const std::string& path) {
  const std::string script =
      "import csv,sys,time\n"
      "best=1e9\n"
      "for _ in range(" + std::to_string(kRuns) + "):\n"
      "    t=time.perf_counter()\n"
      "    with open(sys.argv[1],newline='',encoding='latin-1') as f:\n"
      "        n=sum(1 for _ in csv.reader(f))\n"
      "    best=min(best,time.perf_counter()-t)\n"
      "print(best)\n";
  const std::string scriptPath = path + ".py";
  std::ofstream(scriptPath) << script;
  const std::string command = "python3 '" + scriptPath + "' '" + path + "'";
  double seconds = -1;
  if (FILE* p = popen(command.c_str(), "r")) {
    if (std::fscanf(p, "%lf", &seconds) != 1) seconds = -1;
    pclose(p);
  }
  std::remove(scriptPath.c_str());
  return seconds;
}

}  // namespace

int main() {
  char dir[] = "/tmp/vestok-bench-XXXXXX";
  if (!mkdtemp(dir)) return 1;
  const std::string path = std::string(dir) + "/items.csv";
  {
    DocumentTable source(TableDefinition(tkItems));
    source.Open();
    FillItems(source);
    double best = 1e9;
    for (int run = 0; run < kRuns; ++run) {
      const auto start = Clock::now();
      SaveTableFile(source, path);
      best = std::min(best, Seconds(start));
    }
    std::printf("tables.save_100k_items_s %.4f s\n", best);
  }

  DocumentTable table(TableDefinition(tkItems));
  table.Open();
  double best = 1e9;
  for (int run = 0; run < kRuns; ++run) {
    EmptyTable(table);
    const auto start = Clock::now();
    LoadTableFile(table, path);
    best = std::min(best, Seconds(start));
  }
  if (table.RecordCount() != std::size_t(kRows)) return 1;
  std::printf("tables.load_100k_items_s %.4f s\n", best);
  std::printf("tables.rss_100k_items_mb %.1f MB\n", RssMb());

  const double python = PythonCsvSeconds(path);
  if (python > 0) std::printf("tables.load_vs_python_csv_ratio %.3f ratio\n", best / python);
  std::remove(path.c_str());
  rmdir(dir);
  return 0;
}
