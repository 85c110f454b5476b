// The upload job and the framework it shares with the other jobs, against
// the simulated register.
#include "support/window_state_for_tests.h"
#include "jobs/job_fixture.h"

namespace vestok {
namespace {

class UploadJob : public JobTest {
 protected:
  void SetUp() override {
    JobTest::SetUp();
    Opened(items);
    AddRow(items, {"12", "COLA", "1", "5941234567890", "3.5", "0", "1", "2", ""});
    AddRow(items, {"7", "APA", "2", "", "1.25", "1", "1", "3", ""});
    AddRow(items, {"40", "PAINE", "1", "123", "0.5", "2", "2", "1", ""});
  }
  DocumentTable items{TableDefinition(tkItems)};
};

TEST_F(UploadJob, SeriaANumbersRecordsByTheirFirstField) {
  StartSim();
  const std::string before = TableFileBytes(items);
  Upload(0, items);
  EXPECT_EQ(log.Lines(), (Lines{"Incarcare articole - start", "Incarcare articol: 12", "Incarcare articol: 7",
                                "Incarcare articol: 40", "Incarcare articole incheiata fara erori"}));
  EXPECT_EQ(Commands(), (Lines{"W0;12;COLA;1;5941234567890;3.50;0;1;2;;", "W0;7;APA;2;;1.25;1;1;3;;",
                               "W0;40;PAINE;1;123;.50;2;2;1;;"}));
  EXPECT_EQ(Stored(SimTable::Items).size(), 3u);
  EXPECT_EQ(TableFileBytes(items), before);  // the upload never changes the table
}

TEST_F(UploadJob, StandardCountsTheRowsTaken) {
  StartSim({}, SimVariant::Standard);
  Upload(100, items);
  EXPECT_EQ(log.Lines(), (Lines{"Incarcare articole - start", "Incarcare articol: 1", "Incarcare articol: 2",
                                "Incarcare articol: 3", "Incarcare articole incheiata fara erori"}));
  const Lines sent = Commands();
  ASSERT_EQ(sent.size(), 3u);
  EXPECT_EQ(sent[0], "W0;1;12;COLA;3.50;0;1;2;1;0;0;59412;34567890;");
  EXPECT_EQ(sent[1].substr(0, 5), "W0;2;");
  EXPECT_EQ(sent[2].substr(0, 5), "W0;3;");
}

TEST_F(UploadJob, SelectionSendsTheSelectedRowsInTableOrderWithTheirPositions) {
  StartSim({}, SimVariant::Standard);
  AddRow(items, {"41", "LAPTE", "1", "", "4", "0", "1", "1", ""});
  const RowSelection selection = std::vector<Bookmark>{items.BookmarkAt(1), items.BookmarkAt(3)};
  Upload(100, items, selection);
  EXPECT_EQ(log.Lines(), (Lines{"Incarcare articole - start", "Incarcare articol: 1", "Incarcare articol: 2",
                                "Incarcare articole incheiata fara erori"}));
  const Lines sent = Commands();
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(sent[0].substr(0, 8), "W0;2;7;A");   // the row's position in the table: 2
  EXPECT_EQ(sent[1].substr(0, 9), "W0;4;41;L");  // and 4

  Upload(0, items, std::vector<Bookmark>{});  // a selection with no row
  EXPECT_EQ(log.Lines(), (Lines{"Incarcare articole - start", "Incarcare articole incheiata fara erori"}));
}

TEST_F(UploadJob, AcknowledgedOnTheSecondSendIsWrittenWithoutError) {
  TSimRegister reg;
  reg.Faults.AcknowledgeOn = 2;
  StartSim(reg);
  Upload(0, items);
  EXPECT_EQ(log.Lines().back(), "Incarcare articole incheiata fara erori");
  EXPECT_EQ(log.Lines().size(), 5u);
  EXPECT_EQ(Commands().size(), 6u);  // every record twice
  EXPECT_EQ(Stored(SimTable::Items).size(), 3u);
}

TEST_F(UploadJob, NeverAcknowledgedRecordIsSentFourTimesThenReported) {
  TSimRegister reg;
  reg.Faults.NeverAcknowledge = true;
  reg.Faults.Unacked = UnackedReply::Refusal;
  StartSim(reg);
  Upload(0, items);
  EXPECT_EQ(log.Lines(), (Lines{"Incarcare articole - start", "Incarcare articol: 12",
                                "Eroare la incarcare articol: 12", "Incarcare articol: 7",
                                "Eroare la incarcare articol: 7", "Incarcare articol: 40",
                                "Eroare la incarcare articol: 40", "Incarcare articole incheiata cu erori"}));
  EXPECT_EQ(Commands().size(), 12u);
  EXPECT_EQ(host.panels[1], "Incarcare articole incheiata cu erori");
}

TEST_F(UploadJob, RefusedAndUnansweredRecordsAreErrorsWhateverTheRegisterKept) {
  TSimRegister reg;
  reg.Faults.RefusedRecords = {7};
  reg.Faults.UnansweredRecords = {40};
  StartSim(reg);
  LinkSettings.RetryCmd = 1;
  Upload(0, items);
  EXPECT_EQ(log.Lines(), (Lines{"Incarcare articole - start", "Incarcare articol: 12", "Incarcare articol: 7",
                                "Eroare la incarcare articol: 7", "Incarcare articol: 40",
                                "Eroare la incarcare articol: 40", "Incarcare articole incheiata cu erori"}));
  // 7 was refused and is not there; 40 was stored although no answer came.
  const std::vector<SimRecord> stored = Stored(SimTable::Items);
  ASSERT_EQ(stored.size(), 2u);
  EXPECT_EQ(stored[0][0], "12");
  EXPECT_EQ(stored[1][0], "40");
}

TEST_F(UploadJob, SilentRegisterGivesOneErrorPerRecord) {
  TSimRegister reg;
  reg.Faults.Silent = true;
  StartSim(reg);
  LinkSettings.RetryCmd = 1;
  Upload(0, items);
  EXPECT_EQ(log.Lines(), (Lines{"Incarcare articole - start", "Incarcare articol: 12",
                                "Eroare la incarcare articol: 12", "Incarcare articol: 7",
                                "Eroare la incarcare articol: 7", "Incarcare articol: 40",
                                "Eroare la incarcare articol: 40", "Incarcare articole incheiata cu erori"}));
  EXPECT_TRUE(Commands().empty());
}

TEST_F(UploadJob, RowWhoseTextWouldSplitTheRecordIsNotSent) {
  StartSim();
  items.MoveTo(1);
  items.SetText("ItemName", "APA; PLATA");
  items.Post();
  Upload(0, items);
  EXPECT_EQ(log.Lines(), (Lines{"Incarcare articole - start", "Incarcare articol: 12", "Incarcare articol: 7",
                                "Eroare la incarcare articol: 7", "Incarcare articol: 40",
                                "Incarcare articole incheiata cu erori"}));
  EXPECT_EQ(Commands().size(), 2u);
  const auto stored = Stored(SimTable::Items);
  ASSERT_EQ(stored.size(), 2u);
  EXPECT_EQ(stored[0][0], "12");
  EXPECT_EQ(stored[1][0], "40");
}

TEST_F(UploadJob, StopWhileRecordFiveIsInHandFinishesThatRecord) {
  StartSim();
  for (int plu = 50; plu < 57; ++plu) AddRow(items, {std::to_string(plu), "X", "1", "", "1", "0", "1", "1", ""});
  StopAt("Incarcare articol: 50");  // the fifth row
  Upload(0, items);
  EXPECT_EQ(log.Lines(), (Lines{"Incarcare articole - start", "Incarcare articol: 12", "Incarcare articol: 7",
                                "Incarcare articol: 40", "Incarcare articol: 50",
                                "Operatie oprita de utilizator dupa 4 articole",
                                "Incarcare articole incheiata fara erori"}));
  EXPECT_EQ(Stored(SimTable::Items).size(), 4u);
  EXPECT_EQ(Commands().back().substr(0, 6), "W0;50;");
}

TEST_F(UploadJob, StopActionWaitsForTheEndWhileServingTheJobsSteps) {
  StartSim();
  // The window's Stop runs between two steps: it asks the job to stop and
  // waits for its end, carrying out the steps still to come meanwhile.
  bool stopped = false;
  mainThread.AfterStep = [&] {
    if (stopped || host.panels[1] != "Incarcare articol: 7") return;
    stopped = true;
    job->RequestStop();
    job->WaitForEnd();
    EXPECT_TRUE(job->Ended());
    EXPECT_FALSE(host.stopEnabled);
  };
  Upload(0, items);
  EXPECT_TRUE(stopped);
  EXPECT_EQ(log.Lines(), (Lines{"Incarcare articole - start", "Incarcare articol: 12", "Incarcare articol: 7",
                                "Operatie oprita de utilizator dupa 2 articole",
                                "Incarcare articole incheiata fara erori"}));
  EXPECT_EQ(Commands().size(), 2u);  // record 7 was finished
}

TEST_F(UploadJob, WindowIsLockedDuringTheJobAndRestoredAfterIt) {
  StartSim();
  host.stopEnabled = true;  // a batch run enables Stop itself before the job starts
  const std::vector<bool> before = host.actions;
  std::vector<std::string> during;
  host.onStatus = [&](int panel, const std::string& text) {
    if (panel == 1 && text == "Incarcare articol: 7") {
      during.push_back(host.pagesEnabled ? "pages" : "no pages");
      during.push_back(host.stopEnabled ? "stop" : "no stop");
      during.push_back(host.actions == std::vector<bool>(before.size(), false) ? "locked" : "open");
      during.push_back(host.panels[2]);
      during.push_back(items.NotificationsSuspended() ? "suspended" : "live");
    }
  };
  Upload(0, items);
  EXPECT_EQ(during, (Lines{"no pages", "stop", "locked",
                           "Pentru oprire apasati butonul STOP de pe Toolbar", "suspended"}));
  EXPECT_EQ(host.actions, before);
  EXPECT_FALSE(host.stopEnabled);
  EXPECT_TRUE(host.pagesEnabled);
  EXPECT_EQ(host.panels[2], "");
  EXPECT_FALSE(items.NotificationsSuspended());
  EXPECT_TRUE(job->Ended());
}

TEST_F(UploadJob, PortThatCannotBeOpenedEndsAtOnceWithoutErrors) {
  port = "/nonexistent/ttyVESTOK";
  log.Add("line of an earlier job");
  Upload(0, items);
  EXPECT_EQ(log.Lines(), (Lines{"Incarcare articole - start", "Incarcare articole incheiata fara erori"}));
  EXPECT_FALSE(host.stopEnabled);
  EXPECT_FALSE(LinkPort);
}

TEST_F(UploadJob, EmptyTableOpensTheLinkButSendsNothing) {
  StartSim();
  items.Empty();
  Upload(0, items);
  EXPECT_EQ(log.Lines(), (Lines{"Incarcare articole - start", "Incarcare articole incheiata fara erori"}));
  EXPECT_TRUE(sim->Trace().empty());
  EXPECT_FALSE(LinkPort);  // closed again
}

}  // namespace
}  // namespace vestok
