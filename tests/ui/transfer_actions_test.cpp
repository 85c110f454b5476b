// The six transfer actions and Stop, driven through the window's actions
// against a simulated register.
#include <QApplication>
#include <QComboBox>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>

#include "support/window_state_for_tests.h"
#include "jobs/del_thread.h"
#include "jobs/load_thread.h"
#include "jobs/save_thread.h"
#include "tables/table_file.h"
#include "ui/availability_rules.h"
#include "ui/job_tag.h"
#include "ui/log_window.h"
#include "ui/settings_page.h"
#include "ui/table_grid.h"
#include "transfer_test_support.h"

namespace vestok {
namespace {

using test::Lines;

const QString kNoFiscalNumber = "Nu se poate citi numarul fiscal al imprimantei!";

class TransferActionsTest : public test::WindowTransferTest {
 protected:
  void LoadSampleItems() {
    LoadTableFile(*window->Tables()[tkItems], std::string(VESTOK_TEST_DATA_DIR) + "/sample/items.csv");
  }
};

TEST_F(TransferActionsTest, NoToTheConfirmationSendsNothing) {
  StartSim();
  ShowWindow();
  const struct {
    QAction* action;
    const char* question;
  } rows[] = {
      {window->aImportAll, "Descarcarea va suprascrie articolele din tabelul curent.\n\rConfirmati descarcarea?"},
      {window->aImportSel, "Descarcarea va suprascrie articolele din tabelul curent.\n\rConfirmati descarcarea?"},
      {window->aExportAll, "Incarcarea va suprascrie articolele din casa de marcat.\n\rConfirmati incarcarea?"},
      {window->aExportSel, "Incarcarea va suprascrie articolele din casa de marcat.\n\rConfirmati incarcarea?"},
      {window->aDeleteAll, "Stergerea va elimina articolele din casa de marcat.\n\rConfirmati stergerea?"},
      {window->aDeleteSel, "Stergerea va elimina articolele din casa de marcat.\n\rConfirmati stergerea?"},
  };
  for (const auto& row : rows) {
    dialogs.ClearRecords();
    dialogs.QueueAnswer(TMessageAnswer::No);
    row.action->trigger();
    ASSERT_EQ(dialogs.Messages().size(), 1u) << row.question;
    EXPECT_EQ(dialogs.Messages()[0].Kind, TMessageKind::Warning);
    EXPECT_EQ(dialogs.Messages()[0].Buttons, TMessageButtons::YesNo);
    EXPECT_EQ(dialogs.Messages()[0].Text, QString::fromLatin1(row.question));
    // A box closed without an answer counts as No as well.
    row.action->trigger();
  }
  QTest::qWait(50);
  EXPECT_TRUE(sim->ReceivedBytes().empty());
  EXPECT_EQ(window->Tag(), 0);
  EXPECT_EQ(window->LastRun(), nullptr);
}

TEST_F(TransferActionsTest, ASilentRegisterShowsTheErrorAndStartsNoJob) {
  TRegisterFaults faults;
  faults.Silent = true;
  StartSim(faults);
  ShowWindow();
  OperationLog->Add("an earlier job");
  for (QAction* action : {window->aImportAll, window->aExportAll, window->aDeleteAll}) {
    dialogs.ClearRecords();
    dialogs.QueueAnswer(TMessageAnswer::Yes);
    action->trigger();
    ASSERT_TRUE(test::ServeUntil([this] { return window->LastRun() != nullptr && window->LastRun()->Ended(); }));
    ASSERT_EQ(dialogs.Messages().size(), 2u);
    EXPECT_EQ(dialogs.Messages()[1].Kind, TMessageKind::Error);
    EXPECT_EQ(dialogs.Messages()[1].Text, kNoFiscalNumber);
    EXPECT_EQ(dialogs.Messages()[1].Buttons, TMessageButtons::Ok);
  }
  EXPECT_FALSE(sim->ReceivedBytes().empty());  // it was asked
  EXPECT_TRUE(Commands().empty());
  EXPECT_EQ(window->Tag(), 0);  // no job began
  EXPECT_FALSE(window->aStop->isEnabled());
  EXPECT_TRUE(window->aImportAll->isEnabled());
  EXPECT_EQ(LogLines(), Lines({"an earlier job"}));
}

TEST_F(TransferActionsTest, DownloadAllUsesTheVariantAndThePageShown) {
  StartSim();
  ShowWindow();
  // "Operatori" under "Standard": JobKind 104.
  window->cbProtocol->setCurrentIndex(1);
  window->ShowTablePage(tkOperators);
  RunConfirmed(window->aImportAll);
  ASSERT_NE(window->LastRun(), nullptr);
  EXPECT_EQ(window->LastJobKind(), 104);
  EXPECT_EQ(window->Tag(), kTagDownload);
  EXPECT_EQ(sim->WithRegister(1, [](TSimRegister& r) { return r.FiscalNumber; }), LinkSettings.FiscalNumber);
  const Lines commands = Commands();
  ASSERT_FALSE(commands.empty());
  EXPECT_EQ(commands[0], "R2;1;");
  EXPECT_EQ(window->Tables()[tkOperators]->RecordCount(), StoredCount(SimTable::Operators));
  EXPECT_EQ(window->StatusText(1), "Descarcare articole incheiata fara erori");
  EXPECT_EQ(window->StatusText(2), "");

  // "Vanzari pe grupe articole" under "Seria A": JobKind 2.
  sim->ClearTrace();
  window->cbProtocol->setCurrentIndex(0);
  window->ShowTablePage(tkGroupSales);
  RunConfirmed(window->aImportAll);
  EXPECT_EQ(window->LastJobKind(), 2);
  ASSERT_FALSE(Commands().empty());
  EXPECT_EQ(Commands()[0], "R10;1;");
  EXPECT_EQ(window->Tables()[tkGroupSales]->RecordCount(), StoredCount(SimTable::GroupSales));
}

TEST_F(TransferActionsTest, UploadAllAndUploadOfTheSelectedRows) {
  StartSim({}, false);
  ShowWindow();
  LoadSampleItems();
  const std::size_t rows = window->Tables()[tkItems]->RecordCount();
  ASSERT_GE(rows, 3u);
  RunConfirmed(window->aExportAll);
  ASSERT_NE(window->LastRun(), nullptr);
  EXPECT_EQ(window->LastJobKind(), 0);
  EXPECT_EQ(window->Tag(), kTagUpload);
  EXPECT_EQ(Commands().size(), rows);
  EXPECT_EQ(StoredCount(SimTable::Items), rows);
  EXPECT_EQ(window->StatusText(1), "Incarcare articole incheiata fara erori");

  // Rows 3 and 1 selected: sent in table order.
  sim->ClearTrace();
  TTableGrid* grid = window->Grids()[tkItems];
  const auto select = QItemSelectionModel::Select | QItemSelectionModel::Rows;
  grid->clearSelection();
  grid->selectionModel()->select(grid->model()->index(2, 0), select);
  grid->selectionModel()->select(grid->model()->index(0, 0), select);
  RunConfirmed(window->aExportSel);
  const Lines commands = Commands();
  ASSERT_EQ(commands.size(), 2u);
  EXPECT_EQ(commands[0].rfind("W0;" + window->Tables()[tkItems]->TextAt(0, 0) + ";", 0), 0u) << commands[0];
  EXPECT_EQ(commands[1].rfind("W0;" + window->Tables()[tkItems]->TextAt(2, 0) + ";", 0), 0u) << commands[1];

  // Nothing selected: it still asks and queries, and the job sends nothing.
  sim->ClearTrace();
  grid->clearSelection();
  dialogs.ClearRecords();
  RunConfirmed(window->aExportSel);
  EXPECT_EQ(dialogs.Messages().size(), 1u);
  EXPECT_FALSE(sim->Trace().empty());
  EXPECT_TRUE(Commands().empty());
  EXPECT_EQ(LogLines(), Lines({"Incarcare articole - start", "Incarcare articole incheiata fara erori"}));
}

TEST_F(TransferActionsTest, DeleteAllWorksOnTheItemsWhateverPageIsShown) {
  StartSim();
  ShowWindow();
  LoadSampleItems();
  const std::size_t operators = StoredCount(SimTable::Operators);
  window->ShowTablePage(tkOperators);
  RunConfirmed(window->aDeleteAll);
  ASSERT_NE(window->LastRun(), nullptr);
  EXPECT_EQ(window->Tag(), kTagDelete);
  EXPECT_EQ(window->Tables()[tkItems]->RecordCount(), 0u);
  EXPECT_EQ(StoredCount(SimTable::Items), 0u);
  EXPECT_EQ(StoredCount(SimTable::Operators), operators);
  for (const std::string& command : Commands()) EXPECT_EQ(command.rfind("C0;", 0), 0u) << command;
}

TEST_F(TransferActionsTest, UploadFromTheSettingsPageTakesWhatWasTypedIntoItsBoxes) {
  StartSim({}, false);
  ShowWindow();
  window->ShowTablePage(tkSettings);
  // Typed, still in the box (no focus change), not yet in the record.
  window->SettingsPage()->dbeLogicalNo->setText("42");
  window->SettingsPage()->dbeLogicalNo->setModified(true);
  ASSERT_EQ(window->Tables()[tkSettings]->RecordCount(), 0u);
  RunConfirmed(window->aExportAll);
  EXPECT_EQ(window->LastJobKind(), 9);
  const Lines commands = Commands();
  ASSERT_EQ(commands.size(), 1u);
  EXPECT_EQ(commands[0].rfind("W1;1;42;", 0), 0u) << commands[0];
}

TEST_F(TransferActionsTest, StopEndsTheJobAndTheActionsFollowTheVariantChosenMeanwhile) {
  TRegisterFaults slow;
  slow.ReplyDelayMs = 15;
  StartSim(slow);
  ShowWindow();
  std::vector<bool> before;
  for (QAction* action : window->ActionList) before.push_back(action->isEnabled());

  dialogs.QueueAnswer(TMessageAnswer::Yes);
  window->aImportAll->trigger();
  ASSERT_TRUE(test::ServeUntil([] { return OperationLog->Lines().size() >= 4; }));
  // While the job runs: every action but Stop is off, the pages too, and a
  // variant chosen in the list does not bring the actions back.
  EXPECT_FALSE(window->pcMain->isEnabled());
  for (QAction* action : window->ActionList)
    EXPECT_EQ(action->isEnabled(), action == window->aStop) << action->objectName().toStdString();
  window->cbProtocol->setCurrentIndex(1);
  EXPECT_FALSE(window->aImportAll->isEnabled());
  EXPECT_FALSE(window->aFileOpen->isEnabled());
  // A second action slipped in meanwhile starts nothing.
  const TEngineRun* job = window->LastRun();
  window->TransferAction(window->aImportAll);
  EXPECT_EQ(window->LastRun(), job);

  window->aStop->trigger();
  EXPECT_TRUE(window->LastRun()->Ended());
  EXPECT_FALSE(window->aStop->isEnabled());
  EXPECT_TRUE(window->pcMain->isEnabled());
  EXPECT_LT(window->Tables()[tkItems]->RecordCount(), StoredCount(SimTable::Items));
  EXPECT_EQ(LogLines().back(), "Descarcare articole incheiata fara erori");
  // The rules of "Articole" under "Standard"; the other actions as before.
  const QAction* ruled[kRuleActionCount] = {window->aImportAll, window->aImportSel, window->aExportAll,
                                            window->aExportSel, window->aDeleteAll, window->aDeleteSel,
                                            window->aFileNew,   window->aFileOpen,  window->aFileSave};
  for (int i = 0; i < kRuleActionCount; ++i)
    EXPECT_EQ(ruled[i]->isEnabled(), RuleEnabled(tkItems, 1, TRuleAction(i))) << i;
  for (qsizetype i = 0; i < window->ActionList.size(); ++i) {
    QAction* action = window->ActionList[i];
    if (std::find(std::begin(ruled), std::end(ruled), action) != std::end(ruled)) continue;
    EXPECT_EQ(action->isEnabled(), before[std::size_t(i)]) << action->objectName().toStdString();
  }
}

TEST_F(TransferActionsTest, TheKeysGoToTheGridAfterAJobNeverToTheVariantList) {
  TRegisterFaults slow;
  slow.ReplyDelayMs = 15;
  StartSim(slow);
  ShowWindow();
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  TTableGrid* grid = window->Grids()[tkItems];
  grid->setFocus();
  ASSERT_TRUE(test::ServeUntil([grid] { return grid->hasFocus(); }));
  const Qt::FocusPolicy listPolicy = window->cbProtocol->focusPolicy();

  dialogs.QueueAnswer(TMessageAnswer::Yes);
  window->aImportAll->trigger();
  // Three records in before Stop: the rows the arrow keys move through afterwards.
  ASSERT_TRUE(test::ServeUntil([this] { return window->Tables()[tkItems]->RecordCount() >= 3; }));
  // The user looks at another window and comes back while the job runs: the
  // window, activated again, must not give the variant list the keys.
  QWidget other;
  other.show();
  other.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  EXPECT_NE(QApplication::focusWidget(), window->cbProtocol);
  window->aStop->trigger();
  ASSERT_TRUE(test::ServeUntil([this] { return !window->aStop->isEnabled() && !window->JobRunning(); }));
  ASSERT_GT(window->Tables()[tkItems]->RecordCount(), 2u);

  // After the job the arrow keys move through the rows again, without a click.
  ASSERT_TRUE(grid->hasFocus());
  const int row = grid->currentIndex().row();
  ASSERT_GT(row, 0);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
  EXPECT_EQ(grid->currentIndex().row(), row - 1);
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
  EXPECT_EQ(window->cbProtocol->currentIndex(), 0);
  EXPECT_EQ(window->cbProtocol->focusPolicy(), listPolicy);
}

TEST_F(TransferActionsTest, TheLogWindowShowsTheLastJob) {
  StartSim();
  ShowWindow();
  window->ShowTablePage(tkOperators);
  RunConfirmed(window->aImportAll);
  const Lines lines = LogLines();
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines.front(), "Descarcare articole - start");
  EXPECT_EQ(lines[1], "Descarcare articol: 1");
  EXPECT_EQ(lines.back(), "Descarcare articole incheiata fara erori");
  TfLog log(window.get());
  log.show();
  QString expected;
  for (const std::string& line : lines) expected += QString::fromLatin1(line.c_str()) + "\n";
  EXPECT_EQ(log.mLog->toPlainText(), expected);
}

TEST_F(TransferActionsTest, ClosingTheWindowStopsARunningJobFirst) {
  TRegisterFaults slow;
  slow.ReplyDelayMs = 15;
  StartSim(slow);
  ShowWindow();
  dialogs.QueueAnswer(TMessageAnswer::Yes);
  window->aImportAll->trigger();
  ASSERT_TRUE(test::ServeUntil([] { return OperationLog->Lines().size() >= 3; }));
  dialogs.QueueAnswer(TMessageAnswer::Yes);  // leave without saving what came so far
  window->close();
  ASSERT_NE(window->LastRun(), nullptr);
  EXPECT_TRUE(window->LastRun()->Ended());
  EXPECT_FALSE(window->Tables()[tkItems]->IsOpen());
  EXPECT_EQ(LogLines().back(), "Descarcare articole incheiata fara erori");
}

}  // namespace
}  // namespace vestok
