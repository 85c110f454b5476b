// The delete job against the simulated register.
#include "support/window_state_for_tests.h"
#include "jobs/job_fixture.h"

namespace vestok {
namespace {

class DeleteJob : public JobTest {
 protected:
  void SetUp() override {
    JobTest::SetUp();
    Opened(items);
    for (const char* plu : {"125", "3", "40"}) AddRow(items, {plu, "X"});
  }
  void StartWithItems(TSimRegister reg = {}) {
    StartSim(std::move(reg));
    Preload(SimTable::Items, {{"3"}, {"40"}, {"125"}});
  }
  DocumentTable items{TableDefinition(tkItems)};
};

TEST_F(DeleteJob, AllAcknowledgedEmptiesTheTableInTableOrder) {
  StartWithItems();
  Delete(items);
  EXPECT_EQ(Commands(), (Lines{"C0;125;", "C0;3;", "C0;40;"}));
  EXPECT_EQ(log.Lines(), (Lines{"Stergere articole - start", "Stergere articol: 125", "Stergere articol: 3",
                                "Stergere articol: 40", "Stergere articole incheiata fara erori"}));
  EXPECT_EQ(items.RecordCount(), 0u);
  EXPECT_TRUE(Stored(SimTable::Items).empty());
}

TEST_F(DeleteJob, RefusedItemIsRepeatedUntilStopAndTheRestIsNeverSent) {
  TSimRegister reg;
  reg.Faults.RefusedPlu = 3;
  StartWithItems(reg);
  StopAt("Eroare la stergere articol: 3", 3);
  Delete(items);
  EXPECT_EQ(Commands(), (Lines{"C0;125;", "C0;3;", "C0;3;", "C0;3;"}));
  EXPECT_EQ(log.Lines(), (Lines{"Stergere articole - start", "Stergere articol: 125", "Stergere articol: 3",
                                "Eroare la stergere articol: 3", "Stergere articol: 3",
                                "Eroare la stergere articol: 3", "Stergere articol: 3",
                                "Eroare la stergere articol: 3", "Operatie oprita de utilizator dupa 4 articole",
                                "Stergere articole incheiata cu erori"}));
  EXPECT_EQ(FirstFields(items), (Lines{"3", "40"}));
}

TEST_F(DeleteJob, SelectionTriesEachSelectedRowOnce) {
  TSimRegister reg;
  reg.Faults.RefusedPlu = 40;
  StartWithItems(reg);
  Delete(items, std::vector<Bookmark>{items.BookmarkAt(0), items.BookmarkAt(2)});
  EXPECT_EQ(Commands(), (Lines{"C0;125;", "C0;40;"}));
  EXPECT_EQ(log.Lines(), (Lines{"Stergere articole - start", "Stergere articol: 125", "Stergere articol: 40",
                                "Eroare la stergere articol: 40", "Stergere articole incheiata cu erori"}));
  EXPECT_EQ(FirstFields(items), (Lines{"3", "40"}));
}

TEST_F(DeleteJob, UnansweredSelectionInSelectionModeLeavesEveryRow) {
  TSimRegister reg;
  reg.Faults.Silent = true;
  StartWithItems(reg);
  LinkSettings.RetryCmd = 1;
  Delete(items, std::vector<Bookmark>{items.BookmarkAt(1), items.BookmarkAt(2)});
  EXPECT_EQ(log.Lines(), (Lines{"Stergere articole - start", "Stergere articol: 3", "Eroare la stergere articol: 3",
                                "Stergere articol: 40", "Eroare la stergere articol: 40",
                                "Stergere articole incheiata cu erori"}));
  EXPECT_EQ(items.RecordCount(), 3u);
}

TEST_F(DeleteJob, EmptyPluIsDeletedAsZeroAndEmptyTableSendsNothing) {
  StartWithItems();
  AddRow(items, {"", "FARA COD"});
  Delete(items, std::vector<Bookmark>{items.BookmarkAt(3)});
  EXPECT_EQ(Commands(), (Lines{"C0;0;"}));
  EXPECT_EQ(items.RecordCount(), 3u);

  sim->ClearTrace();
  items.Empty();
  Delete(items);
  EXPECT_TRUE(Commands().empty());
  EXPECT_EQ(log.Lines(), (Lines{"Stergere articole - start", "Stergere articole incheiata fara erori"}));
}

}  // namespace
}  // namespace vestok
