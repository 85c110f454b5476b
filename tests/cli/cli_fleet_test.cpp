// A plan of several registers on several lines.
#include "cli/cli_support.h"

namespace vestok::cli_test {
namespace {

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST_F(CliTest, PlanRunsEachLineOnItsPortAndEndsWithTheWorstStatus) {
  EcrSimulator& shared = StartSim({Register(1, 3), Register(2, 2)});
  EcrSimulator& alone = StartSim({Register(1, 0)});
  const std::string a = shared.SlavePath(), b = alone.SlavePath();
  WriteFile(Path("up.csv"),
            "\"PLUCode\",\"ItemName\",\"VAT\",\"Barcode\",\"Price\",\"PriceType\",\"Stand\",\"Group\",\"Dummy\",\r\n"
            "\"7\",\"Sapte\",\"1\",\"\",\"2\",\"0\",\"1\",\"1\",,\r\n");
  WriteFile(Path("plan.csv"), "port,logic,variant,command,table,file\r\n"
                              "# the registers of the shop\r\n" +
                                  a + ",1,A,download,items," + Path("r1.csv") + "\r\n" + a + ",2,A,download,items," +
                                  Path("r2.csv") + "\r\n" + a + ",9,A,fiscal\r\n" + b + ",1,A,upload,items," +
                                  Path("up.csv") + "\r\n");
  auto r = Run({"fleet", Path("plan.csv")});
  EXPECT_EQ(r.Status, 2) << r.Err;  // the register 9 that is not there
  EXPECT_EQ(Lines(ReadFile(Path("r1.csv"))).size(), 4u);
  EXPECT_EQ(Lines(ReadFile(Path("r2.csv"))).size(), 3u);
  alone.WithRegister(1, [](TSimRegister& reg) { ASSERT_NE(reg.Memory.Find(SimTable::Items, 7), nullptr); });
  // The table: a heading and the lines in plan order.
  const auto table = Lines(r.Out);
  ASSERT_EQ(table.size(), 5u) << r.Out;
  EXPECT_TRUE(table[1].starts_with(a + ":1 ")) << table[1];
  EXPECT_TRUE(table[3].starts_with(a + ":9 ")) << table[3];
  EXPECT_TRUE(table[3].ends_with(" 2")) << table[3];
  EXPECT_TRUE(table[4].starts_with(b + ":1 ")) << table[4];
  EXPECT_TRUE(Has(r.Err, a + ":2: Descarcare articol: 1\n")) << r.Err;

  // Registers sharing a line take turns: each line's events end before the
  // next line of that port begins.
  r = Run({"fleet", Path("plan.csv"), "--json"});
  std::vector<std::string> sharedEvents;
  for (const std::string& l : Lines(r.Out)) {
    EXPECT_TRUE(IsJsonObject(l)) << l;
    if (!Has(l, "\"register\":\"" + a + ":")) continue;
    const std::size_t at = l.find("\"register\":\"") + 12;
    const std::string who = l.substr(at, l.find('"', at) - at);
    const std::string event = l.substr(10, l.find('"', 10) - 10);
    if (event == "start" || event == "summary") sharedEvents.push_back(event + " " + who);
  }
  EXPECT_EQ(sharedEvents, (std::vector<std::string>{"start " + a + ":1", "summary " + a + ":1", "start " + a + ":2",
                                                    "summary " + a + ":2", "start " + a + ":9", "summary " + a + ":9"}));
  EXPECT_TRUE(Lines(r.Out).back().ends_with("\"lines\":4,\"status\":2}")) << r.Out;

  // A plan that cannot be read, one with a line not understood.
  EXPECT_EQ(Run({"fleet", Path("none.csv")}).Status, 4);
  WriteFile(Path("bad.csv"), a + ",1,A,download,items," + Path("x.csv") + "\n" + a + ",1,S,download,pay-types,p.csv\n");
  r = Run({"fleet", Path("bad.csv")});
  EXPECT_EQ(r.Status, 64);
  EXPECT_TRUE(Has(r.Err, "linia 2")) << r.Err;
  EXPECT_FALSE(std::filesystem::exists(Path("x.csv")));  // nothing runs
}

// A plan as a spreadsheet saves it (a UTF-8 mark, a file name with a comma
// and quotes) runs; a line whose download could not be saved is refused before
// any register is asked, with the status of a file, and the others still run.
TEST_F(CliTest, APlanLineWhoseFolderIsMissingIsRefusedBeforeAnyRegisterIsAsked) {
  EcrSimulator& sim = StartSim({Register(1, 2), Register(2, 2)});
  const std::string a = sim.SlavePath();
  const std::string odd = Path("casa 1, \"raion\".csv");
  WriteFile(Path("plan.csv"), "\xEF\xBB\xBFport,logic,variant,command,table,file\r\n" + a +
                                  ",1,A,download,items,\"" + Path("casa 1, \"\"raion\"\".csv") + "\"\r\n" + a +
                                  ",2,A,download,items," + Path("lipsa/r2.csv") + "\r\n");
  auto r = Run({"fleet", Path("plan.csv")});
  EXPECT_EQ(r.Status, 4) << r.Err;
  EXPECT_EQ(Lines(ReadFile(odd)).size(), 3u) << r.Err;
  EXPECT_TRUE(Has(r.Err, a + ":2: Planul, linia 3: fisierul " + Path("lipsa/r2.csv") + " nu poate fi salvat: dosarul " +
                             Path("lipsa") + " nu exista; linia nu a fost rulata\n"))
      << r.Err;
  EXPECT_FALSE(Has(r.Err, a + ":2: Descarcare")) << r.Err;
  EXPECT_TRUE(Lines(r.Out).at(2).ends_with(" 4")) << r.Out;

  // The events of the refused line: its start, its error and its summary.
  r = Run({"fleet", Path("plan.csv"), "--json"});
  std::vector<std::string> events;
  for (const std::string& l : Lines(r.Out))
    if (Has(l, "\"register\":\"" + a + ":2\"")) events.push_back(l.substr(10, l.find('"', 10) - 10));
  EXPECT_EQ(events, (std::vector<std::string>{"start", "error", "summary"})) << r.Out;
}

}  // namespace
}  // namespace vestok::cli_test
