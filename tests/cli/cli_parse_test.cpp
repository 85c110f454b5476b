// The command line and the plan file of vestok-cli, and the example files of
// docs/FLEET.md.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/cli_options.h"
#include "cli/fleet.h"

namespace vestok::cli {
namespace {

std::vector<std::string> Words(const std::string& text) {
  std::vector<std::string> words;
  std::istringstream in(text);
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

TEST(CliParse, OverridesNumbersAndLogicRangesReachTheRequest) {
  const TCliRequest r = ParseCommandLine(Words(
      "download item-sales s.csv --port /dev/ttyUSB0 --speed 19200 --logic 7 --cable 12 --retry-cmd 5 --retry-byte 20 "
      "--numbers 3,10-12 --variant a --json"));
  EXPECT_EQ(r.Command, TCommand::Download);
  EXPECT_EQ(r.Table, tkItemSales);
  EXPECT_EQ(r.File, "s.csv");
  EXPECT_EQ(*r.Numbers, (std::vector<std::int32_t>{3, 10, 11, 12}));
  EXPECT_TRUE(r.Json);
  TLinkSettings s;
  ApplyOverrides(r, s);
  EXPECT_EQ(s.PortName, "/dev/ttyUSB0");
  EXPECT_EQ(s.Speed, 19200);
  EXPECT_EQ(s.LogicNo, 7);
  EXPECT_EQ(s.CableTimeout, 120);
  EXPECT_EQ(s.RetryCmd, 5);
  EXPECT_EQ(s.RetryByte, 20);

  const TCliRequest d = ParseCommandLine(Words("detect --logic 2-30 --speeds 4800,9600"));
  EXPECT_EQ(d.LogicFrom, 2);
  EXPECT_EQ(d.LogicTo, 30);
  EXPECT_EQ(d.Speeds, (std::vector<std::int32_t>{4800, 9600}));

  for (const char* bad : {"download items", "download items a b", "fiscal extra", "upload items f --numbers 5-2",
                          "upload items f --numbers x", "fiscal --logic 100", "detect --logic 9-3",
                          "fiscal --variant B", "fiscal --numbers 1", "fiscal --port", "fiscal --save",
                          "download items f --changed", "upload items f --changed --numbers 1",
                          "upload items f --changed --check-only", "backup --force d", "restore", ""})
    EXPECT_THROW(ParseCommandLine(Words(bad)), UsageError) << bad;
}

// The habits of the usual command-line tools: --opt=value, short forms
// grouped or with the value attached, "--" ending the options, "-" as a file,
// and a missing value named instead of the next option taken for it.
TEST(CliParse, TheUsualConventionsHoldAndAMissingValueIsNamed) {
  TCliRequest r = ParseCommandLine({"-jp/dev/ttyUSB1", "upload", "-s", "9600", "items", "--logic=3", "-",
                                    "--numbers=2,4", "--variant=S", "-c", "my.ini"});
  EXPECT_TRUE(r.Json);
  EXPECT_EQ(*r.Port, "/dev/ttyUSB1");
  EXPECT_EQ(*r.Speed, 9600);
  EXPECT_EQ(*r.LogicNo, 3);
  EXPECT_EQ(r.File, "-");
  EXPECT_EQ(*r.Numbers, (std::vector<std::int32_t>{2, 4}));
  EXPECT_EQ(r.Variant, 1);
  EXPECT_EQ(r.ConfigPath, "my.ini");
  r = ParseCommandLine({"--port", "COM2", "upload", "--", "items", "--json"});  // a file named "--json"
  EXPECT_EQ(r.File, "--json");
  EXPECT_FALSE(r.Json);
  EXPECT_EQ(ParseCommandLine({"fiscal", "--version", "--port"}).Command, TCommand::Version);
  EXPECT_EQ(ParseCommandLine({"-h", "--bogus"}).Command, TCommand::Help);

  const auto message = [](std::vector<std::string> args) {
    try {
      ParseCommandLine(args);
    } catch (const UsageError& e) {
      return std::string(e.what());
    }
    return std::string("(accepted)");
  };
  EXPECT_EQ(message({"fiscal", "--port", "--json"}), "Lipseste valoarea pentru --port");
  EXPECT_EQ(message({"fiscal", "-p", "-j"}), "Lipseste valoarea pentru -p");
  EXPECT_EQ(message({"fiscal", "--speed"}), "Lipseste valoarea pentru --speed");
  EXPECT_EQ(message({"fiscal", "--logic", "-3"}), "Numarul logic trebuie sa fie intre 1 si 99");  // a value
  EXPECT_EQ(message({"fiscal", "--config="}), "Lipseste valoarea pentru --config");
  EXPECT_EQ(message({"fiscal", "--json=yes"}), "Optiunea --json nu primeste o valoare");
  EXPECT_EQ(message({"fiscal", "--frobnicate=1"}), "Optiune necunoscuta: --frobnicate");
  EXPECT_EQ(message({"fiscal", "-x"}), "Optiune necunoscuta: -x");
  // "-" as the output carries the table: no events beside it; a folder is never "-".
  EXPECT_NE(message({"download", "items", "-", "-j"}), "(accepted)");
  EXPECT_EQ(message({"upload", "items", "-", "-j"}), "(accepted)");
  EXPECT_NE(message({"backup", "-"}), "(accepted)");
  EXPECT_NE(message({"restore", "-"}), "(accepted)");
}

TEST(CliParse, PlanLinesTakeTheBaseSettingsAndBadLinesAreNamed) {
  TLinkSettings base;
  base.Speed = 9600;
  base.RetryCmd = 7;
  const auto plan = ParsePlan(
      "port,logic,variant,command,table,file\n\n# comment\nCOM2, 3 ,S,download,item-sales,\"s 3.csv\"\r\n"
      "/dev/ttyUSB0,1,A,delete-items\n",
      base);
  ASSERT_EQ(plan.size(), 2u);
  EXPECT_EQ(plan[0].LineNo, 4);
  EXPECT_EQ(plan[0].Setup.Settings.PortName, "COM2");
  EXPECT_EQ(plan[0].Setup.Settings.LogicNo, 3);
  EXPECT_EQ(plan[0].Setup.Settings.RetryCmd, 7);
  EXPECT_EQ(plan[0].Setup.Variant, 1);
  EXPECT_EQ(plan[0].Setup.File, "s 3.csv");
  EXPECT_EQ(plan[1].Setup.Command, TCommand::DeleteItems);
  EXPECT_EQ(plan[1].Setup.File, "");

  // As a spreadsheet saves it: a UTF-8 mark, quoted commas, doubled quotes.
  const auto saved = ParsePlan("\xEF\xBB\xBFport,logic,variant,command,table,file\r\n"
                               "COM1,2,A,download,items,\"casa 2, \"\"raion\"\".csv\"\r\n",
                               base);
  ASSERT_EQ(saved.size(), 1u);
  EXPECT_EQ(saved[0].Setup.File, "casa 2, \"raion\".csv");
  EXPECT_EQ(saved[0].LineNo, 2);

  for (const char* bad : {"COM1,0,A,fiscal", "COM1,1,X,fiscal", "COM1,1,A,download,items", "COM1,1,A,format",
                          "COM1,1,S,upload,settings,f.csv", "COM1,1", ",1,A,fiscal", "COM1,1,A,download,items,-"}) {
    try {
      ParsePlan(std::string("COM1,1,A,fiscal\n") + bad, base);
      ADD_FAILURE() << bad;
    } catch (const UsageError& e) {
      EXPECT_NE(std::string(e.what()).find("linia 2"), std::string::npos) << e.what();
    }
  }
  EXPECT_THROW(ParsePlan("# only a comment\n", base), UsageError);
}

std::string ReadExample(const std::string& name) {
  std::ifstream in(std::string(VESTOK_SOURCE_DIR) + "/docs/fleet/" + name);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(FleetExamples, TheExamplePlanParsesAndTheSchedulerFilesAreWellFormed) {
  EXPECT_GE(ParsePlan(ReadExample("plan.csv"), TLinkSettings{}).size(), 3u);

  // The cron line: five time fields, then the command.
  const std::string cron = ReadExample("cron.d/vestok-cli");
  bool found = false;
  std::istringstream lines(cron);
  for (std::string l; std::getline(lines, l);) {
    if (l.empty() || l.starts_with("#") || l.find('=') < l.find(' ')) continue;
    const auto w = Words(l);
    ASSERT_GE(w.size(), 7u) << l;
    EXPECT_NE(l.find("vestok-cli fleet"), std::string::npos) << l;
    found = true;
  }
  EXPECT_TRUE(found);

  const std::string playbook = ReadExample("vestok-fleet.yml");
  EXPECT_NE(playbook.find("hosts:"), std::string::npos);
  EXPECT_NE(playbook.find("vestok-cli.timer"), std::string::npos);
  EXPECT_EQ(playbook.find('\t'), std::string::npos);  // YAML takes no tabs

  const std::string dir = std::string(VESTOK_SOURCE_DIR) + "/docs/fleet/";
  if (std::system("command -v systemd-analyze >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "systemd-analyze is not installed: the unit files were not verified";
  // The service names an executable that the build machine lacks: only the
  // unit syntax is judged, with the program's path made to exist.
  const std::filesystem::path tmp = std::filesystem::temp_directory_path() / "vestok-units";
  std::filesystem::create_directories(tmp);
  for (const char* unit : {"vestok-cli.service", "vestok-cli.timer"}) {
    std::string text = ReadExample(unit);
    for (std::size_t at; (at = text.find("/opt/vestok/vestok-cli")) != std::string::npos;)
      text.replace(at, 22, "/bin/true");
    std::ofstream(tmp / unit) << text;
  }
  const std::string cmd = "cd '" + tmp.string() + "' && systemd-analyze verify --man=no vestok-cli.service " +
                          "vestok-cli.timer > verify.txt 2>&1";
  const int rc = std::system(cmd.c_str());
  std::ifstream in(tmp / "verify.txt");
  std::ostringstream report;
  report << in.rdbuf();
  EXPECT_EQ(rc, 0) << report.str();
  std::filesystem::remove_all(tmp);
}

}  // namespace
}  // namespace vestok::cli
