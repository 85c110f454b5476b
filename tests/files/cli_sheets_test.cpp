// vestok-cli import and export: files in, files out, and the exit statuses.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "cli/cli_options.h"
#include "cli/cli_sheets.h"
#include "sheets/sheet_read.h"

using namespace vestok;
using namespace vestok::cli;

namespace {

int RunCli(std::vector<std::string> args, std::string* err = nullptr) {
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  testing::internal::CaptureStderr();
  testing::internal::CaptureStdout();
  const int status = RunSheetCommand(int(args.size()), argv.data());
  testing::internal::GetCapturedStdout();
  const std::string e = testing::internal::GetCapturedStderr();
  if (err != nullptr) *err = e;
  return status;
}

std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace

TEST(CliSheets, ImportAndExportWriteTheirFilesAndReportByStatus) {
  char name[] = "/tmp/vestok_cli_sheets_XXXXXX";
  const std::string dir = ::mkdtemp(name);
  // No remembered mapping of the user running the tests may take part.
  ::setenv("XDG_DATA_HOME", dir.c_str(), 1);
  const std::string src = dir + "/lista.csv", out = dir + "/items.csv", xlsx = dir + "/items.xlsx";
  std::ofstream(src, std::ios::binary) << "Nr\tDenumire\tPret\n1\tP\xC3\xA2ine\t2.50\n2\tCeai\t1.0\n3\tCafea\tdoi\n";

  std::string err;
  // The first column is named through --map; the third row's price is no number.
  EXPECT_EQ(RunCli({"import", "items", src, out, "--map", "Nr=PLUCode"}, &err), kExitRecordErrors);
  EXPECT_NE(err.find("Rand 4, coloana C (Pret): valoarea \"doi\" nu este un numar"), std::string::npos) << err;
  EXPECT_EQ(Slurp(out),
            "\"PLUCode\",\"ItemName\",\"VAT\",\"Barcode\",\"Price\",\"PriceType\",\"Stand\",\"Group\",\"Dummy\",\r\n"
            "\"1\",\"P\xE2ine\",,,\"2.5\",,,,,\r\n\"2\",\"Ceai\",,,\"1\",,,,,\r\n");
  // The overrides are taken: read as ';'-separated there is no column to map.
  EXPECT_EQ(RunCli({"import", "items", src, out, "--sep", ";"}), kExitRecordErrors);

  EXPECT_EQ(RunCli({"export", "items", out, xlsx}), kExitOk);
  EXPECT_EQ(ReadSheet(xlsx).Rows.size(), 3u);
  // A UTF-8 table file says so.
  std::ofstream(dir + "/utf8.csv", std::ios::binary) << "\"PLUCode\",\"ItemName\",\r\n\"1\",\"\xC8\x9Auica\",\r\n";
  EXPECT_EQ(RunCli({"export", "items", dir + "/utf8.csv", xlsx}, &err), kExitOk);
  EXPECT_NE(err.find("Fisier UTF-8, convertit in Windows-1250"), std::string::npos);

  EXPECT_EQ(RunCli({"import", "items", dir + "/none.xlsx", out}), kExitFileFailed);
  EXPECT_EQ(RunCli({"export", "items", dir + "/none.csv", xlsx}), kExitFileFailed);
  EXPECT_EQ(RunCli({"export", "items", out, dir + "/no/such/dir/x.xlsx"}), kExitFileFailed);
  EXPECT_EQ(RunCli({"import", "items", src, out, "--map", "Nr=Nimic"}), kExitUsage);
  EXPECT_EQ(RunCli({"import", "bogus", src, out}), kExitUsage);
  EXPECT_EQ(RunCli({"import", "items", src}), kExitUsage);
  EXPECT_EQ(RunCli({"export", "items", out, xlsx, "--sheet", "2"}), kExitUsage);
  std::system(("rm -rf '" + dir + "'").c_str());
}
