#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include "pages_test_app.h"
#include "ui/quick_search.h"

using namespace vestok;

namespace {

void AddItem(DocumentTable& t, int plu, const std::string& name, const std::string& barcode = "") {
  t.Append();
  t.SetInteger("PLUCode", plu);
  t.SetText("ItemName", name);
  if (!barcode.empty()) t.SetText("Barcode", barcode);
  t.Post();
}

// A strip above a stand-in for the grid, as a page holds them.
class QuickSearchTest : public ::testing::Test {
 protected:
  void Build(TableKind kind) {
    pages_test::EnsureApplication();
    table = pages_test::OpenTable(kind);
    page = std::make_unique<QWidget>();
    auto* layout = new QVBoxLayout(page.get());
    panel = new TQuickSearchPanel(kind, *table, nullptr, page.get());
    layout->addWidget(panel);
    below = new QWidget(page.get());
    layout->addWidget(below, 1);
    page->resize(600, 300);
    page->show();
  }

  std::size_t Current() const { return table->CurrentRow(); }

  std::unique_ptr<DocumentTable> table;
  std::unique_ptr<QWidget> page;
  TQuickSearchPanel* panel = nullptr;
  QWidget* below = nullptr;
};

TEST_F(QuickSearchTest, StripsCarryTheirNamesLabelsAndBoxes) {
  Build(tkItems);
  EXPECT_EQ(panel->objectName(), "pItemsSearch");
  EXPECT_EQ(panel->Button()->objectName(), "btSearchItems");
  EXPECT_EQ(panel->Button()->text(), ">>");
  EXPECT_EQ(panel->height(), 25);
  EXPECT_EQ(panel->Button()->size(), QSize(27, 17));
  EXPECT_EQ(panel->Button()->y(), 4);
  EXPECT_EQ(panel->Button()->geometry().right() + 1 + 4, panel->width()) << "kept against the right edge";
  ASSERT_NE(panel->findChild<QLabel*>(), nullptr);
  EXPECT_EQ(panel->findChildren<QLabel*>().front()->text(), "Cautare rapida");

  const char* names[] = {"dbsItemsPLU", "dbsItemsName", "dbsItemsBarcode"};
  const char* labels[] = {"Cod PLU [F1]", "Denumire articol [F2]", "Cod bare [F3]"};
  const char* fields[] = {"PLUCode", "ItemName", "Barcode"};
  for (int k = 1; k <= 3; ++k) {
    ASSERT_NE(panel->Box(k), nullptr);
    EXPECT_EQ(panel->Box(k)->objectName(), names[k - 1]);
    EXPECT_EQ(panel->BoxLabel(k)->text(), labels[k - 1]);
    EXPECT_EQ(panel->Box(k)->Field(), table->FieldIndex(fields[k - 1]));
    EXPECT_EQ(panel->Box(k)->y(), 47);
    EXPECT_EQ(panel->Box(k)->height(), 21);
    EXPECT_EQ(panel->BoxLabel(k)->y(), 32);
  }
  EXPECT_GT(panel->Box(1)->geometry().top(), 25) << "a collapsed strip hides its boxes";
  EXPECT_LE(panel->Box(1)->geometry().bottom(), 75) << "an open one shows them";

  const std::pair<TableKind, const char*> others[] = {{tkItemSales, "dbsItemSalesPLU"},
                                                      {tkGroupSales, "dbsGroupSalesGroup"},
                                                      {tkStandSales, "dbsStandSalesStand"},
                                                      {tkOperators, "dbsOperatorsNo"}};
  for (const auto& [kind, first] : others) {
    auto t = pages_test::OpenTable(kind);
    TQuickSearchPanel strip(kind, *t);
    EXPECT_EQ(strip.Box(1)->objectName(), first);
  }
  auto operators = pages_test::OpenTable(tkOperators);
  TQuickSearchPanel strip(tkOperators, *operators);
  EXPECT_EQ(strip.BoxLabel(2)->text(), "Nume operator [F2]");
  EXPECT_EQ(strip.Box(3), nullptr);
  for (TableKind kind = tkPayType; kind <= tkSettings; ++kind) EXPECT_FALSE(TQuickSearchPanel::HasPanel(kind));
}

TEST_F(QuickSearchTest, TheButtonOpensAndClosesTheStripIn51Steps) {
  Build(tkItemSales);
  QSignalSpy steps(panel, &TQuickSearchPanel::heightStepped);
  const int gridHeight = below->height();
  panel->Button()->click();
  ASSERT_EQ(steps.size(), 51);
  EXPECT_EQ(steps.front().at(0).toInt(), 25);
  EXPECT_EQ(steps.back().at(0).toInt(), 75);
  EXPECT_EQ(panel->height(), 75);
  EXPECT_EQ(panel->Button()->text(), "<<");
  QApplication::processEvents();
  EXPECT_EQ(below->height(), gridHeight - 50) << "the grid below gives up the room";

  steps.clear();
  panel->Button()->click();
  ASSERT_EQ(steps.size(), 51);
  EXPECT_EQ(steps.back().at(0).toInt(), 25);
  EXPECT_EQ(panel->height(), 25);
  EXPECT_EQ(panel->Button()->text(), ">>");
}

TEST_F(QuickSearchTest, KeysActOnlyOnACollapsedStripAndOnlyOnBoxesItHas) {
  Build(tkItems);
  panel->Box(1)->setText("17");
  EXPECT_TRUE(FocusExecute(panel, 1));
  EXPECT_TRUE(panel->IsOpen());
  EXPECT_EQ(panel->height(), 75);
  EXPECT_EQ(panel->Box(1)->selectedText(), "17");

  QSignalSpy steps(panel, &TQuickSearchPanel::heightStepped);
  EXPECT_FALSE(FocusExecute(panel, 1)) << "F1 on an open strip does nothing";
  EXPECT_FALSE(FocusExecute(panel, 2));
  EXPECT_EQ(steps.size(), 0);
  EXPECT_EQ(panel->height(), 75);

  EXPECT_FALSE(FocusExecute(nullptr, 1)) << "a page without a strip";
}

TEST_F(QuickSearchTest, AKeyForABoxTheStripLacksLeavesItCollapsed) {
  Build(tkItemSales);
  QSignalSpy steps(panel, &TQuickSearchPanel::heightStepped);
  EXPECT_FALSE(FocusExecute(panel, 2));
  EXPECT_FALSE(FocusExecute(panel, 3));
  EXPECT_EQ(steps.size(), 0);
  EXPECT_FALSE(panel->IsOpen());
  EXPECT_EQ(panel->height(), 25);
}

TEST_F(QuickSearchTest, TextSearchFindsTheFirstPrefixIgnoringCase) {
  Build(tkItems);
  AddItem(*table, 1, "Zahar");
  AddItem(*table, 2, "Paine");
  AddItem(*table, 3, "paine alba");
  table->First();
  TSearchBox* box = panel->Box(2);

  QTest::keyClicks(box, "p");
  EXPECT_EQ(Current(), 1u);
  EXPECT_EQ(box->text(), "Paine");
  EXPECT_EQ(box->selectedText(), "aine");

  QTest::keyClicks(box, "AINE ");
  EXPECT_EQ(Current(), 2u);
  EXPECT_EQ(box->text(), "paine alba");
  EXPECT_EQ(box->selectedText(), "alba");

  // Backspace over the completed part takes back the last typed letter.
  QTest::keyClick(box, Qt::Key_Backspace);
  EXPECT_EQ(box->text(), "Paine");
  EXPECT_EQ(Current(), 1u);

  // An emptied box goes to the first record.
  box->selectAll();
  QTest::keyClick(box, Qt::Key_Delete);
  EXPECT_EQ(box->text(), "");
  EXPECT_EQ(Current(), 0u);
}

TEST_F(QuickSearchTest, AccentedLettersFoldCaseButMustMatchAsTyped) {
  Build(tkItems);
  AddItem(*table, 1, "Sare");
  AddItem(*table, 2, "\xAA" "tefan");  // Windows-1250: capital S with cedilla
  TSearchBox* box = panel->Box(2);
  EXPECT_TRUE(box->ApplyTyped(QString::fromUtf8("\xC5\x9F")));  // small s with cedilla
  EXPECT_EQ(Current(), 1u);
  EXPECT_EQ(box->text(), QString::fromUtf8("\xC5\x9E" "tefan"));
  EXPECT_TRUE(box->ApplyTyped("st") == false) << "plain s does not match the accented letter";
  EXPECT_EQ(Current(), 1u);
}

TEST_F(QuickSearchTest, ANumberBoxAcceptsADigitOnlyWhenSomeRecordHasThatNumber) {
  Build(tkItems);
  AddItem(*table, 5, "a");
  AddItem(*table, 12, "b");
  table->Last();
  TSearchBox* box = panel->Box(1);
  QSignalSpy refused(box, &TSearchBox::refused);

  QTest::keyClicks(box, "1");
  EXPECT_EQ(refused.size(), 1);
  EXPECT_EQ(box->text(), "");
  EXPECT_EQ(Current(), 1u) << "the current record stays";

  QTest::keyClicks(box, "5");
  EXPECT_EQ(refused.size(), 1);
  EXPECT_EQ(Current(), 0u);
  EXPECT_EQ(box->text(), "5");

  QTest::keyClicks(box, "x");
  EXPECT_EQ(refused.size(), 2) << "a character that makes no number is refused";
  EXPECT_EQ(box->text(), "5");
}

TEST_F(QuickSearchTest, TypingIntoAnEmptyTableIsRefused) {
  Build(tkOperators);
  QSignalSpy refused(panel->Box(2), &TSearchBox::refused);
  QTest::keyClicks(panel->Box(2), "a");
  EXPECT_EQ(refused.size(), 1);
  EXPECT_EQ(panel->Box(2)->text(), "");
}

TEST_F(QuickSearchTest, ArrowKeysOpenAListOverTheTableAndMoveThroughIt) {
  Build(tkItems);
  for (int i = 1; i <= 30; ++i) AddItem(*table, i, "item " + std::to_string(i), "590" + std::to_string(i));
  table->MoveTo(3);
  TSearchBox* box = panel->Box(3);
  box->setFocus();
  QTest::keyClick(box, Qt::Key_Down);
  ASSERT_TRUE(box->ListOpen());
  EXPECT_EQ(Current(), 3u) << "opening the list does not move";
  TSearchList* list = box->List();
  EXPECT_EQ(list->width(), 131);
  EXPECT_EQ(list->model()->rowCount(), 30);
  EXPECT_EQ(list->currentIndex().row(), 3);
  EXPECT_LT(list->findChildren<QWidget*>().size(), 10) << "no widget per row";

  QTest::keyClick(list, Qt::Key_Down);
  EXPECT_EQ(Current(), 4u);
  EXPECT_EQ(box->text(), "5905");
  QTest::keyClick(list, Qt::Key_PageDown);
  EXPECT_GT(Current(), 4u);
  const std::size_t reached = Current();
  QTest::keyClick(list, Qt::Key_Escape);
  EXPECT_FALSE(box->ListOpen());
  EXPECT_EQ(Current(), reached);
  EXPECT_EQ(box->text(), QString::fromStdString(table->TextAt(reached, table->FieldIndex("Barcode"))));
}

}  // namespace
