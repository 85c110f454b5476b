// The download job against the simulated register.
#include "support/window_state_for_tests.h"
#include "jobs/job_fixture.h"

namespace vestok {
namespace {

SimRecord Item(const std::string& plu, const std::string& name = "X", const std::string& price = "1.00") {
  return {plu, name, "1", "", price, "0", "1", "1", ""};
}

class DownloadJob : public JobTest {
 protected:
  DocumentTable items{TableDefinition(tkItems)};
};

TEST_F(DownloadJob, SeriaASkipsAheadToTheRecordReturned) {
  StartSim();
  Preload(SimTable::Items, {Item("5"), Item("6"), Item("20")});
  Opened(items);
  AddRow(items, {"99", "OLD"});
  Download(0, items);
  EXPECT_EQ(Commands(), (Lines{"I0;1;", "I0;6;", "I0;7;", "I0;21;"}));
  EXPECT_EQ(log.Lines(), (Lines{"Descarcare articole - start", "Descarcare articol: 1", "Descarcare articol: 6",
                                "Descarcare articol: 7", "Descarcare articol: 21",
                                "Descarcare articole incheiata fara erori"}));
  EXPECT_EQ(FirstFields(items), (Lines{"5", "6", "20"}));  // the old row is gone
}

TEST_F(DownloadJob, StandardAsksOneNumberAfterAnother) {
  StartSim({}, SimVariant::Standard);
  Preload(SimTable::Items, {Item("5"), Item("6"), Item("20")});
  Download(100, Opened(items));
  EXPECT_EQ(Commands(), (Lines{"R0;1;", "R0;2;", "R0;3;", "R0;4;"}));
  EXPECT_EQ(FirstFields(items), (Lines{"5", "6", "20"}));
}

TEST_F(DownloadJob, EmptyRegisterLeavesAnEmptyTable) {
  StartSim();
  Opened(items);
  AddRow(items, {"1"});
  Download(0, items);
  EXPECT_EQ(log.Lines(), (Lines{"Descarcare articole - start", "Descarcare articol: 1",
                                "Descarcare articole incheiata fara erori"}));
  EXPECT_EQ(items.RecordCount(), 0u);
}

TEST_F(DownloadJob, PortThatCannotBeOpenedStillEmptiesTheTable) {
  port = "/nonexistent/ttyVESTOK";
  Opened(items);
  AddRow(items, {"1"});
  Download(0, items);
  EXPECT_EQ(log.Lines(), (Lines{"Descarcare articole - start", "Descarcare articole incheiata fara erori"}));
  EXPECT_EQ(items.RecordCount(), 0u);
}

TEST_F(DownloadJob, SelectionAsksForEachRowByItsFirstFieldAndEditsInPlace) {
  StartSim();
  Preload(SimTable::Items, {Item("3", "TREI"), Item("7", "SAPTE"), Item("12", "DOISPE"), Item("30", "TREIZECI")});
  Opened(items);
  AddRow(items, {"7", "a"});
  AddRow(items, {"1", "b"});
  AddRow(items, {"3", "c"});
  AddRow(items, {"12", "d"});
  AddRow(items, {"", "e"});
  // The window hands the bookmarks in table order.
  const RowSelection selection =
      std::vector<Bookmark>{items.BookmarkAt(0), items.BookmarkAt(2), items.BookmarkAt(3), items.BookmarkAt(4)};
  Download(0, items, selection);
  EXPECT_EQ(Commands(), (Lines{"I0;7;", "I0;3;", "I0;12;", "I0;0;"}));
  ASSERT_EQ(items.RecordCount(), 5u);  // nothing appended
  EXPECT_EQ(items.TextAt(0, 1), "SAPTE");
  EXPECT_EQ(items.TextAt(1, 1), "b");
  EXPECT_EQ(items.TextAt(2, 1), "TREI");
  EXPECT_EQ(items.TextAt(3, 1), "DOISPE");
  // Number 0 is answered with the register's first record at or after it.
  EXPECT_EQ(items.TextAt(4, 0), "3");
}

TEST_F(DownloadJob, EndReplyToASelectedRowKeepsItsValues) {
  StartSim();
  Opened(items);
  AddRow(items, {"8", "OPT"});
  Download(0, items, std::vector<Bookmark>{items.BookmarkAt(0)});
  EXPECT_EQ(items.TextAt(0, 1), "OPT");
  EXPECT_EQ(log.Lines().back(), "Descarcare articole incheiata fara erori");
}

TEST_F(DownloadJob, ValueThatDoesNotConvertBecomesThatRecordsError) {
  StartSim();
  Preload(SimTable::Items, {Item("1"), Item("2", "RAU", "1,5"), Item("3")});
  Download(0, Opened(items));
  EXPECT_EQ(log.Lines(), (Lines{"Descarcare articole - start", "Descarcare articol: 1", "Descarcare articol: 2",
                                "Eroare la descarcare articol: 2", "Descarcare articol: 3",
                                "Descarcare articol: 4", "Descarcare articole incheiata cu erori"}));
  EXPECT_EQ(FirstFields(items), (Lines{"1", "3"}));
  EXPECT_EQ(items.State(), TableState::Browse);
}

TEST_F(DownloadJob, RequestWithoutReplyIsReportedAndTheNextNumberFollows) {
  StartSim();
  Preload(SimTable::Items, {Item("1"), Item("2"), Item("3")});
  LinkSettings.RetryCmd = 1;
  // The register falls silent after its first record and answers again later.
  host.onStatus = [this](int panel, const std::string& text) {
    if (panel != 1) return;
    const bool silent = text == "Descarcare articol: 2";
    sim->WithRegister(1, [silent](TSimRegister& r) { return r.Faults.NeverAcknowledge = silent; });
  };
  Download(0, Opened(items));
  EXPECT_EQ(log.Lines(), (Lines{"Descarcare articole - start", "Descarcare articol: 1", "Descarcare articol: 2",
                                "Eroare la descarcare articol: 2", "Descarcare articol: 3",
                                "Descarcare articol: 4", "Descarcare articole incheiata cu erori"}));
  EXPECT_EQ(FirstFields(items), (Lines{"1", "3"}));
}

TEST_F(DownloadJob, StopKeepsTheRowsReceivedSoFar) {
  StartSim();
  Preload(SimTable::Items, {Item("1"), Item("2"), Item("3"), Item("4")});
  StopAt("Descarcare articol: 2");
  Download(0, Opened(items));
  EXPECT_EQ(log.Lines(), (Lines{"Descarcare articole - start", "Descarcare articol: 1", "Descarcare articol: 2",
                                "Operatie oprita de utilizator dupa 2 articole",
                                "Descarcare articole incheiata fara erori"}));
  EXPECT_EQ(FirstFields(items), (Lines{"1", "2"}));
}

TEST_F(DownloadJob, EndsAfterTheLargestRecordNumber) {
  // Asking past 2147483647 would wrap to the first record again, for ever:
  // a wrapped request stops the job so that the test fails instead.
  StartSim();
  Preload(SimTable::Items, {Item("5"), Item("2147483647")});
  Preload(SimTable::Operators, {{"2147483646", "ANA", "1"}, {"2147483647", "ION", "2"}});
  host.onStatus = [this](int panel, const std::string& text) {
    if (panel == 1 && text.find(": -") != std::string::npos) job->RequestStop();
  };
  Download(0, Opened(items));
  EXPECT_EQ(Commands(), (Lines{"I0;1;", "I0;6;"}));
  EXPECT_EQ(FirstFields(items), (Lines{"5", "2147483647"}));
  EXPECT_EQ(log.Lines().back(), "Descarcare articole incheiata fara erori");

  sim->ClearTrace();
  DocumentTable operators(TableDefinition(tkOperators));
  Download(4, Opened(operators));
  EXPECT_EQ(Commands(), (Lines{"R2;1;", "R2;2147483647;"}));
  EXPECT_EQ(FirstFields(operators), (Lines{"2147483646", "2147483647"}));
}

TEST_F(DownloadJob, ItemSalesInBothVariants) {
  StartSim();
  Preload(SimTable::Items, {Item("4"), Item("9")});
  Preload(SimTable::ItemSales, {{"4", "2.5", "10"}, {"9", "1", "3.75"}});
  DocumentTable sales(TableDefinition(tkItemSales));
  Download(1, Opened(sales));
  EXPECT_EQ(TableFileBytes(sales),
            "\"PLUCode\",\"Qty\",\"Value\",\r\n\"4\",\"2.5\",\"10\",\r\n\"9\",\"1\",\"3.75\",\r\n");
  Download(101, sales);  // "R0": the PLU and quantity, value 0
  EXPECT_EQ(Commands().back(), "R0;3;");
  EXPECT_EQ(TableFileBytes(sales),
            "\"PLUCode\",\"Qty\",\"Value\",\r\n\"4\",\"2.5\",\"0\",\r\n\"9\",\"1\",\"0\",\r\n");
}

TEST_F(DownloadJob, GroupAndStandSales) {
  StartSim();
  Preload(SimTable::GroupSales, {{"1", "100.5"}, {"3", "7"}});
  Preload(SimTable::StandSales, {{"2", "12"}});
  DocumentTable groups(TableDefinition(tkGroupSales));
  Download(2, Opened(groups));
  EXPECT_EQ(Commands(), (Lines{"R10;1;", "R10;2;", "R10;4;"}));
  EXPECT_EQ(TableFileBytes(groups), "\"GroupNo\",\"Value\",\r\n\"1\",\"100.5\",\r\n\"3\",\"7\",\r\n");
  DocumentTable stands(TableDefinition(tkStandSales));
  Download(3, Opened(stands));
  EXPECT_EQ(TableFileBytes(stands), "\"StandNo\",\"Value\",\r\n\"2\",\"12\",\r\n");
}

TEST_F(DownloadJob, PricesAreReadWithTheUserSeparator) {
  StartSim();
  SetUserDecimalSeparator(',');
  Preload(SimTable::Items, {Item("1", "A", "12,50")});
  Download(0, Opened(items));
  ASSERT_EQ(items.RecordCount(), 1u);
  EXPECT_DOUBLE_EQ(*items.FloatAt(0, 4), 12.5);
}

}  // namespace
}  // namespace vestok
