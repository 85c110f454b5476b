// The window as a technician meets it: what is highlighted is what the
// selective actions and Ctrl+Delete use, the variant list changes only by a
// deliberate choice, a typed cell value is kept or refused visibly, the status
// bar keeps its panels, and leaving over unsaved work asks first.
#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QPushButton>
#include <QSignalSpy>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QStyleOptionComboBox>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QWheelEvent>

#include "jobs/transfer_job.h"
#include "tables/price_type.h"
#include "transfer_test_support.h"
#include "ui/cell_validators.h"
#include "ui/quick_search.h"
#include "ui/settings_page.h"
#include "ui/status_panels.h"
#include "ui/table_grid.h"
#include "ui/table_model.h"

namespace vestok {
namespace {

class WindowTrustTest : public test::WindowTransferTest {
 protected:
  DocumentTable& Items() { return *window->Tables()[tkItems]; }
  TTableGrid* Grid() { return window->Grids()[tkItems]; }
  // Items with PLU codes 1 .. count, named "Art n".
  void AddItems(int count) {
    for (int i = 1; i <= count; ++i) {
      Items().Append();
      Items().SetInteger("PLUCode", i);
      Items().SetText("ItemName", "Art " + std::to_string(i));
      Items().Post();
    }
  }
  void ClickRow(int row) {
    const QRect cell = Grid()->visualRect(Grid()->model()->index(row, 1));
    QTest::mouseClick(Grid()->viewport(), Qt::LeftButton, {}, cell.center());
  }
  std::vector<std::size_t> SelectedRows() {
    std::vector<std::size_t> rows;
    for (Bookmark b : Grid()->SelectedBookmarks()) rows.push_back(Items().RowOfBookmark(b));
    return rows;
  }
  void SearchPlu(const QString& plu) {
    window->aPLUCodeFocus->trigger();
    QTest::keyClicks(window->SearchPanels()[tkItems]->Box(1), plu);
  }
};

TEST_F(WindowTrustTest, TheHighlightedRowsAreWhatTheSelectiveActionsAndCtrlDeleteUse) {
  StartSim({}, false);
  ShowWindow();
  AddItems(20);
  Grid()->setFocus();
  // A click on row 4, then a quick search for the item of row 12: only row 12
  // is highlighted, and the upload sends exactly that item.
  ClickRow(3);
  EXPECT_EQ(SelectedRows(), (std::vector<std::size_t>{3}));
  SearchPlu("12");
  ASSERT_EQ(Items().CurrentRow(), 11u);
  EXPECT_EQ(SelectedRows(), (std::vector<std::size_t>{11}));
  RunConfirmed(window->aExportSel);
  ASSERT_EQ(Commands().size(), 1u);
  EXPECT_EQ(Commands()[0].rfind("W0;12;", 0), 0u) << Commands()[0];
  // The delete of the selection names the same item.
  sim->ClearTrace();
  SearchPlu("");
  QTest::keyClicks(window->SearchPanels()[tkItems]->Box(1), "12");
  RunConfirmed(window->aDeleteSel);
  ASSERT_EQ(Commands().size(), 1u);
  EXPECT_EQ(Commands()[0], "C0;12;");
  ASSERT_EQ(Items().RecordCount(), 19u);  // and the item leaves the table
  EXPECT_EQ(*Items().IntegerAt(11, 0), 13);

  // Keys: a move selects the row reached; Shift extends on purpose.
  ClickRow(4);
  Grid()->setFocus();
  QTest::keyClick(Grid(), Qt::Key_Down);
  EXPECT_EQ(SelectedRows(), (std::vector<std::size_t>{5}));
  QTest::keyClick(Grid(), Qt::Key_Down, Qt::ShiftModifier);
  EXPECT_EQ(SelectedRows(), (std::vector<std::size_t>{5, 6}));
  // Select all, then a search: the found row alone.
  window->aSelAll->trigger();
  EXPECT_EQ(Grid()->SelectedBookmarks().size(), 19u);
  window->SearchPanels()[tkItems]->Box(1)->clear();
  QTest::keyClicks(window->SearchPanels()[tkItems]->Box(1), "0");  // nothing matches 0: refused
  window->SearchPanels()[tkItems]->Box(1)->setFocus();
  QTest::keyClick(window->SearchPanels()[tkItems]->Box(1), Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(window->SearchPanels()[tkItems]->Box(1), "20");
  EXPECT_EQ(SelectedRows(), (std::vector<std::size_t>{18}));
  // Ctrl+Delete removes the highlighted row, the one found.
  dialogs.QueueAnswer(TMessageAnswer::Ok);
  QTest::keyClick(Grid(), Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(Items().RecordCount(), 18u);
  for (std::size_t r = 0; r < Items().RecordCount(); ++r) EXPECT_NE(*Items().IntegerAt(r, 0), 20);
}

TEST_F(WindowTrustTest, ASearchMovesTheAnchorOfShiftAndLandsOnOneRow) {
  StartSim({}, false);
  ShowWindow();
  AddItems(40);
  TQuickSearchPanel* strip = window->SearchPanels()[tkItems];
  auto closeStrip = [&] {
    strip->Button()->click();
    Grid()->setFocus();
  };
  // Click row 2, search row 32, close the strip, Shift+Up: rows 31 and 32.
  ClickRow(1);
  SearchPlu("32");
  closeStrip();
  QTest::keyClick(Grid(), Qt::Key_Up, Qt::ShiftModifier);
  EXPECT_EQ(SelectedRows(), (std::vector<std::size_t>{30, 31}));
  // Shift+Down after a search extends from the row found.
  ClickRow(1);
  SearchPlu("10");
  closeStrip();
  QTest::keyClick(Grid(), Qt::Key_Down, Qt::ShiftModifier);
  EXPECT_EQ(SelectedRows(), (std::vector<std::size_t>{9, 10}));
  // Shift+click too.
  ClickRow(1);
  SearchPlu("5");
  closeStrip();
  const QRect cell = Grid()->visualRect(Grid()->model()->index(7, 1));
  QTest::mouseClick(Grid()->viewport(), Qt::LeftButton, Qt::ShiftModifier, cell.center());
  EXPECT_EQ(SelectedRows(), (std::vector<std::size_t>{4, 5, 6, 7}));
  // Select all, then a search that lands on the current row: that row alone.
  ClickRow(2);
  window->aSelAll->trigger();
  ASSERT_EQ(SelectedRows().size(), 40u);
  SearchPlu("3");
  EXPECT_EQ(SelectedRows(), (std::vector<std::size_t>{2}));
  closeStrip();
  // What is highlighted is what goes.
  QTest::keyClick(Grid(), Qt::Key_Down, Qt::ShiftModifier);
  RunConfirmed(window->aExportSel);
  EXPECT_EQ(Commands().size(), 2u);
  for (const std::string& command : Commands()) EXPECT_TRUE(command.rfind("W0;3;", 0) == 0 || command.rfind("W0;4;", 0) == 0) << command;
}

TEST_F(WindowTrustTest, TabLeavesTheSearchStrip) {
  ShowWindow();
  AddItems(3);
  TQuickSearchPanel* strip = window->SearchPanels()[tkItems];
  window->aBarcodeFocus->trigger();
  ASSERT_TRUE(strip->Box(3)->hasFocus());
  QTest::keyClick(strip->Box(3), Qt::Key_Tab);
  EXPECT_TRUE(Grid()->hasFocus()) << "Tab out of the last box goes to the grid";
  strip->Box(1)->setFocus();
  QTest::keyClick(strip->Box(1), Qt::Key_Tab);
  EXPECT_TRUE(strip->Box(2)->hasFocus());
  QTest::keyClick(strip->Box(2), Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_TRUE(strip->Box(1)->hasFocus());
  QTest::keyClick(strip->Box(1), Qt::Key_Backtab, Qt::ShiftModifier);
  EXPECT_TRUE(Grid()->hasFocus()) << "Shift+Tab out of the first box too";
}

TEST_F(WindowTrustTest, TheVariantListChangesOnlyByADeliberateChoice) {
  ShowWindow();
  QComboBox* list = window->cbProtocol;
  EXPECT_FALSE(list->focusPolicy() & Qt::TabFocus);
  list->setFocus();
  QTest::keyClick(list, Qt::Key_Down);
  QTest::keyClick(list, Qt::Key_End);
  QTest::keyClicks(list, "S");
  QWheelEvent wheel(QPointF(5, 5), list->mapToGlobal(QPointF(5, 5)), {}, QPoint(0, -120), Qt::NoButton, {},
                    Qt::NoScrollPhase, false);
  QApplication::sendEvent(list, &wheel);
  EXPECT_EQ(list->currentIndex(), 0);
  // Opened, the list is chosen from as usual.
  QTest::keyClick(list, Qt::Key_Space);
  ASSERT_TRUE(list->view()->isVisible());
  QTest::keyClick(list->view(), Qt::Key_Down);
  QTest::keyClick(list->view(), Qt::Key_Return);
  EXPECT_EQ(list->currentIndex(), 1);
}

TEST_F(WindowTrustTest, CellEditorsKeepWhatIsTypedOrRefuseIt) {
  ShowWindow();
  AddItems(1);
  // "Tip pret": typing picks the choice, letter case ignored; a key matching
  // none is refused and the choice stays.
  TTableModel* model = Grid()->Model();
  const int priceColumn = model->ColumnOfField(Items().FieldIndex("PriceType"));
  auto typePrice = [&](const QString& keys) {
    Grid()->setCurrentIndex(model->index(0, priceColumn));
    Grid()->edit(model->index(0, priceColumn));
    auto* editor = Grid()->findChild<TPriceTypeEditor*>();
    EXPECT_NE(editor, nullptr);
    if (editor == nullptr) return -1;
    QTest::keyClicks(editor->lineEdit(), keys);
    Grid()->FinishEditing();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);  // the closed editor goes
    return *Items().IntegerAt(0, Items().FieldIndex("PriceType"));
  };
  EXPECT_EQ(typePrice("Liber"), 1);
  EXPECT_EQ(typePrice("liber m"), 2);
  EXPECT_EQ(typePrice("fx"), 0);  // "x" refused after "f" picked "Fix"
  EXPECT_EQ(PriceTypeChoice("LIBER "), 2);
  EXPECT_EQ(PriceTypeChoice("q"), -1);

  int pos = 0;
  TIntegerFieldValidator integer;
  for (QString ok : {"2147483647", "-2147483648", " 12 ", "-"}) EXPECT_NE(integer.validate(ok, pos), QValidator::Invalid) << ok.toStdString();
  for (QString bad : {"2147483648", "-2147483649", "9999999999", "1a"}) EXPECT_EQ(integer.validate(bad, pos), QValidator::Invalid) << bad.toStdString();
  TTextFieldValidator text(20, nullptr);
  for (QString bad : {QString("a;b"), QString("a\rb"), QString("a\nb"), QString("a") + QChar(0x06), QString(QChar(0x11)), QString(QChar(0x13)),
                      QString(21, 'x'), QString("a\tb"), QString::fromUtf8("Paine \xD0\xAF"), QString::fromUtf8("\xE2\x82\xAC\xF0\x9F\x98\x80")})
    EXPECT_EQ(text.validate(bad, pos), QValidator::Invalid) << bad.toStdString();
  QString fine(20, QChar(0xE2));
  EXPECT_EQ(text.validate(fine, pos), QValidator::Acceptable);
  // The comma-below letters go as the cedilla ones; the euro sign and "?" are in the code page.
  QString romanian = QString::fromUtf8("\xC8\x99\xC8\x9B\xC8\x98\xC8\x9A\xC5\x9F \xE2\x82\xAC?");
  EXPECT_EQ(text.validate(romanian, pos), QValidator::Acceptable);

  // A name longer than what the register keeps is marked, its tooltip shows what goes.
  const int nameColumn = model->ColumnOfField(Items().FieldIndex("ItemName"));
  EXPECT_FALSE(model->index(0, nameColumn).data(Qt::ToolTipRole).isValid());
  Items().SetTextAt(0, Items().FieldIndex("ItemName"), "Ciocolata neagra amaruie 100g");
  EXPECT_TRUE(model->index(0, nameColumn).data(Qt::BackgroundRole).isValid());
  EXPECT_TRUE(model->index(0, nameColumn).data(Qt::ToolTipRole).toString().contains("\"Ciocolata neagra ama\""));

  // Ctrl+X, C and V in a cell editor act on its text, not on the window.
  Grid()->setCurrentIndex(model->index(0, nameColumn));
  Grid()->edit(model->index(0, nameColumn));
  auto* editor = Grid()->findChild<QLineEdit*>(QString(), Qt::FindDirectChildrenOnly);
  if (editor == nullptr)
    for (QLineEdit* e : Grid()->viewport()->findChildren<QLineEdit*>()) editor = e;
  ASSERT_NE(editor, nullptr);
  editor->selectAll();
  QTest::keyClick(editor, Qt::Key_X, Qt::ControlModifier);
  EXPECT_TRUE(window->isVisible());
  EXPECT_TRUE(dialogs.Messages().empty());
  EXPECT_TRUE(editor->text().isEmpty());
  QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(editor->text(), "Ciocolata neagra amaruie 100g");
  // A character the register's code page lacks is refused at typing and at
  // paste (a beep), and the text stays as it was.
  QSignalSpy refused(editor, &QLineEdit::inputRejected);
  editor->setText("Paine");
  editor->end(false);
  auto typeChar = [&](const QString& character) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, character);
    QApplication::sendEvent(editor, &press);
  };
  typeChar(QString::fromUtf8("\xD0\xAF"));
  QApplication::clipboard()->setText(QString::fromUtf8("x\ty"));
  QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(editor->text(), "Paine");
  EXPECT_EQ(refused.count(), 2);
  typeChar(QStringLiteral(" "));
  typeChar(QString::fromUtf8("\xC8\x99"));
  EXPECT_EQ(editor->text(), QString::fromUtf8("Paine \xC8\x99"));
}

TEST_F(WindowTrustTest, TheStatusBarKeepsItsPanelsAndTheirTextsWhole) {
  ShowWindow();
  auto* p0 = window->StatusBar->findChild<TStatusPanel*>("StatusPanel0");
  auto* p1 = window->StatusBar->findChild<TStatusPanel*>("StatusPanel1");
  auto* p2 = window->StatusBar->findChild<TStatusPanel*>("StatusPanel2");
  ASSERT_TRUE(p0 && p1 && p2);
  QApplication::processEvents();
  for (const QString& text : TfMain::StatusPanelOneTexts())
    EXPECT_LE(p1->fontMetrics().horizontalAdvance(text), p1->contentsRect().width()) << text.toStdString();
  const QString stopped = QString::fromStdString(StoppedByUserLine(32));
  EXPECT_LE(p2->fontMetrics().horizontalAdvance(stopped), p2->contentsRect().width());
  EXPECT_LE(p0->width(), 300);
  EXPECT_GE(p1->width(), 200);
  EXPECT_GT(p0->width(), 100);
  EXPECT_LE(p0->width() + p1->width() + p2->width(), 800);
  // A longer verdict widens panel 1 so that it reads whole; panel 0 gives way.
  const QString verdict = "Descarcare pentru comparare incheiata fara erori";
  window->SetStatusText(1, verdict);
  QApplication::processEvents();
  EXPECT_LE(p1->fontMetrics().horizontalAdvance(verdict), p1->contentsRect().width());
  EXPECT_LE(p0->width() + p1->width() + p2->width(), 800);
  EXPECT_GE(p2->width(), p2->minimumWidth());

  // A hint over the toolbar leaves the panels as they were.
  window->SetStatusText(1, "Salvare fisier terminata cu succes.");
  QStatusTipEvent tip("Incarca toate inregistrarile in casa de marcat");
  QApplication::sendEvent(window->ToolBar, &tip);
  EXPECT_TRUE(window->StatusBar->currentMessage().isEmpty());
  EXPECT_EQ(window->StatusText(1), "Salvare fisier terminata cu succes.");

  // A long path: cut in the middle, the file name whole, the path in the tooltip.
  const QString path = "/home/tehnician/clienti/magazin-central/casa-de-marcat-2/programare/articole-2026.csv";
  window->SetStatusText(0, path);
  EXPECT_EQ(window->StatusText(0), path);
  EXPECT_EQ(p0->toolTip(), path);
  EXPECT_TRUE(p0->ShownText().endsWith("-2026.csv")) << p0->ShownText().toStdString();
  EXPECT_LT(p0->ShownText().size(), path.size());
}

TEST_F(WindowTrustTest, AJobShowsTheRowsAsTheyWereAndStopSaysSo) {
  TRegisterFaults slow;
  slow.ReplyDelayMs = 15;
  StartSim(slow);
  ShowWindow();
  AddItems(5);
  QApplication::processEvents();
  dialogs.QueueAnswer(TMessageAnswer::Yes);
  window->aExportAll->trigger();
  ASSERT_TRUE(test::ServeUntil([] { return OperationLog->Lines().size() >= 3; }));
  ASSERT_NE(Grid()->FrozenRows(), nullptr);
  EXPECT_TRUE(Grid()->FrozenRows()->isVisible());
  EXPECT_FALSE(Grid()->FrozenRows()->pixmap().isNull());
  window->aStop->trigger();
  ASSERT_TRUE(test::ServeUntil([this] { return !window->JobRunning(); }));
  EXPECT_FALSE(Grid()->FrozenRows()->isVisible());
  const auto lines = LogLines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[lines.size() - 2].rfind("Operatie oprita de utilizator dupa ", 0), 0u);
  EXPECT_EQ(window->StatusText(1), "Incarcare articole incheiata fara erori");
  EXPECT_EQ(window->StatusText(2).toStdString(), lines[lines.size() - 2]);
}

TEST_F(WindowTrustTest, EveryCaptionAndColumnTitleIsWholeAt800By600) {
  ShowWindow();
  window->resize(800, 600);
  QApplication::processEvents();
  QWidget* frame = window->findChild<QWidget*>("pcMainCaptions");
  ASSERT_NE(frame, nullptr);
  for (auto* caption : frame->findChildren<QToolButton*>()) {
    EXPECT_LE(caption->geometry().right(), frame->width()) << caption->text().toStdString();
    EXPECT_LE(caption->geometry().bottom(), frame->height()) << caption->text().toStdString();
    EXPECT_GE(caption->width(), caption->sizeHint().width());
  }
  for (TableKind kind : {tkItems, tkOperators, tkHeadFoot}) {
    window->ShowTablePage(kind);
    QApplication::processEvents();
    TTableGrid* grid = window->Grids()[kind];
    QHeaderView* header = grid->horizontalHeader();
    int total = 0;
    for (int c = 0; c < header->count(); ++c) {
      const QString title = grid->model()->headerData(c, Qt::Horizontal).toString();
      EXPECT_GE(header->sectionSize(c), grid->fontMetrics().horizontalAdvance(title)) << title.toStdString();
      total += header->sectionSize(c);
    }
    if (kind == tkItems) {
      EXPECT_LE(total, grid->viewport()->width());
    }
    // An integer column shows the widest value it can hold, not "2147...".
    for (int c = 0; c < header->count(); ++c) {
      const FieldDef& def = grid->Table().Fields()[std::size_t(grid->Model()->FieldOfColumn(c))];
      if (def.type != FieldType::Integer || grid->Model()->IsPriceTypeColumn(c)) continue;
      EXPECT_GT(header->sectionSize(c), grid->fontMetrics().horizontalAdvance("-2147483648") + 6) << def.name;
    }
  }
  // A header line of 40 characters shows whole.
  TTableGrid* head = window->Grids()[tkHeadFoot];
  EXPECT_GE(head->columnWidth(1), head->fontMetrics().horizontalAdvance(QString(40, 'a')));
}

TEST_F(WindowTrustTest, TheSettingsPageShowsEveryCaptionAndChoiceWholeAt800By600) {
  ShowWindow();
  window->resize(800, 600);
  window->ShowTablePage(tkSettings);
  QApplication::processEvents();
  TSettingsPage* page = window->SettingsPage();
  // Every caption shows all of its text, inside the page.
  for (auto* caption : page->findChildren<QLabel*>()) {
    const int needed = caption->wordWrap() ? caption->heightForWidth(caption->width()) : caption->sizeHint().height();
    EXPECT_GE(caption->height(), needed) << caption->text().toStdString();
    if (!caption->wordWrap()) {
      EXPECT_GE(caption->width(), caption->sizeHint().width()) << caption->text().toStdString();
    }
    EXPECT_LT(caption->geometry().right(), page->dbeLogicalNo->geometry().left()) << caption->text().toStdString();
  }
  QRect previous;
  for (int tag = 1; tag <= TSettingsPage::kTagCount; ++tag) {
    QComboBox* list = page->SettingsCombos[std::size_t(tag)];
    QLineEdit* box = page->SettingsEdits[std::size_t(tag)];
    // The closed list has room for its longest choice.
    QStyleOptionComboBox option;
    option.initFrom(list);
    option.editable = false;
    const QRect field = list->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, list);
    for (int i = 0; i < list->count(); ++i)
      EXPECT_GE(field.width(), list->fontMetrics().horizontalAdvance(list->itemText(i)))
          << "Tag " << tag << ": " << list->itemText(i).toStdString();
    EXPECT_LE(list->geometry().right(), page->width()) << "Tag " << tag;
    // Rows stand below one another, the box beside its list.
    const QRect row = box->geometry().united(list->geometry());
    EXPECT_GE(row.top(), previous.bottom()) << "Tag " << tag;
    EXPECT_LT(box->geometry().right(), list->geometry().left());
    previous = row;
  }
  // And the last row is on screen, below the box of the logical number.
  const QWidget* shown = window->TablePage(tkSettings);
  EXPECT_LE(page->mapTo(shown, previous.bottomLeft()).y(), shown->height());
  EXPECT_GT(previous.top(), page->dbeLogicalNo->geometry().bottom());
}

}  // namespace
}  // namespace vestok
