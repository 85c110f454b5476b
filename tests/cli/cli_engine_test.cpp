// What a run says is what happened on the line: one verdict, the stop line
// and event, errors counted as they were reported, nothing sent that the
// variant does not offer.
#include <csignal>
#include <sys/stat.h>

#include "cli/cli_support.h"
#include "engine/variant_rules.h"
#include "monitor/trace_file.h"
#include "safe/register_backup.h"

namespace vestok::cli_test {
namespace {

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

using CliEngineTest = CliTest;

TEST_F(CliEngineTest, BackupsOfEmptyRegistersEndOnceAndSendOnlyWhatTheVariantOffers) {
  for (const int variant : {0, 1}) {
    EcrSimulator& sim = StartSim({Register(1, 0)});
    const std::string folder = Path(variant == 0 ? "empty-a" : "empty-s");
    const auto r = Run({"backup", folder, "--port", sim.SlavePath(), "--variant", variant == 0 ? "A" : "S"});
    EXPECT_EQ(r.Status, 0) << r.Err;
    const auto lines = Lines(r.Err);
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "Salvare completa casa incheiata fara erori"), 1) << r.Err;
    EXPECT_FALSE(Has(r.Err, "nu poate fi deschis")) << r.Err;
    EXPECT_TRUE(std::filesystem::exists(folder + "/register.txt"));
    const std::vector<TableKind> offered = DownloadableTables(variant);
    for (TableKind k = 0; k < kTableCount; ++k) {
      const bool taken = std::find(offered.begin(), offered.end(), k) != offered.end();
      EXPECT_EQ(std::filesystem::exists(folder + "/" + std::string(BackupFileName(k))), taken) << variant << " " << int(k);
    }
    // "Standard" has no operating parameters to give.
    if (variant == 1) {
      EXPECT_FALSE(Has(sim.ReceivedBytes(), "R1;1;"));
    }
  }
}

TEST_F(CliEngineTest, ABackupThatCannotBeWrittenSaysSoAndLeavesNoFolderThatPassesForOne) {
  EcrSimulator& sim = StartSim({Register(1, 3)});
  // A folder that cannot be made: found before the register is asked.
  WriteFile(Path("plain"), "x");
  auto r = Run({"backup", Path("plain/bk"), "--port", sim.SlavePath()});
  EXPECT_EQ(r.Status, 4);
  EXPECT_TRUE(Has(r.Err, "nu s-a cerut nimic casei de marcat")) << r.Err;
  EXPECT_EQ(sim.ReceivedBytes(), "");
  // An earlier backup whose items.csv cannot be replaced: the verdict says so,
  // and its register.txt no longer vouches for the mix of old and new files.
  const std::string folder = Path("bk");
  ASSERT_EQ(Run({"backup", folder, "--port", sim.SlavePath()}).Status, 0);
  std::filesystem::remove(folder + "/items.csv");
  std::filesystem::create_directory(folder + "/items.csv");
  r = Run({"backup", folder, "--port", sim.SlavePath()});
  EXPECT_EQ(r.Status, 4);
  EXPECT_TRUE(Has(r.Err, "Nu se poate salva fisierul items.csv\nregister.txt nu a fost scris: salvarea nu este "
                         "completa\nSalvare completa casa incheiata cu erori\n")) << r.Err;
  EXPECT_FALSE(std::filesystem::exists(folder + "/register.txt"));
}

TEST_F(CliEngineTest, AStoppedDownloadSaysSoInTextAndJsonAndKeepsWhatCame) {
  // A register whose fiscal number is empty has answered all the same: what it sent is saved.
  TSimRegister blank = Register(1, 2);
  blank.FiscalNumber.clear();
  EcrSimulator& unnamed = StartSim({blank});
  EXPECT_EQ(Run({"download", "items", Path("blank.csv"), "--port", unnamed.SlavePath()}).Status, 0);
  EXPECT_EQ(Lines(ReadFile(Path("blank.csv"))).size(), 3u);

  EcrSimulator& sim = StartSim({Register(1, 200)}, 9600);
  const auto stopAfterThree = [&](const std::string& marker) {
    return [&, marker](pid_t pid) {
      const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
      while (!Has(ReadFile(Path("stderr.txt")) + ReadFile(Path("stdout.txt")), marker) &&
             std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      ::kill(pid, SIGTERM);
    };
  };
  auto r = Run({"download", "items", Path("a.csv"), "--port", sim.SlavePath()}, stopAfterThree("Descarcare articol: 3\n"));
  EXPECT_EQ(r.Status, 130) << r.Err;
  auto lines = Lines(r.Err);
  ASSERT_GE(lines.size(), 2u);
  EXPECT_TRUE(lines[lines.size() - 2].starts_with("Operatie oprita de utilizator dupa ")) << r.Err;
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "Descarcare articole - start"), 1) << r.Err;
  EXPECT_GE(Lines(ReadFile(Path("a.csv"))).size(), 4u);

  r = Run({"download", "items", Path("j.csv"), "--port", sim.SlavePath(), "--json"}, stopAfterThree("\"done\":3"));
  EXPECT_EQ(r.Status, 130);
  lines = Lines(r.Out);
  ASSERT_FALSE(lines.empty());
  const auto stops = std::count_if(lines.begin(), lines.end(), [](const std::string& l) { return Has(l, "\"event\":\"stop\""); });
  EXPECT_EQ(stops, 1) << r.Out;
  EXPECT_TRUE(Has(lines.back(), "\"status\":130")) << lines.back();
  const auto errors = std::count_if(lines.begin(), lines.end(), [](const std::string& l) { return Has(l, "\"event\":\"error\""); });
  EXPECT_TRUE(Has(lines.back(), "\"errors\":" + std::to_string(errors))) << lines.back();

  // A backup stopped halfway is no backup: the tables read stay, register.txt does not.
  r = Run({"backup", Path("half"), "--port", sim.SlavePath()}, stopAfterThree("articol: 3"));
  EXPECT_EQ(r.Status, 130);
  EXPECT_TRUE(Has(r.Err, "register.txt nu a fost scris: salvarea nu este completa\n")) << r.Err;
  EXPECT_TRUE(std::filesystem::exists(Path("half/items.csv")));
  EXPECT_FALSE(std::filesystem::exists(Path("half/register.txt")));
}

TEST_F(CliEngineTest, APortThatWillNotOpenSaysWhyInTextAndJson) {
  auto r = Run({"fiscal", "--port", Path("no-such-port")});
  EXPECT_EQ(r.Status, 3);
  EXPECT_TRUE(Has(r.Err, "Portul " + Path("no-such-port") + " nu poate fi deschis: portul nu exista")) << r.Err;
  r = Run({"fiscal", "--port", Path("no-such-port"), "--json"});
  EXPECT_EQ(r.Status, 3);
  EXPECT_TRUE(Has(r.Out, "nu poate fi deschis: portul nu exista")) << r.Out;
}

TEST_F(CliEngineTest, JsonCarriesEveryFindingAndTheSummaryCountsTheErrorEvents) {
  EcrSimulator& sim = StartSim({Register(1, 0)});
  WriteFile(Path("bad.csv"), kItemsHead + ItemRow(1, "Paine", "2") + ItemRow(2, "Lapte;degresat", "3") +
                                 ItemRow(3, "Ciocolata cu alune si stafide", "5"));
  const auto r = Run({"upload", "items", Path("bad.csv"), "--port", sim.SlavePath(), "--json"});
  EXPECT_EQ(r.Status, 1) << r.Err;
  const auto lines = Lines(r.Out);
  const auto count = [&](const char* event) {
    return std::count_if(lines.begin(), lines.end(),
                         [&](const std::string& l) { return Has(l, std::string("\"event\":\"") + event + "\""); });
  };
  EXPECT_EQ(count("warning"), 1) << r.Out;  // the long name
  EXPECT_EQ(count("error"), 1) << r.Out;    // the ";"
  EXPECT_TRUE(Has(lines.back(), "\"errors\":" + std::to_string(count("error")))) << lines.back();
  EXPECT_TRUE(Has(lines.back(), "\"status\":1")) << lines.back();

  // How the file was read is said in both forms: UTF-8, and a column that is no field.
  WriteFile(Path("u8.csv"), "\"PLUCode\",\"ItemName\",\"Pret\",\r\n\"4\",\"P\xC3\xA2ine\",\"2\",\r\n");
  const auto text = Run({"upload", "items", Path("u8.csv"), "--check-only", "--port", sim.SlavePath()});
  EXPECT_TRUE(Has(text.Err, "Fisier UTF-8, convertit in Windows-1250\nColoane ignorate: Pret\n")) << text.Err;
  const auto json = Run({"upload", "items", Path("u8.csv"), "--check-only", "--port", sim.SlavePath(), "--json"});
  EXPECT_TRUE(Has(json.Out, "{\"event\":\"warning\"") && Has(json.Out, "\"text\":\"Coloane ignorate: Pret\""))
      << json.Out;
}

}  // namespace
}  // namespace vestok::cli_test

namespace vestok::cli_test {
namespace {

// VESTOK_TRACE for the runs below only.
class TraceVariable {
 public:
  explicit TraceVariable(const std::string& path) { ::setenv("VESTOK_TRACE", path.c_str(), 1); }
  ~TraceVariable() { ::unsetenv("VESTOK_TRACE"); }
};

TEST_F(CliTest, TheTraceGoesToAFilePerPortAndNoTargetHoldsTheRunUp) {
  EcrSimulator& one = StartSim({Register(1, 2)});
  EcrSimulator& two = StartSim({Register(1, 1)});
  {
    TraceVariable trace(Path("single.txt"));
    ASSERT_EQ(Run({"fiscal", "--port", one.SlavePath()}).Status, 0);
  }
  const std::string single = ReadFile(Path("single.txt"));
  EXPECT_NE(single.find("\topen\t"), std::string::npos) << single;
  EXPECT_NE(single.find("\tclose\t"), std::string::npos) << single;

  // A plan: each port a file of its own, named from the variable and the port.
  WriteFile(Path("plan.csv"), "port,logic,variant,command,table,file\r\n" + one.SlavePath() + ",1,A,fiscal\r\n" +
                                  two.SlavePath() + ",1,A,fiscal\r\n" + one.SlavePath() + ",1,A,download,items," +
                                  Path("d.csv") + "\r\n");
  {
    TraceVariable trace(Path("fleet.txt"));
    ASSERT_EQ(Run({"fleet", Path("plan.csv")}).Status, 0);
  }
  for (const EcrSimulator* sim : {&one, &two}) {
    const std::string file = TracePathForPort(Path("fleet.txt"), sim->SlavePath());
    const std::string text = ReadFile(file);
    EXPECT_NE(text.find(sim->SlavePath()), std::string::npos) << file;
  }
  EXPECT_GE(Lines(ReadFile(TracePathForPort(Path("fleet.txt"), one.SlavePath()))).size(),
            Lines(single).size() + 1);

  // A FIFO nobody reads, a device, a folder: one line that names the path, and the run goes on.
  ASSERT_EQ(::mkfifo(Path("fifo").c_str(), 0600), 0);
  std::filesystem::create_directories(Path("folder"));
  for (const std::string& target : std::vector<std::string>{Path("fifo"), std::string("/dev/full"), Path("folder")}) {
    TraceVariable trace(target);
    const auto r = Run({"fiscal", "--port", one.SlavePath()});
    EXPECT_EQ(r.Status, 0) << target << r.Err;
    const auto lines = Lines(r.Err);
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [&](const std::string& l) { return l.starts_with("VESTOK_TRACE:") && Has(l, target); }),
              1)
        << target << "\n" << r.Err;
  }
}

}  // namespace
}  // namespace vestok::cli_test
