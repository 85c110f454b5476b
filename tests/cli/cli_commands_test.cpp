// Each command of vestok-cli against the simulator, and the status it ends with.
#include <algorithm>

#include "cli/cli_support.h"
#include "program_version.h"

namespace vestok::cli_test {
namespace {

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST_F(CliTest, EachCommandEndsWithTheStatusOfWhatHappened) {
  EcrSimulator& sim = StartSim({Register(1, 5)});
  const std::string port = sim.SlavePath();

  auto r = Run({"fiscal", "--port", port});
  EXPECT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(r.Out, "RO1001\n");

  r = Run({"download", "items", Path("items.csv"), "--port", port});
  EXPECT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(Lines(ReadFile(Path("items.csv"))).size(), 6u);
  EXPECT_TRUE(Has(r.Err, "Descarcare articole - start\nDescarcare articol: 1\n")) << r.Err;
  EXPECT_TRUE(Has(r.Err, "Descarcare articole incheiata fara erori")) << r.Err;

  // A record the register refuses: the others go in, the status says so.
  sim.WithRegister(1, [](TSimRegister& reg) { reg.Faults.RefusedPlu = 2; });
  WriteFile(Path("up.csv"),
            "\"PLUCode\",\"ItemName\",\"VAT\",\"Barcode\",\"Price\",\"PriceType\",\"Stand\",\"Group\",\"Dummy\",\r\n"
            "\"1\",\"Nou 1\",\"1\",\"\",\"2\",\"0\",\"1\",\"1\",,\r\n"
            "\"2\",\"Nou 2\",\"1\",\"\",\"2\",\"0\",\"1\",\"1\",,\r\n"
            "\"3\",\"Nou 3\",\"1\",\"\",\"2\",\"0\",\"1\",\"1\",,\r\n");
  r = Run({"upload", "items", Path("up.csv"), "--port", port});
  EXPECT_EQ(r.Status, 1) << r.Err;
  EXPECT_TRUE(Has(r.Err, "Eroare la incarcare articol: 2\n")) << r.Err;
  sim.WithRegister(1, [](TSimRegister& reg) {
    EXPECT_EQ(reg.Memory.Find(SimTable::Items, 1)->at(1), "NOU 1");  // command texts go out upper-cased
    EXPECT_EQ(reg.Memory.Find(SimTable::Items, 2)->at(1), "Item 2");
    EXPECT_EQ(reg.Memory.Find(SimTable::Items, 3)->at(1), "NOU 3");
  });

  // Only the selected numbers are sent.
  r = Run({"upload", "items", Path("up.csv"), "--numbers", "3", "--port", port});
  EXPECT_EQ(r.Status, 0) << r.Err;
  EXPECT_FALSE(Has(r.Err, "Incarcare articol: 1\n")) << r.Err;

  // Table files that cannot be read or written; nothing is asked of the register.
  r = Run({"upload", "items", Path("missing.csv"), "--port", port});
  EXPECT_EQ(r.Status, 4);
  EXPECT_TRUE(Has(r.Err, "Nu se poate deschide fisierul specificat!")) << r.Err;
  r = Run({"download", "items", Path("no/such/dir/x.csv"), "--port", port});
  EXPECT_EQ(r.Status, 4);

  // A register that does not answer, a port that does not exist.
  r = Run({"download", "items", Path("silent.csv"), "--port", port, "--logic", "7"});
  EXPECT_EQ(r.Status, 2);
  EXPECT_TRUE(Has(r.Err, "Nu se poate citi numarul fiscal al imprimantei!")) << r.Err;
  EXPECT_FALSE(std::filesystem::exists(Path("silent.csv")));
  r = Run({"fiscal", "--port", Path("no-such-port")});
  EXPECT_EQ(r.Status, 3);

  // What the variant does not offer, and other usage errors.
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"download", "pay-types", Path("p.csv"), "--variant", "S"},
        {"upload", "item-sales", Path("p.csv")},
        {"download", "items", Path("p.csv"), "--numbers", "1", "--variant", "S"},
        {"delete-items", "--variant", "S"},
        {"download", "plu", Path("p.csv")},
        {"upload", "items"},
        {"fiscal", "--speed", "fast"},
        {"download", "items", "-", "--json"},
        {"fiscal", "--logic", "--json"},
        {"frobnicate"}}) {
    std::vector<std::string> a = args;
    a.insert(a.end(), {"--port", port});
    r = Run(a);
    EXPECT_EQ(r.Status, 64) << args[0] << " " << r.Err;
    EXPECT_TRUE(Has(r.Err, "vestok-cli: ")) << r.Err;
  }
  r = Run({"--help"});
  EXPECT_EQ(r.Status, 0);
  EXPECT_TRUE(Has(r.Out, "130")) << r.Out;
  r = Run({"--version"});
  EXPECT_EQ(r.Status, 0);
  EXPECT_EQ(r.Out, "vestok-cli " VESTOK_VERSION "\n");
}

TEST_F(CliTest, DeleteItemsDeletesTheFilesCodesOrEveryItemOfTheRegister) {
  EcrSimulator& sim = StartSim({Register(1, 4)});
  sim.WithRegister(1, [](TSimRegister& reg) { reg.Faults.RefusedPlu = 2; });
  WriteFile(Path("del.csv"),
            "\"PLUCode\",\"ItemName\",\"VAT\",\"Barcode\",\"Price\",\"PriceType\",\"Stand\",\"Group\",\"Dummy\",\r\n"
            "\"1\",\"\",\"1\",\"\",\"0\",\"0\",\"1\",\"1\",,\r\n"
            "\"2\",\"\",\"1\",\"\",\"0\",\"0\",\"1\",\"1\",,\r\n");
  auto r = Run({"delete-items", Path("del.csv"), "--port", sim.SlavePath()});
  EXPECT_EQ(r.Status, 1) << r.Err;  // 2 is refused, once
  sim.WithRegister(1, [](TSimRegister& reg) { EXPECT_EQ(reg.Memory.Records(SimTable::Items).size(), 3u); });

  sim.WithRegister(1, [](TSimRegister& reg) { reg.Faults.RefusedPlu.reset(); });
  r = Run({"delete-items", "--port", sim.SlavePath()});
  EXPECT_EQ(r.Status, 0) << r.Err;
  sim.WithRegister(1, [](TSimRegister& reg) { EXPECT_TRUE(reg.Memory.Records(SimTable::Items).empty()); });
}

TEST_F(CliTest, InterruptFinishesTheRecordInHandAndSavesTheDownload) {
  EcrSimulator& sim = StartSim({Register(1, 200)}, 9600);
  const std::string file = Path("part.csv");
  const auto r = Run({"download", "items", file, "--port", sim.SlavePath(), "--cable", "50"}, [&](pid_t pid) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!Has(ReadFile(Path("stderr.txt")), "Descarcare articol: 3\n") && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ::kill(pid, SIGINT);
  });
  EXPECT_EQ(r.Status, 130) << r.Err;
  const auto errLines = Lines(r.Err);
  ASSERT_FALSE(errLines.empty());
  EXPECT_EQ(errLines.back(), "Descarcare articole incheiata fara erori");
  // Every record asked for before the stop is in the file, whole.
  const auto rows = Lines(ReadFile(file));
  const auto asked = std::count_if(errLines.begin(), errLines.end(),
                                   [](const std::string& l) { return l.starts_with("Descarcare articol: "); });
  ASSERT_GE(rows.size(), 4u);
  EXPECT_LT(rows.size(), 200u);
  EXPECT_EQ(std::ptrdiff_t(rows.size() - 1), asked);
  EXPECT_EQ(rows.back().substr(0, 5 + std::to_string(asked).size()), "\"" + std::to_string(asked) + "\",\"I");
}

TEST_F(CliTest, JsonWritesOneParsableObjectPerEventNamingTheRegister) {
  EcrSimulator& sim = StartSim({Register(1, 2)});
  const std::string reg = "\"register\":\"" + sim.SlavePath() + ":1\"";
  auto r = Run({"download", "items", Path("j.csv"), "--port", sim.SlavePath(), "--json"});
  EXPECT_EQ(r.Status, 0);
  EXPECT_EQ(r.Err, "");
  const auto lines = Lines(r.Out);
  std::vector<std::string> events;
  for (const std::string& l : lines) {
    EXPECT_TRUE(IsJsonObject(l)) << l;
    EXPECT_TRUE(Has(l, reg)) << l;
    EXPECT_TRUE(Has(l, "\"time\":\"")) << l;
    events.push_back(l.substr(10, l.find('"', 10) - 10));
  }
  // Records only: the request that brought the end of the table is none.
  EXPECT_EQ(events, (std::vector<std::string>{"start", "record", "record", "verdict", "summary"}));
  EXPECT_TRUE(Has(lines.back(), "\"records\":2,\"errors\":0")) << lines.back();

  r = Run({"fiscal", "--port", sim.SlavePath(), "--logic", "9", "--json"});
  EXPECT_EQ(r.Status, 2);
  EXPECT_TRUE(Has(r.Out, "{\"event\":\"error\"")) << r.Out;
  EXPECT_TRUE(Has(r.Out, "\"status\":2}")) << r.Out;
}

TEST_F(CliTest, DetectAndLinkTestReportWhatAnswered) {
  EcrSimulator& sim = StartSim({Register(3)});
  auto r = Run({"detect", "--ports", sim.SlavePath() + "," + Path("none"), "--speeds", "9600", "--logic", "2-4"});
  EXPECT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(r.Out, "RO1003 - " + sim.SlavePath() + " [9600], nr logic: 3\n");

  r = Run({"linktest", "--blocks", "5", "--logic", "3", "--port", sim.SlavePath()});
  EXPECT_EQ(r.Status, 0) << r.Err;
  EXPECT_TRUE(Has(r.Out, "Blocuri trimise: 5\nBlocuri primite: 5\nErori CRC: 0\n")) << r.Out;
  r = Run({"linktest", "--blocks", "2", "--logic", "4", "--port", sim.SlavePath()});
  EXPECT_EQ(r.Status, 2) << r.Out;
}

}  // namespace
}  // namespace vestok::cli_test
