// The settings command, the checks before an upload, the upload of what
// changed since the last exchange, and a whole register's backup and restore.
#include <cstdlib>

#include "cli/cli_support.h"

namespace vestok::cli_test {
namespace {

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }


class CliSafeTest : public CliTest {
 protected:
  void SetUp() override {
    CliTest::SetUp();
    // The copies of the exchanges go under the test's own folder.
    ::setenv("XDG_DATA_HOME", Path("data").c_str(), 1);
  }
  EcrSimulator& StartTracedSim(std::vector<TSimRegister> registers) {
    TSimOptions o;
    o.Registers = std::move(registers);
    o.KeepTrace = true;
    sims_.push_back(std::make_unique<EcrSimulator>(std::move(o)));
    std::string error;
    EXPECT_TRUE(sims_.back()->Start(&error)) << error;
    return *sims_.back();
  }
  static std::vector<std::string> Commands(const EcrSimulator& sim) {
    std::vector<std::string> texts;
    for (const TTraceEntry& e : sim.Trace())
      if (e.fromPc && e.kind == "command") texts.push_back(e.text);
    return texts;
  }
};

TEST_F(CliSafeTest, SettingsAreSavedWhereTheWindowReadsThemAndARefusedWriteSaysWhy) {
  auto r = Run({"settings", "--port", "/dev/ttyUSB3", "--speed", "9600", "--logic", "4", "--cable", "7", "--save"});
  ASSERT_EQ(r.Status, 0) << r.Err;
  r = Run({"settings"});
  EXPECT_EQ(r.Status, 0) << r.Err;
  // Saved: port, speed, logical number, cable; RetryCmd kept as the file had
  // it. Printed as the file holds them, the readable forms in comments.
  EXPECT_EQ(r.Out, "[Communication]\nPort=/dev/ttyUSB3\n; 9600 bit/s\nBaud=4\nLogicNo=4\n; 70 ms de asteptare\n"
                   "CableLen=7\nTestCmd=999999\nTestByte=1000\nRetryCmd=2\nRetryByte=3\nCheckReply=1\n");
  EXPECT_TRUE(Has(ReadFile(Path("test.ini")), "RetryCmd=2")) << ReadFile(Path("test.ini"));
  // What is printed, pasted into a settings file, gives the same settings.
  WriteFile(Path("pasted.ini"), r.Out);
  EXPECT_EQ(Run({"settings", "--config", Path("pasted.ini")}).Out, r.Out);
  r = Run({"settings", "--port", "COM12", "--speed", "19200"});
  EXPECT_TRUE(Has(r.Out, "; COM12\nPort=12\n; 19200 bit/s\nBaud=8\n")) << r.Out;
  // A speed the file cannot hold is not saved as another one.
  r = Run({"settings", "--speed", "1200", "--save"});
  EXPECT_EQ(r.Status, 64);
  EXPECT_TRUE(Has(ReadFile(Path("test.ini")), "Baud=4")) << ReadFile(Path("test.ini"));

  r = Run({"settings", "--port", "LPTX", "--save"});
  EXPECT_EQ(r.Status, 4);
  EXPECT_TRUE(Has(r.Err, "is not a valid integer value")) << r.Err;
  r = Run({"settings", "--config", Path("no/such/dir/Vestok.ini"), "--save"});
  EXPECT_EQ(r.Status, 4);
  EXPECT_TRUE(Has(r.Err, "Unable to write to")) << r.Err;
  EXPECT_TRUE(Has(Run({"settings"}).Out, "Port=/dev/ttyUSB3\n"));  // the refused writes left the file whole
}

TEST_F(CliSafeTest, RowsWithErrorsAreReportedAndNeverSent) {
  EcrSimulator& sim = StartSim({Register(1, 0)});
  const std::string port = sim.SlavePath();
  WriteFile(Path("bad.csv"), kItemsHead + ItemRow(1, "Paine", "2") + ItemRow(2, "Lapte;degresat", "3") +
                                 ItemRow(1, "Paine alba", "2") + ItemRow(3, "Ciocolata cu alune si stafide", "5"));
  auto r = Run({"upload", "items", Path("bad.csv"), "--check-only", "--port", port});
  EXPECT_EQ(r.Status, 1) << r.Err;
  // The check's report is the command's result: on the standard output.
  const auto lines = Lines(r.Out);
  const auto errorLine = [](const std::string& l) { return l.starts_with("Eroare rand"); };
  EXPECT_EQ(std::count_if(lines.begin(), lines.end(), errorLine), 2) << r.Out;  // the ";" and the repeated PLU code
  EXPECT_TRUE(Has(r.Out, "rand 4")) << r.Out;  // the long name: a warning
  sim.WithRegister(1, [](TSimRegister& reg) { EXPECT_FALSE(reg.Memory.Find(SimTable::Items, 1)); });

  WriteFile(Path("warn.csv"), kItemsHead + ItemRow(3, "Ciocolata cu alune si stafide", "5"));
  EXPECT_EQ(Run({"upload", "items", Path("warn.csv"), "--check-only", "--port", port}).Status, 0);

  // A real upload leaves the rows with errors out, sends the rest, and says so:
  // its verdict too, since the register does not hold the whole file.
  r = Run({"upload", "items", Path("bad.csv"), "--port", port});
  EXPECT_EQ(r.Status, 1) << r.Err;
  EXPECT_TRUE(Has(r.Err, "Incarcare articole incheiata cu erori\n") && !Has(r.Err, "fara erori")) << r.Err;
  sim.WithRegister(1, [](TSimRegister& reg) {
    EXPECT_TRUE(reg.Memory.Find(SimTable::Items, 3));
    EXPECT_FALSE(reg.Memory.Find(SimTable::Items, 2));
  });
}

TEST_F(CliSafeTest, AnUploadOfTheChangesSendsExactlyTheChangedRows) {
  EcrSimulator& sim = StartTracedSim({Register(1, 0)});
  const std::string port = sim.SlavePath();
  std::string rows;
  for (int i = 1; i <= 6; ++i) rows += ItemRow(i, "Art " + std::to_string(i), "1.5");
  WriteFile(Path("items.csv"), kItemsHead + rows);
  auto r = Run({"upload", "items", Path("items.csv"), "--changed", "--port", port});
  EXPECT_EQ(r.Status, 0) << r.Err;
  EXPECT_TRUE(Has(r.Err, "Nu exista o copie")) << r.Err;
  EXPECT_EQ(Commands(sim).size(), 6u);

  std::string changed;
  for (int i = 1; i <= 6; ++i) changed += ItemRow(i, "Art " + std::to_string(i), i == 2 || i == 5 ? "2.25" : "1.5");
  WriteFile(Path("items.csv"), kItemsHead + changed);
  sim.ClearTrace();
  r = Run({"upload", "items", Path("items.csv"), "--changed", "--port", port});
  EXPECT_EQ(r.Status, 0) << r.Err;
  std::vector<std::string> sent = Commands(sim);
  ASSERT_EQ(sent.size(), 2u) << r.Err;
  EXPECT_TRUE(Has(sent[0], "ART 2") && Has(sent[1], "ART 5")) << sent[0] << " / " << sent[1];
  // The copy was updated: nothing is left to send.
  sim.ClearTrace();
  r = Run({"upload", "items", Path("items.csv"), "--changed", "--port", port});
  EXPECT_EQ(r.Status, 0) << r.Err;
  EXPECT_TRUE(Commands(sim).empty()) << r.Err;
}

TEST_F(CliSafeTest, ABackupRestoredIntoAnEmptyRegisterDownloadsTheSame) {
  // Names in capitals, as the link sends every text.
  TSimRegister full = Register(1, 0);
  for (int i = 1; i <= 12; ++i)
    full.Memory.Put(SimTable::Items, {std::to_string(i), "ART " + std::to_string(i), "1", "", "1.50", "0", "1", "1"});
  EcrSimulator& sim = StartSim({full, Register(2, 0)});
  const std::string port = sim.SlavePath();
  auto r = Run({"backup", Path("bk"), "--port", port});
  ASSERT_EQ(r.Status, 0) << r.Err;
  EXPECT_TRUE(Has(ReadFile(Path("bk/register.txt")), "RO1001")) << ReadFile(Path("bk/register.txt"));

  // Another register's fiscal number: refused unless forced, nothing sent.
  r = Run({"restore", Path("bk"), "--port", port, "--logic", "2"});
  EXPECT_EQ(r.Status, 1) << r.Err;
  sim.WithRegister(2, [](TSimRegister& reg) { EXPECT_FALSE(reg.Memory.Find(SimTable::Items, 1)); });
  r = Run({"restore", Path("bk"), "--force", "--port", port, "--logic", "2"});
  ASSERT_EQ(r.Status, 0) << r.Err;

  ASSERT_EQ(Run({"backup", Path("bk2"), "--port", port, "--logic", "2"}).Status, 0);
  for (const char* file : {"items.csv", "operators.csv", "pay-types.csv", "discounts.csv", "header.csv"})
    EXPECT_EQ(ReadFile(Path(std::string("bk2/") + file)), ReadFile(Path(std::string("bk/") + file))) << file;
  EXPECT_EQ(Lines(ReadFile(Path("bk2/items.csv"))).size(), 13u);

  // A row the register cannot take (edited by hand) stays behind, named with its file, and the verdict says so.
  std::string items = ReadFile(Path("bk/items.csv"));
  items.replace(items.find("ART 3"), 5, "ART;3");
  WriteFile(Path("bk/items.csv"), items);
  r = Run({"restore", Path("bk"), "--port", port});
  EXPECT_EQ(r.Status, 1) << r.Err;
  EXPECT_TRUE(Has(r.Err, "items.csv: Eroare rand 3, Denumire articol:")) << r.Err;
  for (const char* verdict : {"Tabel 1 din 7, Incarcare articole incheiata cu erori\n", "\nRestaurare casa incheiata cu erori\n"})
    EXPECT_TRUE(Has(r.Err, verdict)) << r.Err;

  // Under "Standard" too, into a third, empty register.
  TSimRegister barcoded = Register(1, 0);
  for (int i = 1; i <= 12; ++i)
    barcoded.Memory.Put(SimTable::Items, {std::to_string(i), "ART " + std::to_string(i), "1",
                                          "59400000000" + std::to_string(10 + i), "1.50", "0", "1", "1"});
  EcrSimulator& standard = StartSim({barcoded, Register(3, 0)});
  const std::string port2 = standard.SlavePath();
  ASSERT_EQ(Run({"backup", Path("bs"), "--variant", "S", "--port", port2}).Status, 0);
  ASSERT_EQ(Run({"restore", Path("bs"), "--variant", "S", "--force", "--port", port2, "--logic", "3"}).Status, 0);
  ASSERT_EQ(Run({"backup", Path("bs3"), "--variant", "S", "--port", port2, "--logic", "3"}).Status, 0);
  EXPECT_EQ(ReadFile(Path("bs3/items.csv")), ReadFile(Path("bs/items.csv")));
  EXPECT_EQ(Lines(ReadFile(Path("bs3/items.csv"))).size(), 13u);
}

}  // namespace
}  // namespace vestok::cli_test

namespace vestok::cli_test {
namespace {

// After any mix of uploads, deletes and failures, --changed leaves the
// register equal to the file: the copy holds only what the register took.
TEST_F(CliSafeTest, TheCopyHoldsOnlyWhatTheRegisterTook) {
  EcrSimulator& sim = StartTracedSim({Register(1, 0)});
  const std::string port = sim.SlavePath();
  const auto file = [&](int changedPlu, const std::string& price) {
    std::string rows;
    for (int i = 1; i <= 6; ++i) rows += ItemRow(i, "Art " + std::to_string(i), i == changedPlu ? price : "1.5");
    WriteFile(Path("items.csv"), kItemsHead + rows);
  };
  const auto changed = [&](int expectStatus) {
    sim.ClearTrace();
    const auto r = Run({"upload", "items", Path("items.csv"), "--changed", "--port", port});
    EXPECT_EQ(r.Status, expectStatus) << r.Err;
    return Commands(sim).size();
  };
  const auto price = [&](int plu) {
    std::string value;
    sim.WithRegister(1, [&](TSimRegister& reg) {
      if (const auto* rec = reg.Memory.Find(SimTable::Items, plu)) value = (*rec)[4];
    });
    return value;
  };
  file(0, "");
  ASSERT_EQ(changed(0), 6u);

  // A delete empties the copy as it empties the register.
  ASSERT_EQ(Run({"delete-items", "--port", port}).Status, 0);
  EXPECT_EQ(changed(0), 6u);

  // An upload of some numbers, then the file set back: the copy took what was sent.
  file(2, "9");
  ASSERT_EQ(Run({"upload", "items", Path("items.csv"), "--numbers", "2", "--port", port}).Status, 0);
  file(0, "");
  EXPECT_EQ(changed(0), 1u);
  EXPECT_EQ(price(2), "1.50");

  // A record the register refused: what it holds is not known any more.
  sim.WithRegister(1, [](TSimRegister& reg) { reg.Faults.RefusedRecords = {4}; });
  file(4, "7");
  EXPECT_EQ(changed(1), 3u);  // the one changed row, sent RetryCmd + 1 times
  sim.WithRegister(1, [](TSimRegister& reg) { reg.Faults.RefusedRecords.clear(); });
  EXPECT_EQ(changed(0), 6u);
  EXPECT_EQ(price(4), "7.00");

  // A copy that cannot be written is said so, and the next run sends all.
  const std::string copy = Path("data") + "/vestok/RO1001-1/items.csv";
  std::filesystem::remove(copy);
  std::filesystem::create_directories(copy);
  file(5, "3");
  sim.ClearTrace();
  const auto r = Run({"upload", "items", Path("items.csv"), "--port", port});
  EXPECT_EQ(r.Status, 0) << r.Err;
  EXPECT_TRUE(Has(r.Err, "Copia ultimului schimb nu a putut fi pastrata")) << r.Err;
  EXPECT_EQ(changed(0), 6u);
}

// Stopped halfway, the copy holds the rows the register acknowledged and no
// more: the next --changed sends exactly the rest.
TEST_F(CliSafeTest, AStoppedUploadLeavesTheRestForTheNextChangedOne) {
  TSimOptions o;
  o.Registers = {Register(1, 0)};
  o.KeepTrace = true;
  o.PaceBaud = 9600;
  sims_.push_back(std::make_unique<EcrSimulator>(std::move(o)));
  std::string error;
  ASSERT_TRUE(sims_.back()->Start(&error)) << error;
  EcrSimulator& sim = *sims_.back();
  std::string rows;
  for (int i = 1; i <= 30; ++i) rows += ItemRow(i, "Art " + std::to_string(i), "1.5");
  WriteFile(Path("items.csv"), kItemsHead + rows);
  auto r = Run({"upload", "items", Path("items.csv"), "--port", sim.SlavePath(), "--cable", "50"}, [&](pid_t pid) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!Has(ReadFile(Path("stderr.txt")), "Incarcare articol: 5\n") && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ::kill(pid, SIGINT);
  });
  ASSERT_EQ(r.Status, 130) << r.Err;
  std::size_t taken = 0;
  sim.WithRegister(1, [&](TSimRegister& reg) {
    for (int i = 1; i <= 30; ++i) taken += reg.Memory.Find(SimTable::Items, i) != nullptr;
  });
  ASSERT_GT(taken, 0u);
  ASSERT_LT(taken, 30u);
  sim.ClearTrace();
  r = Run({"upload", "items", Path("items.csv"), "--changed", "--port", sim.SlavePath(), "--cable", "50"});
  EXPECT_EQ(r.Status, 0) << r.Err;
  EXPECT_EQ(Commands(sim).size(), 30u - taken) << r.Err;
  sim.WithRegister(1, [](TSimRegister& reg) {
    for (int i = 1; i <= 30; ++i) EXPECT_NE(reg.Memory.Find(SimTable::Items, i), nullptr) << i;
  });
}

}  // namespace
}  // namespace vestok::cli_test
