// The window's side: the UTF-8 notices of Open and Save, and Fisier's
// spreadsheet import (preview, mapping remembered, problems in the log) and export.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <cstdlib>

#include "jobs/operation_log.h"
#include "sheets/sheet_read.h"
#include "support/window_state_for_tests.h"
#include "tables/table_file.h"
#include "ui/main_window.h"
#include "ui/sheet_actions.h"
#include "ui/sheet_import_dialog.h"
#include "ui/status_panels.h"
#include "ui/transfer_test_support.h"
#include "ui_test_support.h"

namespace vestok {
namespace {

const char kItemsHeader[] = "\"PLUCode\",\"ItemName\",\"VAT\",\"Barcode\",\"Price\",\"PriceType\",\"Stand\",\"Group\",\"Dummy\",\r\n";

class SheetWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::EnsureApplication();
    ASSERT_TRUE(dir.isValid());
    // The remembered mappings go to the test's folder.
    ::setenv("XDG_DATA_HOME", dir.path().toLocal8Bit().constData(), 1);
    window = std::make_unique<TfMain>(nullptr, &dialogs);
    window->show();
    sheets = window->findChild<TSheetActions*>();
    ASSERT_NE(sheets, nullptr);
  }
  std::string Path(const char* name) const { return dir.filePath(name).toStdString(); }
  DocumentTable& Items() const { return *window->Tables()[tkItems]; }

  QTemporaryDir dir;
  TScriptedDialogs dialogs;
  std::unique_ptr<TfMain> window;
  TSheetActions* sheets = nullptr;
};

TEST_F(SheetWindowTest, ColumnsThatAreNoFieldAreNamedOnOpenWholeInTheirPanel) {
  test::WriteFileBytes(Path("f.csv"), "\"PLUCode\",\"Denumirea produsului in magazin\",\"Pret\",\r\n\"5\",\"A\",\"2\",\r\n");
  dialogs.QueueFileName(dir.filePath("f.csv"));
  window->aFileOpen->trigger();
  const QString notice = window->StatusText(2);
  EXPECT_EQ(notice, "Coloane ignorate: Denumirea produs... si inca 1");
  auto* panel = window->StatusBar->findChild<TStatusPanel*>("StatusPanel2");
  QApplication::processEvents();
  EXPECT_LE(panel->fontMetrics().horizontalAdvance(notice), panel->contentsRect().width());
  window->aFileNew->trigger();
  EXPECT_EQ(window->StatusText(2), "");
}

TEST_F(SheetWindowTest, Utf8FileIsAnnouncedOnOpenAndSavedOverAsWindows1250) {
  test::WriteFileBytes(Path("u.csv"), std::string(kItemsHeader) + "\"5\",\"Br\xC3\xA2nz\xC4\x83\",,,,,,,,\r\n");
  dialogs.QueueFileName(dir.filePath("u.csv"));
  window->aFileOpen->trigger();
  EXPECT_EQ(window->StatusText(1), QString::fromLatin1(kUtf8ReadNotice.data(), qsizetype(kUtf8ReadNotice.size())));
  EXPECT_EQ(Items().TextViewAt(0, 1), "Br\xE2nz\xE3");
  window->aFileSave->trigger();
  EXPECT_EQ(window->StatusText(1), "Salvare fisier terminata cu succes.");
  EXPECT_EQ(window->StatusText(2), "Fisierul este scris acum in Windows-1250.");
  EXPECT_EQ(test::ReadFileBytes(Path("u.csv")), std::string(kItemsHeader) + "\"5\",\"Br\xE2nz\xE3\",,,,,,,,\r\n");
  // Once written so, a save says only what it always says.
  window->aFileSave->trigger();
  EXPECT_EQ(window->StatusText(1), "Salvare fisier terminata cu succes.");
  EXPECT_EQ(window->StatusText(2), "");
}

TEST_F(SheetWindowTest, ExportThenImportThroughThePreviewRemembersTheColumns) {
  QMenu* file = window->menuBar()->findChild<QMenu*>("mFile");
  ASSERT_NE(file, nullptr);
  const QList<QAction*> entries = file->actions();
  ASSERT_GE(entries.indexOf(sheets->aSheetExport), 0);
  EXPECT_EQ(entries.indexOf(sheets->aSheetImport), entries.indexOf(window->aFilePrint) + 1);

  LoadTableFromBytes(Items(), std::string(kItemsHeader) + "\"1\",\"Paine\",\"1\",\"0123\",\"2.5\",\"2\",\"1\",\"1\",,\r\n");
  dialogs.QueueFileName(dir.filePath("a.xlsx"));
  sheets->aSheetExport->trigger();
  EXPECT_EQ(window->StatusText(1), "Export .xlsx terminat cu succes.");

  {
    TfSheetImport preview(window.get(), Items(), Path("a.xlsx"));
    ASSERT_EQ(preview.ColumnCount(), 8);
    EXPECT_EQ(preview.Fields(), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7}));
    preview.ColumnBox(7)->setCurrentIndex(3);  // "Grup" into VAT: the "TVA" column gives it up
    EXPECT_EQ(preview.Fields(), (std::vector<int>{0, 1, -1, 3, 4, 5, 6, 2}));
    preview.ColumnBox(7)->setCurrentIndex(8);  // back to Group; "TVA" stays left out
    EXPECT_EQ(sheets->ApplyImport(tkItems, preview.Grid(), preview.Fields()), 1u);
  }
  EXPECT_EQ(Items().RecordCount(), 1u);
  EXPECT_TRUE(Items().IsNullAt(0, 2));
  EXPECT_EQ(Items().TextViewAt(0, 3), "0123");
  EXPECT_EQ(window->StatusText(1), "Import: 1 randuri preluate");
  EXPECT_EQ(CurrentFileName[tkItems], "<Nu exista fisier curent>");
  // The next preview of a sheet with the same titles starts from the mapping kept.
  TfSheetImport again(window.get(), Items(), Path("a.xlsx"));
  EXPECT_EQ(again.Fields(), (std::vector<int>{0, 1, -1, 3, 4, 5, 6, 7}));

  // A CSV: its forms are shown as detected; a value that cannot be taken goes to the log.
  test::WriteFileBytes(Path("ro.csv"), "Cod;Denumire;Pret\r\n1;Paine;2,5\r\n2;Ceai;x\r\n");
  TfSheetImport csv(window.get(), Items(), Path("ro.csv"));
  EXPECT_EQ(csv.cbSeparator->currentText(), ";");
  EXPECT_EQ(csv.cbDecimal->currentText(), ",");
  EXPECT_EQ(sheets->ApplyImport(tkItems, csv.Grid(), csv.Fields()), 1u);
  EXPECT_EQ(window->StatusText(1), "Import: 1 randuri, 1 erori");
  ASSERT_TRUE(OperationLog);
  ASSERT_EQ(OperationLog->Lines().size(), 2u);
  EXPECT_EQ(OperationLog->Lines()[1].rfind("Rand 3, coloana C (Pret):", 0), 0u);
  // A form chosen by hand reads the file again.
  csv.cbDecimal->setCurrentIndex(0);
  EXPECT_EQ(csv.Grid().Decimal, '.');

  EXPECT_THROW(TfSheetImport(window.get(), Items(), Path("none.xlsx")), SheetError);
}

class Utf8BatchTest : public test::WindowTransferTest {};

TEST_F(Utf8BatchTest, BatchUploadOfAUtf8FileSaysSoSendsWindows1250AndLeavesOutWhatItCannotWrite) {
  StartSim({}, false);
  QTemporaryDir dir;
  const std::string path = dir.filePath("u.csv").toStdString();
  test::WriteFileBytes(path, std::string(kItemsHeader) + "\"1\",\"\xC8\x98unc\xC4\x83\",\"1\",,\"9.5\",\"0\",\"1\",\"1\",,\r\n"
                                                         "\"2\",\"Ceai \xE2\x82\xB9\",\"1\",,\"3\",\"0\",\"1\",\"1\",,\r\n");
  window = std::make_unique<TfMain>(nullptr, &dialogs);
  window->SetBatchRequest({true, false, 0, path});
  window->show();
  ASSERT_TRUE(test::ServeUntil([this] { return window->BatchStarted() && !window->isVisible(); }, 60000));
  const test::Lines log = LogLines();
  ASSERT_GE(log.size(), 3u);
  EXPECT_EQ(log[1], kUtf8ReadNotice);
  EXPECT_NE(std::find(log.begin(), log.end(),
                      "Eroare rand 2, Denumire articol: textul avea caractere pe care Windows-1250 nu le are "
                      "(U+20B9), trecute ca ?"),
            log.end());
  const auto stored = sim->WithRegister(1, [](TSimRegister& r) { return r.Memory.Records(SimTable::Items); });
  ASSERT_EQ(stored.size(), 1u);
  EXPECT_EQ(stored[0][1], "\xAAUNC\xE3");
}

}  // namespace
}  // namespace vestok
