// The file actions and Select all, driven through the window's actions with
// scripted file dialogs.
#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QToolBar>
#include <QTranslator>

#include "support/window_state_for_tests.h"
#include "tables/table_file.h"
#include "ui/main_window.h"
#include "ui/qt_translation.h"
#include "ui/table_grid.h"
#include "ui_test_support.h"

namespace vestok {
namespace {

const char kItemsHeader[] = "\"PLUCode\",\"ItemName\",\"VAT\",\"Barcode\",\"Price\",\"PriceType\",\"Stand\",\"Group\",\"Dummy\",\r\n";
const QString kNoFile = "<Nu exista fisier curent>";
const QString kSaved = "Salvare fisier terminata cu succes.";
const QString kCannotSave = "Nu se poate salva fisierul specificat!";
const QString kCannotOpen = "Nu se poate deschide fisierul specificat!";

class WindowFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::EnsureApplication();
    ASSERT_TRUE(dir.isValid());
    window = std::make_unique<TfMain>(nullptr, &dialogs);
    window->show();
  }

  std::string Path(const char* name) const { return dir.filePath(name).toStdString(); }
  QString QPath(const char* name) const { return dir.filePath(name); }
  DocumentTable& Items() const { return *window->Tables()[tkItems]; }

  void AddItem(DocumentTable& t, int plu, const char* name) {
    t.Append();
    t.SetInteger("PLUCode", plu);
    t.SetText("ItemName", name);
    t.Post();
  }

  QTemporaryDir dir;
  TScriptedDialogs dialogs;
  std::unique_ptr<TfMain> window;
};

TEST_F(WindowFilesTest, FileDialogsHaveTheirTitlesFiltersAndExtension) {
  const TFileDialogSpec open = TfMain::OpenDialogSpec();
  const TFileDialogSpec save = TfMain::SaveDialogSpec();
  EXPECT_EQ(open.Title, "Vestok Deschidere fisier");
  EXPECT_EQ(save.Title, "Vestok Salvare fisier");
  EXPECT_EQ(open.Filters, QStringList({"CSV (*.csv)", "TXT (*.txt)", "Toate fisierele (*)"}));
  EXPECT_EQ(save.Filters, open.Filters);
  EXPECT_EQ(open.DefaultExtension, "csv");
  EXPECT_EQ(save.DefaultExtension, "csv");
}

TEST_F(WindowFilesTest, OpenReplacesTheTableAndNamesTheFile) {
  test::WriteFileBytes(Path("a.csv"), std::string(kItemsHeader) + "\"5\",\"Paine\",,,,,,,,\r\n\"6\",\"Lapte\",,,,,,,,\r\n");
  AddItem(Items(), 1, "vechi");
  dialogs.QueueFileName(QPath("a.csv"));
  window->aFileOpen->trigger();
  ASSERT_EQ(dialogs.FileDialogs().size(), 1u);
  EXPECT_FALSE(dialogs.FileDialogs()[0].Save);
  EXPECT_EQ(dialogs.FileDialogs()[0].Spec.Title, "Vestok Deschidere fisier");
  ASSERT_EQ(Items().RecordCount(), 2u);
  EXPECT_EQ(Items().TextAt(0, 0), "5");
  EXPECT_EQ(window->Grids()[tkItems]->model()->rowCount(), 2);
  EXPECT_EQ(window->StatusText(0), QPath("a.csv"));
  EXPECT_EQ(CurrentFileName[tkItems], Path("a.csv"));
  EXPECT_EQ(window->StatusText(1), "");
}

TEST_F(WindowFilesTest, OpenOfAFileThatDoesNotParseKeepsTheNameAndReportsIt) {
  test::WriteFileBytes(Path("bad.csv"), std::string(kItemsHeader) + "\"5\",\"Paine\",,,,,,,,\r\n\"x7\",\"Lapte\",,,,,,,,\r\n");
  dialogs.QueueFileName(QPath("bad.csv"));
  window->aFileOpen->trigger();
  EXPECT_EQ(window->StatusText(0), QPath("bad.csv"));
  EXPECT_EQ(window->StatusText(1), kCannotOpen);
  EXPECT_EQ(CurrentFileName[tkItems], Path("bad.csv"));
  EXPECT_EQ(Items().RecordCount(), 1u);  // the line before the bad value stays
  EXPECT_TRUE(dialogs.Messages().empty());

  // A missing file reads the same way; a good open afterwards clears the text.
  dialogs.QueueFileName(QPath("missing.csv"));
  window->aFileOpen->trigger();
  EXPECT_EQ(window->StatusText(1), kCannotOpen);
  test::WriteFileBytes(Path("good.csv"), kItemsHeader);
  dialogs.QueueFileName(QPath("good.csv"));
  window->aFileOpen->trigger();
  EXPECT_EQ(window->StatusText(1), "");
}

TEST_F(WindowFilesTest, SaveAfterAFailedOpenAsksForANameAndLeavesTheFileWhole) {
  const std::string whole = std::string(kItemsHeader) + "\"5\",\"Paine\",,,,,,,,\r\n\"x7\",\"Lapte\",,,,,,,,\r\n";
  test::WriteFileBytes(Path("bad.csv"), whole);
  dialogs.QueueFileName(QPath("bad.csv"));
  window->aFileOpen->trigger();
  ASSERT_EQ(Items().RecordCount(), 1u);
  EXPECT_TRUE(window->PartialLoad(tkItems));

  // Save is Save as: cancelled, the file keeps both lines.
  window->aFileSave->trigger();
  ASSERT_EQ(dialogs.FileDialogs().size(), 2u);
  EXPECT_TRUE(dialogs.FileDialogs()[1].Save);
  EXPECT_EQ(test::ReadFileBytes(Path("bad.csv")), whole);
  EXPECT_EQ(CurrentFileName[tkItems], Path("bad.csv"));

  // Saved under a name, the table is whole again: Save writes there.
  dialogs.QueueFileName(QPath("part.csv"));
  window->aFileSave->trigger();
  EXPECT_EQ(window->StatusText(1), kSaved);
  EXPECT_FALSE(window->PartialLoad(tkItems));
  window->aFileSave->trigger();
  EXPECT_EQ(dialogs.FileDialogs().size(), 3u);
  EXPECT_EQ(test::ReadFileBytes(Path("bad.csv")), whole);

  // Another page's Save is not affected; a good open clears the mark too.
  test::WriteFileBytes(Path("bad.csv"), whole);
  dialogs.QueueFileName(QPath("bad.csv"));
  window->aFileOpen->trigger();
  EXPECT_TRUE(window->PartialLoad(tkItems));
  EXPECT_FALSE(window->PartialLoad(tkOperators));
  test::WriteFileBytes(Path("good.csv"), kItemsHeader);
  dialogs.QueueFileName(QPath("good.csv"));
  window->aFileOpen->trigger();
  EXPECT_FALSE(window->PartialLoad(tkItems));
}

TEST_F(WindowFilesTest, CancelledDialogsChangeNothing) {
  AddItem(Items(), 1, "a");
  window->aFileOpen->trigger();    // nothing queued: cancel
  window->aFileSaveAs->trigger();  // cancel
  window->aFileSave->trigger();    // no file yet: save as, cancel
  EXPECT_EQ(dialogs.FileDialogs().size(), 3u);
  EXPECT_TRUE(dialogs.FileDialogs()[2].Save);
  EXPECT_EQ(Items().RecordCount(), 1u);
  EXPECT_EQ(window->StatusText(0), kNoFile);
  EXPECT_EQ(window->StatusText(1), "");
  EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).isEmpty());
}

TEST_F(WindowFilesTest, SaveWithoutAFileIsSaveAsAndAfterItSaveWritesThere) {
  AddItem(Items(), 1, "Paine");
  dialogs.QueueFileName(QPath("out.csv"));
  window->aFileSave->trigger();
  ASSERT_EQ(dialogs.FileDialogs().size(), 1u);
  EXPECT_EQ(dialogs.FileDialogs()[0].Spec.Title, "Vestok Salvare fisier");
  EXPECT_EQ(window->StatusText(1), kSaved);
  EXPECT_EQ(window->StatusText(0), QPath("out.csv"));
  EXPECT_EQ(test::ReadFileBytes(Path("out.csv")), std::string(kItemsHeader) + "\"1\",\"Paine\",,,,,,,,\r\n");

  AddItem(Items(), 2, "Lapte");
  window->SetStatusText(1, "");
  window->aFileSave->trigger();
  EXPECT_EQ(dialogs.FileDialogs().size(), 1u);  // no second dialog
  EXPECT_EQ(window->StatusText(1), kSaved);
  EXPECT_EQ(test::ReadFileBytes(Path("out.csv")),
            std::string(kItemsHeader) + "\"1\",\"Paine\",,,,,,,,\r\n\"2\",\"Lapte\",,,,,,,,\r\n");
}

TEST_F(WindowFilesTest, FailedSavesReportAndKeepTheFileName) {
  dialogs.QueueFileName(QPath("no/such/dir/x.csv"));
  window->aFileSaveAs->trigger();
  EXPECT_EQ(window->StatusText(1), kCannotSave);
  EXPECT_EQ(window->StatusText(0), kNoFile);
  EXPECT_EQ(CurrentFileName[tkItems], kNoFile.toStdString());

  CurrentFileName[tkItems] = Path("gone/x.csv");
  window->aFileSave->trigger();
  EXPECT_EQ(window->StatusText(1), kCannotSave);
  EXPECT_EQ(dialogs.FileDialogs().size(), 1u);
  EXPECT_TRUE(dialogs.Messages().empty());
}

TEST_F(WindowFilesTest, NewEmptiesOnlyTheTableShown) {
  AddItem(Items(), 1, "Paine");
  DocumentTable& head = *window->Tables()[tkHeadFoot];
  head.Append();
  head.SetInteger("Line", 1);
  head.Post();
  CurrentFileName[tkHeadFoot] = "/tmp/antet.csv";
  window->ShowTablePage(tkHeadFoot);
  EXPECT_EQ(window->StatusText(0), "/tmp/antet.csv");
  window->aFileNew->trigger();
  EXPECT_EQ(head.RecordCount(), 0u);
  EXPECT_EQ(Items().RecordCount(), 1u);
  EXPECT_EQ(CurrentFileName[tkHeadFoot], kNoFile.toStdString());
  EXPECT_EQ(window->StatusText(0), kNoFile);
  EXPECT_TRUE(dialogs.Messages().empty());
}

TEST_F(WindowFilesTest, SaveLeavesOutANewRowNobodyTouched) {
  AddItem(Items(), 1, "Paine");
  TTableGrid* grid = window->Grids()[tkItems];
  EXPECT_TRUE(grid->AppendRow());
  EXPECT_EQ(Items().RowCount(), 2u);
  dialogs.QueueFileName(QPath("out.csv"));
  window->aFileSaveAs->trigger();
  EXPECT_EQ(test::ReadFileBytes(Path("out.csv")), std::string(kItemsHeader) + "\"1\",\"Paine\",,,,,,,,\r\n");
  EXPECT_EQ(Items().RowCount(), 1u);
}

TEST_F(WindowFilesTest, SelectAllMarksEveryRowAndKeepsTheCurrentRecord) {
  for (int i = 1; i <= 5; ++i) AddItem(Items(), i, "x");
  Items().MoveTo(2);
  const Bookmark current = Items().GetBookmark();
  window->aSelAll->trigger();
  TTableGrid* grid = window->Grids()[tkItems];
  const std::vector<Bookmark> marks = grid->SelectedBookmarks();
  ASSERT_EQ(marks.size(), 5u);
  for (std::size_t r = 0; r < 5; ++r) EXPECT_EQ(marks[r], Items().BookmarkAt(r));
  EXPECT_EQ(Items().GetBookmark(), current);

  // An empty table: nothing selected; the settings page (no grid): nothing happens.
  window->ShowTablePage(tkOperators);
  window->aSelAll->trigger();
  EXPECT_TRUE(window->Grids()[tkOperators]->SelectedBookmarks().empty());
  window->ShowTablePage(tkSettings);
  window->aSelAll->trigger();
}

TEST_F(WindowFilesTest, SelectedBookmarksComeInTableOrder) {
  for (int i = 1; i <= 6; ++i) AddItem(Items(), i, "x");
  TTableGrid* grid = window->Grids()[tkItems];
  QItemSelectionModel* sel = grid->selectionModel();
  const auto rowFlags = QItemSelectionModel::Select | QItemSelectionModel::Rows;
  grid->clearSelection();  // the last row added, current, is highlighted
  sel->select(grid->model()->index(4, 0), rowFlags);
  sel->select(grid->model()->index(1, 0), rowFlags);
  sel->select(grid->model()->index(3, 2), rowFlags);
  const std::vector<Bookmark> marks = grid->SelectedBookmarks();
  ASSERT_EQ(marks.size(), 3u);
  EXPECT_EQ(marks[0], Items().BookmarkAt(1));
  EXPECT_EQ(marks[1], Items().BookmarkAt(3));
  EXPECT_EQ(marks[2], Items().BookmarkAt(4));
}

TEST(QtDialogsTest, QtsOwnFileAndPreviewDialogsSpeakRomanian) {
  test::EnsureApplication();
  QTranslator* romanian = InstallBuiltInQtTranslation(*QCoreApplication::instance());
  ASSERT_NE(romanian, nullptr);
  {
    QFileDialog open(nullptr, TfMain::OpenDialogSpec().Title);
    open.setOption(QFileDialog::DontUseNativeDialog);
    open.setNameFilters(TfMain::OpenDialogSpec().Filters);
    open.setFileMode(QFileDialog::ExistingFile);
    EXPECT_EQ(open.findChild<QLabel*>("lookInLabel")->text(), "Cauta in:");
    EXPECT_EQ(open.findChild<QLabel*>("fileNameLabel")->text(), "&Nume fisier:");
    EXPECT_EQ(open.findChild<QLabel*>("fileTypeLabel")->text(), "Fisiere de tipul:");
    QDialogButtonBox* buttons = open.findChild<QDialogButtonBox*>("buttonBox");
    EXPECT_EQ(buttons->button(QDialogButtonBox::Open)->text(), "&Deschide");
    EXPECT_EQ(buttons->button(QDialogButtonBox::Cancel)->text(), "Renunta");
    QPrinter printer;
    QPrintPreviewDialog preview(&printer);
    QStringList actions;
    for (QAction* action : preview.findChild<QToolBar*>()->actions()) actions << action->text();
    for (const char* text : {"Pagina urmatoare", "Prima pagina", "Latimea paginii", "Tipareste", "Asezare pagina"})
      EXPECT_TRUE(actions.contains(text)) << text;
  }
  QCoreApplication::removeTranslator(romanian);
  delete romanian;
}

}  // namespace
}  // namespace vestok
