// The table model and the grid: cell texts, editing, the price-type column,
// Ctrl+Delete, the new row, and one reset for a suspended stretch.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QItemSelectionModel>
#include <QSignalSpy>
#include <QTest>

#include "tables/table_file.h"
#include "text/decimal_separator.h"
#include "ui/dialogs.h"
#include "ui/field_delegate.h"
#include "ui/table_grid.h"
#include "ui/table_model.h"
#include "ui_test_support.h"

namespace vestok {
namespace {

class TableGridTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::EnsureApplication();
    SetUserDecimalSeparator('.');
    items.Open();
    sales.Open();
  }
  void TearDown() override { SetUserDecimalSeparator('.'); }

  std::size_t AddItem(int plu, std::optional<int> priceType = std::nullopt) {
    items.Append();
    items.SetInteger("PLUCode", plu);
    if (priceType) items.SetInteger("PriceType", *priceType);
    items.Post();
    return items.CurrentRow();
  }
  static QString Cell(const TTableModel& m, int row, int column) {
    return m.data(m.index(row, column), Qt::DisplayRole).toString();
  }

  DocumentTable items{TableDefinition(tkItems)};
  DocumentTable sales{TableDefinition(tkItemSales)};
  TScriptedDialogs dialogs;
};

TEST_F(TableGridTest, ColumnsAreTheShownFieldsWithTheirTitles) {
  TTableModel model(items);
  ASSERT_EQ(model.columnCount(), 8);  // Dummy has no column
  const char* titles[] = {"Cod PLU", "Denumire articol", "TVA", "Cod bare", "Pret", "Tip pret", "Stand", "Grup"};
  for (int c = 0; c < 8; ++c) EXPECT_EQ(model.headerData(c, Qt::Horizontal).toString(), titles[c]);
  DocumentTable recFmt{TableDefinition(tkRecFmt)};
  TTableModel recModel(recFmt);
  EXPECT_EQ(recModel.columnCount(), 6);  // the two reserved fields are not shown
  EXPECT_EQ(recModel.FieldOfColumn(2), 3);  // "Afisare taxe" is field 4
}

TEST_F(TableGridTest, CellsShowTextsInUnicodeAndFloatsWithTheUserSeparator) {
  TTableModel model(items);
  items.Append();
  items.SetInteger("PLUCode", -12);
  items.SetText("ItemName", "Br\xE2nz\xE3 \xBA" "i m\xE3sline");  // Windows-1250 bytes
  items.SetFloat("Price", 2.5);
  items.Post();
  EXPECT_EQ(Cell(model, 0, 0), "-12");
  EXPECT_EQ(Cell(model, 0, 1), QString::fromUtf8("Brânză şi măsline"));
  EXPECT_EQ(Cell(model, 0, 2), "");  // no value
  EXPECT_EQ(Cell(model, 0, 4), "2.5");
  SetUserDecimalSeparator(',');
  EXPECT_EQ(Cell(model, 0, 4), "2,5");

  // Typed text goes back as Windows-1250; the comma-below letters become the code page's cedilla letters.
  EXPECT_TRUE(model.setData(model.index(0, 1), QString::fromUtf8("Țuică și apă")));
  EXPECT_EQ(items.TextAt(0, 1), "\xDEuic\xE3 \xBAi ap\xE3");
  EXPECT_TRUE(model.setData(model.index(0, 4), "3,75"));
  EXPECT_DOUBLE_EQ(*items.FloatAt(0, 4), 3.75);
}

TEST_F(TableGridTest, EditingKeepsToTheFieldTypesAndWidths) {
  TTableModel model(items);
  AddItem(1);
  EXPECT_FALSE(model.setData(model.index(0, 0), "12a"));
  EXPECT_EQ(*items.IntegerAt(0, 0), 1);
  EXPECT_TRUE(model.setData(model.index(0, 0), " 42 "));
  EXPECT_EQ(*items.IntegerAt(0, 0), 42);
  EXPECT_TRUE(model.setData(model.index(0, 0), ""));
  EXPECT_TRUE(items.IsNullAt(0, 0));
  EXPECT_TRUE(model.setData(model.index(0, 3), QString(25, QChar('7'))));
  EXPECT_EQ(items.TextAt(0, 3), std::string(20, '7'));
  EXPECT_FALSE(model.setData(model.index(0, 4), "2,5"));  // '.' is the separator now
  EXPECT_TRUE(items.IsNullAt(0, 4));

  // The editors carry the same limits.
  TTableGrid grid(items, dialogs);
  TFieldDelegate delegate;
  QWidget parent;
  std::unique_ptr<QWidget> nameEditor(delegate.createEditor(&parent, {}, grid.model()->index(0, 1)));
  auto* line = qobject_cast<QLineEdit*>(nameEditor.get());
  ASSERT_NE(line, nullptr);
  EXPECT_EQ(line->maxLength(), 100);
  std::unique_ptr<QWidget> pluEditor(delegate.createEditor(&parent, {}, grid.model()->index(0, 0)));
  auto* plu = qobject_cast<QLineEdit*>(pluEditor.get());
  ASSERT_NE(plu, nullptr);
  QString text = "12x";
  int pos = 3;
  EXPECT_EQ(plu->validator()->validate(text, pos), QValidator::Invalid);
}

TEST_F(TableGridTest, PriceTypeColumnShowsAndTakesOnlyItsThreeTexts) {
  TTableModel model(items);
  const int column = 5;
  ASSERT_TRUE(model.IsPriceTypeColumn(column));
  items.Append();  // not stored yet: the column shows nothing
  EXPECT_EQ(Cell(model, 0, column), "");
  items.Post();
  EXPECT_EQ(Cell(model, 0, column), "Fix");  // no value reads as 0
  AddItem(2, 1);
  AddItem(3, 2);
  AddItem(4, 3);
  AddItem(5, -1);
  EXPECT_EQ(Cell(model, 1, column), "Liber");
  EXPECT_EQ(Cell(model, 2, column), "Liber max");
  EXPECT_EQ(Cell(model, 3, column), "");
  EXPECT_EQ(Cell(model, 4, column), "");

  model.setData(model.index(1, column), "fix");
  EXPECT_EQ(*items.IntegerAt(1, 5), 1);  // unchanged
  model.setData(model.index(1, column), "Liber ");
  EXPECT_EQ(*items.IntegerAt(1, 5), 1);
  EXPECT_TRUE(model.setData(model.index(1, column), "Liber max"));
  EXPECT_EQ(*items.IntegerAt(1, 5), 2);
  EXPECT_TRUE(model.setData(model.index(3, column), "Fix"));
  EXPECT_EQ(*items.IntegerAt(3, 5), 0);

  // Its editor is a drop-down list with the three texts in order.
  TTableGrid grid(items, dialogs);
  TFieldDelegate delegate;
  QWidget parent;
  std::unique_ptr<QWidget> editor(delegate.createEditor(&parent, {}, grid.model()->index(0, column)));
  auto* combo = qobject_cast<QComboBox*>(editor.get());
  ASSERT_NE(combo, nullptr);
  ASSERT_EQ(combo->count(), 3);
  EXPECT_EQ(combo->itemText(0), "Fix");
  EXPECT_EQ(combo->itemText(1), "Liber");
  EXPECT_EQ(combo->itemText(2), "Liber max");
}

TEST_F(TableGridTest, SalesGridsAreReadOnly) {
  TTableGrid grid(sales, dialogs);
  sales.Append();
  sales.SetInteger("PLUCode", 3);
  sales.Post();
  EXPECT_TRUE(grid.ReadOnly());
  EXPECT_FALSE(grid.model()->flags(grid.model()->index(0, 0)) & Qt::ItemIsEditable);
  EXPECT_FALSE(grid.model()->setData(grid.model()->index(0, 0), "9"));
  EXPECT_EQ(grid.editTriggers(), QAbstractItemView::NoEditTriggers);
  grid.selectRow(0);
  QTest::keyClick(&grid, Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_TRUE(dialogs.Messages().empty());
  EXPECT_EQ(sales.RecordCount(), 1u);
  EXPECT_FALSE(grid.AppendRow());
}

TEST_F(TableGridTest, CtrlDeleteAsksAndDeletesTheSelectedRows) {
  TTableGrid grid(items, dialogs);
  for (int i = 1; i <= 4; ++i) AddItem(i);
  auto rows = QItemSelectionModel::Select | QItemSelectionModel::Rows;
  grid.clearSelection();  // the last row added, current, is highlighted
  grid.selectionModel()->select(grid.model()->index(0, 0), rows);
  grid.selectionModel()->select(grid.model()->index(2, 0), rows);

  dialogs.QueueAnswer(TMessageAnswer::Cancel);
  QTest::keyClick(&grid, Qt::Key_Delete, Qt::ControlModifier);
  ASSERT_EQ(dialogs.Messages().size(), 1u);
  EXPECT_EQ(dialogs.Messages()[0].Text, "Delete all selected records?");
  EXPECT_EQ(dialogs.Messages()[0].Buttons, TMessageButtons::OkCancel);
  EXPECT_EQ(items.RecordCount(), 4u);

  dialogs.QueueAnswer(TMessageAnswer::Ok);
  QTest::keyClick(&grid, Qt::Key_Delete, Qt::ControlModifier);
  ASSERT_EQ(items.RecordCount(), 2u);
  EXPECT_EQ(*items.IntegerAt(0, 0), 2);
  EXPECT_EQ(*items.IntegerAt(1, 0), 4);
  EXPECT_EQ(grid.model()->rowCount(), 2);
}

TEST_F(TableGridTest, CtrlDeleteOfOneRowAsksForOneRecord) {
  TTableGrid grid(items, dialogs);
  for (int i = 1; i <= 3; ++i) AddItem(i);
  grid.selectRow(1);
  EXPECT_EQ(items.CurrentRow(), 1u);
  dialogs.QueueAnswer(TMessageAnswer::Ok);
  QTest::keyClick(&grid, Qt::Key_Delete, Qt::ControlModifier);
  ASSERT_EQ(dialogs.Messages().size(), 1u);
  EXPECT_EQ(dialogs.Messages()[0].Text, "Delete record?");
  ASSERT_EQ(items.RecordCount(), 2u);
  EXPECT_EQ(*items.IntegerAt(1, 0), 3);

  // Nothing selected: the current record goes.
  grid.clearSelection();
  items.MoveTo(0);
  dialogs.QueueAnswer(TMessageAnswer::Ok);
  EXPECT_TRUE(grid.DeleteRows());
  EXPECT_EQ(dialogs.Messages().back().Text, "Delete record?");
  ASSERT_EQ(items.RecordCount(), 1u);
  EXPECT_EQ(*items.IntegerAt(0, 0), 3);
}

TEST_F(TableGridTest, AnUntouchedNewRowIsDroppedAndAWrittenOneStays) {
  TTableGrid grid(items, dialogs);
  AddItem(1);
  grid.setCurrentIndex(grid.model()->index(0, 0));
  QTest::keyClick(&grid, Qt::Key_Down);  // below the last row: a new row
  EXPECT_EQ(items.State(), TableState::Append);
  EXPECT_EQ(grid.model()->rowCount(), 2);
  EXPECT_EQ(grid.model()->headerData(1, Qt::Vertical).toString(), "*");
  QTest::keyClick(&grid, Qt::Key_Up);  // left untouched
  EXPECT_EQ(items.State(), TableState::Browse);
  EXPECT_EQ(items.RowCount(), 1u);
  EXPECT_EQ(grid.model()->rowCount(), 1);

  QTest::keyClick(&grid, Qt::Key_Down);
  ASSERT_EQ(grid.currentIndex().row(), 1);
  EXPECT_TRUE(grid.model()->setData(grid.model()->index(1, 0), "77"));
  QTest::keyClick(&grid, Qt::Key_Up);
  ASSERT_EQ(items.RecordCount(), 2u);
  EXPECT_EQ(*items.IntegerAt(1, 0), 77);
}

TEST_F(TableGridTest, TypingInACellStoresItAndAnUnchangedEditorWritesNothing) {
  TTableGrid grid(items, dialogs);
  AddItem(1);
  grid.show();
  QApplication::setActiveWindow(&grid);
  grid.setFocus();
  grid.setCurrentIndex(grid.model()->index(0, 1));
  QTest::keyClicks(&grid, "P");  // the first key opens the editor
  auto* editor = grid.viewport()->findChild<QLineEdit*>();
  ASSERT_NE(editor, nullptr);
  QTest::keyClicks(editor, "aine 2");
  QTest::keyClick(editor, Qt::Key_Return);
  QApplication::processEvents();  // the editor commits on a queued call
  EXPECT_EQ(items.TextAt(0, 1), "Paine 2");

  // A new row whose editor was opened and left without typing is still untouched.
  QTest::keyClick(&grid, Qt::Key_Down);
  ASSERT_EQ(items.State(), TableState::Append);
  QTest::keyClick(&grid, Qt::Key_F2);
  editor = grid.viewport()->findChild<QLineEdit*>();
  ASSERT_NE(editor, nullptr);
  QTest::keyClick(editor, Qt::Key_Return);
  QApplication::processEvents();  // the editor commits on a queued call
  EXPECT_EQ(items.State(), TableState::Append);
  QTest::keyClick(&grid, Qt::Key_Up);
  EXPECT_EQ(items.RowCount(), 1u);
}

TEST_F(TableGridTest, TheGridFollowsTheTablesCurrentRecord) {
  TTableGrid grid(items, dialogs);
  for (int i = 1; i <= 3; ++i) AddItem(i);
  items.MoveTo(1);
  EXPECT_EQ(grid.currentIndex().row(), 1);
  grid.setCurrentIndex(grid.model()->index(2, 1));
  EXPECT_EQ(items.CurrentRow(), 2u);
}

TEST_F(TableGridTest, ALoadReachesTheGridAsOneReset) {
  TTableGrid grid(items, dialogs);
  QSignalSpy resets(grid.model(), &QAbstractItemModel::modelReset);
  QSignalSpy inserts(grid.model(), &QAbstractItemModel::rowsInserted);
  std::string file = "\"PLUCode\",\"ItemName\",\r\n";
  for (int i = 0; i < 500; ++i) file += "\"" + std::to_string(i) + "\",\"n\",\r\n";
  LoadTableFromBytes(items, file);
  EXPECT_EQ(resets.count(), 1);
  EXPECT_EQ(inserts.count(), 0);
  EXPECT_EQ(grid.model()->rowCount(), 500);
  EXPECT_EQ(Cell(*grid.Model(), 499, 0), "499");

  grid.SelectAllRows();
  EXPECT_EQ(grid.SelectedRowCount(), 500);
  EmptyTable(items);
  EXPECT_EQ(grid.model()->rowCount(), 0);
  EXPECT_TRUE(grid.SelectedBookmarks().empty());
}

TEST_F(TableGridTest, APriceTypedWithTheOtherSeparatorKeepsItsDecimals) {
  for (const char sep : {'.', ','}) {
    TFloatFieldValidator validator(sep, nullptr);
    QString text = "3,5";
    int pos = 3;
    EXPECT_EQ(validator.validate(text, pos), QValidator::Acceptable) << sep;
    EXPECT_EQ(text, QString("3") + QChar(sep) + "5");
    text = "3.5";
    EXPECT_EQ(validator.validate(text, pos), QValidator::Acceptable) << sep;
    EXPECT_EQ(text, QString("3") + QChar(sep) + "5");
    text = "1.2,3";  // two separators are still refused
    EXPECT_EQ(validator.validate(text, pos), QValidator::Invalid) << sep;
  }
}

}  // namespace
}  // namespace vestok
