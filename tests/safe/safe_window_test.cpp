// The "&Casa" menu and the checks before an upload, in the window against the
// simulated register.
#include <QMenuBar>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "jobs/del_thread.h"
#include "jobs/load_thread.h"
#include "tables/table_file.h"
#include "ui/register_menu.h"
#include "ui/table_grid.h"
#include "ui/table_model.h"
#include "ui/transfer_test_support.h"

namespace vestok {
namespace {

namespace fs = std::filesystem;

class SafeWindowTest : public test::WindowTransferTest {
 protected:
  void SetUp() override {
    WindowTransferTest::SetUp();
    dir = fs::temp_directory_path() / ("vestok-safe-ui-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    const char* old = std::getenv("XDG_DATA_HOME");
    if (old != nullptr) oldData_ = old;
    setenv("XDG_DATA_HOME", (dir / "data").c_str(), 1);
  }
  void TearDown() override {
    WindowTransferTest::TearDown();
    if (oldData_)
      setenv("XDG_DATA_HOME", oldData_->c_str(), 1);
    else
      unsetenv("XDG_DATA_HOME");
    fs::remove_all(dir);
  }
  static void AddItem(DocumentTable& t, const std::string& plu, const std::string& name, const std::string& price) {
    t.Append();
    t.SetText(0, plu);
    t.SetText(1, name);
    t.SetText(4, price);
    t.Post();
  }
  bool WaitIdle() {
    return test::ServeUntil([this]() -> bool {
      return !window->JobRunning() && window->LastRun() != nullptr && window->LastRun()->Ended();
    });
  }
  fs::path dir;

 private:
  std::optional<std::string> oldData_;
};

TEST_F(SafeWindowTest, TheMenuStandsAfterSettings) {
  ShowWindow();
  QStringList titles;
  for (QAction* a : window->menuBar()->actions()) titles << a->text();
  EXPECT_EQ(titles, (QStringList{"&Fisier", "&Setari", "&Casa", "&Help"}));
  QStringList items;
  for (QAction* a : window->RegisterMenu()->mRegister->actions())
    if (!a->isSeparator()) items << a->text();
  EXPECT_EQ(items, (QStringList{"&Salvare completa casa...", "&Restaurare casa...", "&Compara cu casa",
                                "Incarca diferente", "Incarca &modificari"}));
}

TEST_F(SafeWindowTest, ACheckReportComesFirstThenOnlyTheChangedRowsGo) {
  StartSim({}, false);
  ShowWindow();
  DocumentTable& items = *window->Tables()[tkItems];
  AddItem(items, "1", "PAINE", "2.5");
  AddItem(items, "2", "APA;PLATA", "1");
  AddItem(items, "3", "LAPTE", "4");

  // The bad row is reported; the user sends only the rows without errors.
  dialogs.QueueAnswer(TMessageAnswer::Yes);  // Confirmati incarcarea?
  dialogs.QueueAnswer(TMessageAnswer::Yes);  // only the rows without errors
  window->aExportAll->trigger();
  ASSERT_TRUE(WaitIdle());
  ASSERT_GE(dialogs.Messages().size(), 2u);
  EXPECT_EQ(dialogs.Messages()[1].Text,
            "Unele randuri au erori (vezi fereastra Log).\n\rIncarcati doar randurile fara erori?");
  EXPECT_EQ(Commands(), (test::Lines{"W0;1;PAINE;;;2.50;;;;;", "W0;3;LAPTE;;;4.00;;;;;"}));
  ASSERT_TRUE(test::ServeUntil([] { return OperationLog->Lines().size() == 5; }));
  EXPECT_EQ(OperationLog->Lines()[1],
            "Eroare rand 2, Denumire articol: textul contine caracterul ;, care nu poate fi trimis");
  EXPECT_EQ(OperationLog->Lines().back(), "Incarcare articole incheiata cu erori");
  EXPECT_EQ(window->StatusText(1), "Incarcare articole incheiata cu erori");

  // A clean whole upload leaves the register's copy; a price change then sends one row.
  items.SetTextAt(1, 1, "APA PLATA");
  dialogs.QueueAnswer(TMessageAnswer::Yes);
  window->aExportAll->trigger();
  ASSERT_TRUE(WaitIdle());
  const fs::path copy = dir / "data" / "vestok" / "RO0000001-1" / "items.csv";
  ASSERT_TRUE(test::ServeUntil([&] { return fs::exists(copy); }));
  items.SetTextAt(2, 4, "4.5");
  sim->ClearTrace();
  dialogs.ClearRecords();
  dialogs.QueueAnswer(TMessageAnswer::Yes);
  window->RegisterMenu()->aUploadChanges->trigger();
  ASSERT_TRUE(WaitIdle());
  ASSERT_EQ(dialogs.Messages().size(), 1u);
  EXPECT_TRUE(dialogs.Messages()[0].Text.startsWith("Copia ultimului schimb cu casa este din "));
  EXPECT_TRUE(dialogs.Messages()[0].Text.endsWith("Se vor incarca 1 inregistrari modificate.\n\rConfirmati incarcarea?"));
  EXPECT_EQ(Commands(), (test::Lines{"W0;3;LAPTE;;;4.50;;;;;"}));

  // The copy took the change: nothing is left to send.
  ASSERT_TRUE(test::ServeUntil([&] {
    std::ifstream in(copy);
    std::string text((std::istreambuf_iterator<char>(in)), {});
    return text.find("\"4.5\"") != std::string::npos;
  }));
  dialogs.ClearRecords();
  window->RegisterMenu()->aUploadChanges->trigger();
  ASSERT_TRUE(WaitIdle());
  ASSERT_EQ(dialogs.Messages().size(), 1u);
  EXPECT_EQ(dialogs.Messages()[0].Text, "Nu exista modificari fata de ultimul schimb cu casa.");
}

TEST_F(SafeWindowTest, ABatchUploadLeavesOutTheRowWithAnErrorAndSendsTheRest) {
  StartSim({}, false);
  const std::string file = (dir / "load.csv").string();
  {
    std::ofstream out(file, std::ios::binary);
    out << "\"PLUCode\",\"ItemName\",\"Price\",\r\n\"1\",\"PAINE\",\"2.5\",\r\n\"1\",\"DUBLURA\",\"3\",\r\n"
           "\"2\",\"APA\",\"1\",\r\n";
  }
  window = std::make_unique<TfMain>(nullptr, &dialogs);
  window->SetBatchRequest({true, false, 0, file});
  window->show();
  ASSERT_TRUE(test::ServeUntil([this] { return window->BatchStarted() && !window->isVisible(); }, 60000));
  EXPECT_EQ(Commands(), (test::Lines{"W0;1;PAINE;;;2.50;;;;;", "W0;2;APA;;;1.00;;;;;"}));
  EXPECT_EQ(OperationLog->Lines(), (test::Lines{"Incarcare articole - start",
                                                "Eroare rand 2, Cod PLU: valoarea 1 se repeta (ca la randul 1)",
                                                "Incarcare articol: 1", "Incarcare articol: 2",
                                                "Incarcare articole incheiata cu erori"}));
}

TEST_F(SafeWindowTest, BackupThenCompareThenOnlyTheDifferencesGo) {
  StartSim();  // the sample register
  ShowWindow();
  TRegisterMenu& menu = *window->RegisterMenu();
  dialogs.QueueAnswer(TMessageAnswer::Yes);
  dialogs.QueueFileName(QString::fromStdString((dir / "backup" / "register.txt").string()));
  menu.aBackup->trigger();
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(window->StatusText(1), "Salvare completa casa incheiata fara erori");
  EXPECT_FALSE(window->JobRunning());
  EXPECT_TRUE(fs::exists(dir / "backup" / "register.txt"));
  EXPECT_TRUE(fs::exists(dir / "backup" / "settings.csv"));
  EXPECT_EQ(window->Tables()[tkItems]->RecordCount(), 0u);  // the window's tables stay as they were
  // A folder that cannot be made: a box says so before the register is asked.
  dialogs.QueueAnswer(TMessageAnswer::Yes);
  dialogs.QueueFileName(QString::fromStdString((dir / "backup" / "items.csv" / "x" / "register.txt").string()));
  menu.aBackup->trigger();
  ASSERT_TRUE(WaitIdle());
  EXPECT_TRUE(dialogs.Messages().back().Text.endsWith("/x nu exista; nu s-a cerut nimic casei de marcat"));
  EXPECT_EQ(window->StatusText(1), "");

  DocumentTable& items = *window->Tables()[tkItems];
  LoadTableFile(items, (dir / "backup" / "items.csv").string());
  items.SetTextAt(3, 4, "99");
  items.SetTextAt(7, 4, "0.5");
  items.Last();
  const std::string gone = items.AsText(0);
  items.Delete();
  menu.aCompare->trigger();
  ASSERT_TRUE(WaitIdle());
  ASSERT_TRUE(menu.LastComparison());
  EXPECT_EQ(menu.LastComparison()->RowsToSend(), (std::vector<std::size_t>{3, 7}));
  EXPECT_EQ(menu.LastComparison()->Missing.size(), 1u);
  // The grid marks exactly the changed price cells, nothing else.
  const TTableModel& model = *window->Grids()[tkItems]->Model();
  const int price = model.ColumnOfField(4);
  for (int row = 0; row < model.rowCount(); ++row)
    for (int column = 0; column < model.columnCount(); ++column) {
      const bool marked = model.data(model.index(row, column), Qt::BackgroundRole).isValid() &&
                          model.data(model.index(row, column), Qt::ToolTipRole).toString().startsWith("Modificat");
      EXPECT_EQ(marked, (row == 3 || row == 7) && column == price) << row << "," << column;
    }
  if (const char* shots = std::getenv("VESTOK_SCREENSHOT_DIR")) {
    window->resize(800, 600);
    window->Grids()[tkItems]->scrollToTop();
    QApplication::processEvents();
    EXPECT_TRUE(window->grab().save(QString::fromUtf8(shots) + "/compare-with-register.png"));
  }

  sim->ClearTrace();
  dialogs.ClearRecords();
  dialogs.QueueAnswer(TMessageAnswer::Yes);  // the upload
  dialogs.QueueAnswer(TMessageAnswer::Yes);  // and the delete of the missing item
  menu.aUploadDifferences->trigger();
  ASSERT_TRUE(WaitIdle());
  // From the upload on the compare no longer tells what the register holds:
  // it and the grid's marks are gone.
  EXPECT_FALSE(menu.LastComparison());
  for (int row = 0; row < model.rowCount(); ++row)
    for (int column = 0; column < model.columnCount(); ++column)
      EXPECT_FALSE(model.data(model.index(row, column), Qt::BackgroundRole).isValid() &&
                   model.data(model.index(row, column), Qt::ToolTipRole).toString().startsWith("Modificat"))
          << row << "," << column;
  ASSERT_TRUE(WaitIdle());
  ASSERT_TRUE(test::ServeUntil([this] {
    return window->LastRun() != nullptr && window->LastRun()->Ended() && !window->JobRunning();
  }));
  const test::Lines sent = Commands();
  ASSERT_EQ(sent.size(), 3u);
  EXPECT_EQ(sent[2], "C0;" + gone + ";");
  EXPECT_EQ(sent[0].rfind("W0;" + items.TextAt(3, 0) + ";", 0), 0u) << sent[0];
  EXPECT_NE(sent[0].find(";99.00;"), std::string::npos) << sent[0];
  EXPECT_EQ(sent[1].rfind("W0;" + items.TextAt(7, 0) + ";", 0), 0u) << sent[1];
}

// The window keeps the same copy as the command line: a record the register
// refused leaves none to trust, so "Incarca modificari" offers the whole table.
TEST_F(SafeWindowTest, ARefusedRecordLeavesNoCopyToUploadTheChangesFrom) {
  TRegisterFaults faults;
  faults.RefusedRecords = {3};
  StartSim(faults, false);
  ShowWindow();
  DocumentTable& items = *window->Tables()[tkItems];
  AddItem(items, "1", "PAINE", "2.5");
  AddItem(items, "2", "APA", "1");
  AddItem(items, "3", "LAPTE", "4");
  dialogs.QueueAnswer(TMessageAnswer::Yes);
  window->aExportAll->trigger();
  ASSERT_TRUE(WaitIdle());
  EXPECT_EQ(window->StatusText(1), "Incarcare articole incheiata cu erori");
  EXPECT_FALSE(fs::exists(dir / "data" / "vestok" / "RO0000001-1" / "items.csv"));

  dialogs.ClearRecords();
  dialogs.QueueAnswer(TMessageAnswer::No);
  window->RegisterMenu()->aUploadChanges->trigger();
  ASSERT_TRUE(WaitIdle());
  ASSERT_EQ(dialogs.Messages().size(), 1u);
  EXPECT_EQ(dialogs.Messages()[0].Text,
            "Nu exista copia ultimului schimb cu aceasta casa pentru acest tabel.\n\rIncarcati tot tabelul?");
}

}  // namespace
}  // namespace vestok
