// The main window's structure, its rule table and its page bookkeeping.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QToolBar>
#include <QWidgetAction>

#include "program_version.h"
#include "support/window_state_for_tests.h"
#include "ui/main_window.h"
#include "ui/window_state.h"
#include "ui/quick_search.h"
#include "ui/settings_page.h"
#include "ui/table_grid.h"
#include "ui_test_support.h"

namespace vestok {
namespace {

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::EnsureApplication();
    window = std::make_unique<TfMain>(nullptr, &dialogs);
    window->show();
  }
  void TearDown() override { window.reset(); }

  QAction* Action(const char* name) const { return window->findChild<QAction*>(name); }

  TScriptedDialogs dialogs;
  std::unique_ptr<TfMain> window;
};

TEST_F(MainWindowTest, WindowHasItsCaptionSizeAndStartsOnTheItemsPage) {
  EXPECT_EQ(window->objectName(), "fMain");
  EXPECT_EQ(window->windowTitle(), "Vestok ver. " VESTOK_VERSION " by Quorlan Engineering for Selvara Exim");
  EXPECT_EQ(window->size(), QSize(800, 600));
  EXPECT_EQ(window->minimumWidth(), 130);
  EXPECT_EQ(window->CurrentTableKind(), 0);
  EXPECT_EQ(window->cbProtocol->currentIndex(), 0);
  EXPECT_EQ(window->StatusText(0), "<Nu exista fisier curent>");
  for (int kind = 0; kind < 10; ++kind) EXPECT_EQ(CurrentFileName[std::size_t(kind)], "<Nu exista fisier curent>");
  for (int kind = 0; kind < 10; ++kind) EXPECT_TRUE(window->Tables()[std::size_t(kind)]->IsOpen()) << kind;
}

TEST_F(MainWindowTest, EveryActionHasItsNameCaptionHintAndShortcut) {
  struct Row {
    const char *name, *caption, *hint, *shortcut;
  };
  const Row rows[] = {
      {"aFileNew", "&Nou", "Deschide un fisier nou (gol)", "Ctrl+N"},
      {"aFileOpen", "&Deschide...", "Deschide un fisier existent", "Ctrl+D"},
      {"aFileSave", "&Salveaza", "Salveaza fisierul curent", "Ctrl+S"},
      {"aFileSaveAs", "S&alveaza ca...", "Salveaza fisierul curent cu un alt nume", ""},
      {"aFilePrint", "&Tipareste", "", "Ctrl+P"},
      {"aFileExit", "&Iesire", "Iesire din Vestok", "Ctrl+X"},
      {"aSettingsPCCommunication", "&Comunicatie PC...", "Seteaza parametrii de comunicatie ai calculatorului", ""},
      {"aSettingsDetectECRs", "&Selectare / detectare case...", "Detecteaza casele de marcat conectate la calculator", ""},
      {"aHelpUserManual", "&Manual utilizator", "Deschide manualul utilizatorului Vestok", "Ctrl+F1"},
      {"aHelpAbout", "&Autor...", "Informatii despre producatorul programului", ""},
      {"aImportAll", "Descarca tot", "Descarca toate inregistrarile din casa de marcat", ""},
      {"aImportSel", "Descarca selectie", "Descarca selectiv inregistrarile din casa de marcat", ""},
      {"aExportAll", "Incarca tot", "Incarca toate inregistrarile in casa de marcat", ""},
      {"aExportSel", "", "Incarca selectiv inregistrarile in casa de marcat", ""},
      {"aDeleteAll", "Sterge tot", "Sterge toate inregistrarile", ""},
      {"aDeleteSel", "Sterge selectie", "Sterge inregistrarile selectate", ""},
      {"aLog", "", "Log ultima operatie", ""},
      {"aStop", "Stop", "Opreste operatia curenta", ""},
      {"aSelAll", "Select All", "", "Ctrl+A"},
      {"aPLUCodeFocus", "", "", "F1"},
      {"aNameFocus", "", "", "F2"},
      {"aBarcodeFocus", "", "", "F3"},
  };
  ASSERT_EQ(window->ActionList.size(), qsizetype(std::size(rows)));
  for (std::size_t i = 0; i < std::size(rows); ++i) {
    QAction* a = window->ActionList[qsizetype(i)];
    SCOPED_TRACE(rows[i].name);
    EXPECT_EQ(a->objectName(), rows[i].name);
    EXPECT_EQ(a->text(), rows[i].caption);
    if (*rows[i].hint) {
      EXPECT_EQ(a->toolTip(), rows[i].hint);
    }
    EXPECT_EQ(a->statusTip(), "");  // hints are tooltips, never over the status panels
    EXPECT_EQ(a->shortcut(), QKeySequence(QString::fromLatin1(rows[i].shortcut)));
    EXPECT_EQ(a->isEnabled(), a != window->aStop);
  }
}

TEST_F(MainWindowTest, MenusAndToolbarHoldTheActionsInTheirOrder) {
  const QList<QAction*> menus = window->menuBar()->actions();
  ASSERT_EQ(menus.size(), 4);
  EXPECT_EQ(menus[0]->text(), "&Fisier");
  EXPECT_EQ(menus[1]->text(), "&Setari");
  EXPECT_EQ(menus[2]->text(), "&Casa");
  EXPECT_EQ(menus[3]->text(), "&Help");
  auto names = [](const QList<QAction*>& actions) {
    QStringList out;
    for (QAction* a : actions) out << (a->isSeparator() ? QString("-") : a->objectName());
    return out;
  };
#ifdef VESTOK_HAVE_SHEETS
  EXPECT_EQ(names(menus[0]->menu()->actions()),
            QStringList({"aFileNew", "aFileOpen", "aFileSave", "aFileSaveAs", "aFilePrint", "aSheetImport",
                         "aSheetExport", "-", "aFileExit"}));
#else
  EXPECT_EQ(names(menus[0]->menu()->actions()),
            QStringList({"aFileNew", "aFileOpen", "aFileSave", "aFileSaveAs", "aFilePrint", "-", "aFileExit"}));
#endif
  EXPECT_EQ(names(menus[1]->menu()->actions()), QStringList({"aSettingsPCCommunication", "aSettingsDetectECRs", "aSettingsLineMonitor"}));
  EXPECT_EQ(names(menus[3]->menu()->actions()), QStringList({"aHelpUserManual", "-", "aHelpAbout"}));

  QStringList bar;
  for (QAction* a : window->ToolBar->actions()) {
    if (a->isSeparator()) bar << "-";
    else if (auto* w = qobject_cast<QWidgetAction*>(a)) bar << (w->defaultWidget() ? w->defaultWidget()->objectName() : "?");
    else bar << a->objectName();
  }
  bar.removeAll("");  // the spring that pushes the protocol list to the right
  EXPECT_EQ(bar, QStringList({"aFileNew", "aFileOpen", "aFileSave", "-", "aImportAll", "aImportSel", "aExportAll",
                              "aExportSel", "aDeleteAll", "aDeleteSel", "aLog", "aStop", "cbProtocol", "-",
                              "aFilePrint"}));
  EXPECT_EQ(window->ToolBar->toolButtonStyle(), Qt::ToolButtonIconOnly);
  for (QAction* a : window->ToolBar->actions()) {
    if (!a->isSeparator() && !qobject_cast<QWidgetAction*>(a)) {
      EXPECT_FALSE(a->icon().isNull()) << a->objectName().toStdString();
    }
  }
  EXPECT_EQ(window->cbProtocol->count(), 2);
  EXPECT_EQ(window->cbProtocol->itemText(0), "Seria A");
  EXPECT_EQ(window->cbProtocol->itemText(1), "Standard");
  EXPECT_FALSE(window->cbProtocol->isEditable());
}

TEST_F(MainWindowTest, PageTreeHasItsCaptionsGridsAndStatusPanels) {
  auto captions = [](QTabWidget* t) {
    QStringList out;
    for (int i = 0; i < t->count(); ++i) out << t->tabText(i);
    return out;
  };
  EXPECT_EQ(captions(window->pcMain),
            QStringList({"Gestiune articole si rapoarte vanzari", "Gestiune operatori si mode de lucru",
                         "Configurare bon fiscal", "Configurare parametrii casa de marcat"}));
  EXPECT_EQ(captions(window->pcData), QStringList({"Articole", "Vanzari pe articole", "Vanzari pe grupe articole",
                                                   "Vanzari pe standuri"}));
  EXPECT_EQ(captions(window->pcOperNSetWork), QStringList({"Operatori", "Mijloace de plata", "Reduceri/Majorari"}));
  EXPECT_EQ(captions(window->pcReceiptSettings), QStringList({"Format bon", "Antet bon"}));
  EXPECT_EQ(window->pcMain->widget(3), window->tsECRSettings);
  EXPECT_EQ(window->tsECRSettings->objectName(), "tsECRSettings");

  const char* grids[] = {"dbgItems", "dbgItemSales", "dbgGroupSales", "dbgStandSales", "dbgOperators",
                         "dbgPayTypes", "dbgDisc", "dbgRecFmt", "dbgHeadFoot"};
  for (int kind = 0; kind < 9; ++kind) {
    TTableGrid* grid = window->findChild<TTableGrid*>(grids[kind]);
    ASSERT_NE(grid, nullptr) << grids[kind];
    EXPECT_EQ(window->Grids()[std::size_t(kind)], grid);
    EXPECT_EQ(&grid->Table(), window->Tables()[std::size_t(kind)]);
    EXPECT_EQ(grid->ReadOnly(), kind >= 1 && kind <= 3) << grids[kind];
  }
  EXPECT_EQ(window->Grids()[9], nullptr);
  EXPECT_EQ(window->Tables()[9]->Name(), "tSettings");

  EXPECT_EQ(window->StatusBar->objectName(), "StatusBar");
  auto* p0 = window->StatusBar->findChild<QLabel*>("StatusPanel0");
  auto* p1 = window->StatusBar->findChild<QLabel*>("StatusPanel1");
  auto* p2 = window->StatusBar->findChild<QLabel*>("StatusPanel2");
  ASSERT_TRUE(p0 && p1 && p2);
  // Panel 0 at most 300 pixels, panel 1 at least 200: each wide enough for its
  // texts (the window's own test of the status bar checks them).
  EXPECT_LE(p0->width(), 300);
  EXPECT_GE(p1->width(), 200);
  EXPECT_GT(p2->width(), 100);  // the rest of the bar
}

TEST_F(MainWindowTest, CurrentTableKindFollowsThePageShown) {
  struct Case {
    int page, sub, kind;
  };
  const Case cases[] = {{0, 0, 0}, {0, 1, 1}, {0, 2, 2}, {0, 3, 3}, {1, 0, 4},
                        {1, 1, 5}, {1, 2, 6}, {2, 0, 7}, {2, 1, 8}, {3, 0, 9}};
  QTabWidget* subs[] = {window->pcData, window->pcOperNSetWork, window->pcReceiptSettings};
  for (const Case& c : cases) {
    if (c.page < 3) subs[c.page]->setCurrentIndex(c.sub);
    window->pcMain->setCurrentIndex(c.page);
    EXPECT_EQ(window->CurrentTableKind(), c.kind) << c.page << "/" << c.sub;
  }
  // Changing a sub-page of a page that is not shown does not change the table shown.
  window->pcMain->setCurrentIndex(1);
  window->pcData->setCurrentIndex(2);
  EXPECT_EQ(window->CurrentTableKind(), 6);
  for (int kind = 0; kind < 10; ++kind) {
    window->ShowTablePage(TableKind(kind));
    EXPECT_EQ(window->CurrentTableKind(), kind);
  }
}

// The rule table restated: "AS" both variants, "A" only "Seria A", "-" none.
// Columns: aImportAll aImportSel aExportAll aExportSel aDeleteAll aDeleteSel aFileNew aFileOpen aFileSave.
const char* const kExpectedRules[10][9] = {
    {"AS", "A", "AS", "A", "A", "A", "AS", "AS", "AS"}, {"AS", "A", "-", "-", "-", "-", "-", "-", "AS"},
    {"A", "A", "-", "-", "-", "-", "-", "-", "A"},      {"A", "A", "-", "-", "-", "-", "-", "-", "A"},
    {"AS", "A", "AS", "A", "A", "A", "AS", "AS", "AS"}, {"A", "A", "A", "A", "A", "A", "A", "A", "A"},
    {"AS", "A", "AS", "A", "A", "A", "AS", "AS", "AS"}, {"AS", "A", "AS", "A", "-", "-", "AS", "AS", "AS"},
    {"AS", "A", "AS", "A", "-", "-", "AS", "AS", "AS"}, {"A", "-", "A", "-", "-", "-", "A", "A", "A"},
};
const char* const kRuledActions[9] = {"aImportAll", "aImportSel", "aExportAll", "aExportSel", "aDeleteAll",
                                      "aDeleteSel", "aFileNew",   "aFileOpen",  "aFileSave"};

TEST_F(MainWindowTest, AvailabilityFollowsEveryPageUnderBothVariants) {
  // Both orders of change: page first then variant, and variant first then page.
  for (int variant : {0, 1, 0}) {
    for (int kind : {9, 0, 5, 1, 8, 2, 6, 3, 7, 4}) {
      window->cbProtocol->setCurrentIndex(variant);
      window->ShowTablePage(TableKind(kind));
      for (int a = 0; a < 9; ++a) {
        const std::string cell = kExpectedRules[kind][a];
        const bool expected = cell.find(variant == 0 ? 'A' : 'S') != std::string::npos;
        EXPECT_EQ(Action(kRuledActions[a])->isEnabled(), expected)
            << "page " << kind << " variant " << variant << " " << kRuledActions[a];
      }
      // The actions outside the rules stay as they are.
      EXPECT_TRUE(window->aFileSaveAs->isEnabled());
      EXPECT_TRUE(window->aLog->isEnabled());
      EXPECT_TRUE(window->aSelAll->isEnabled());
      EXPECT_FALSE(window->aStop->isEnabled());
    }
  }
}

TEST_F(MainWindowTest, ChoosingAVariantReappliesTheRulesOfThePageShown) {
  window->ShowTablePage(tkGroupSales);
  EXPECT_TRUE(window->aImportAll->isEnabled());
  window->cbProtocol->setCurrentIndex(1);
  EXPECT_FALSE(window->aImportAll->isEnabled());
  EXPECT_FALSE(window->aImportSel->isEnabled());
  EXPECT_FALSE(window->aFileSave->isEnabled());
  window->cbProtocol->setCurrentIndex(0);
  EXPECT_TRUE(window->aImportAll->isEnabled());
  EXPECT_TRUE(window->aImportSel->isEnabled());
  EXPECT_TRUE(window->aFileSave->isEnabled());
}

TEST_F(MainWindowTest, WhileAJobRunsTheVariantListLeavesTheActionsAlone) {
  window->ShowTablePage(tkItems);
  for (QAction* a : window->ActionList) a->setEnabled(false);  // as a job's start does
  window->aStop->setEnabled(true);
  window->SetJobRunning(true);
  window->cbProtocol->setCurrentIndex(1);
  EXPECT_FALSE(window->aImportAll->isEnabled());
  EXPECT_FALSE(window->aFileOpen->isEnabled());
  // The job's end applies the rules of the variant chosen meanwhile.
  window->SetJobRunning(false);
  EXPECT_TRUE(window->aImportAll->isEnabled());
  EXPECT_FALSE(window->aImportSel->isEnabled());
}

TEST_F(MainWindowTest, StatusPanelZeroShowsTheFileOfTheTableShown) {
  CurrentFileName[tkItems] = "/tmp/articole.csv";
  window->ShowTablePage(tkOperators);
  EXPECT_EQ(window->StatusText(0), "<Nu exista fisier curent>");
  window->ShowTablePage(tkItems);
  EXPECT_EQ(window->StatusText(0), "/tmp/articole.csv");
}

TEST_F(MainWindowTest, UserManualShowsAPlainBox) {
  window->aHelpUserManual->trigger();
  ASSERT_EQ(dialogs.Messages().size(), 1u);
  EXPECT_EQ(dialogs.Messages()[0].Text, "User manual");
  EXPECT_EQ(dialogs.Messages()[0].Kind, TMessageKind::Plain);
  EXPECT_EQ(dialogs.Messages()[0].Buttons, TMessageButtons::Ok);
}

TEST_F(MainWindowTest, LogAndAboutOpenModallyAndCloseAgain) {
  QString seen;
  QStringList texts;
  auto closeModal = [&] {
    QWidget* modal = QApplication::activeModalWidget();
    ASSERT_NE(modal, nullptr);
    seen = modal->objectName();
    for (QLabel* label : modal->findChildren<QLabel*>()) texts << label->text();
    modal->close();
  };
  QTimer::singleShot(0, closeModal);
  window->aLog->trigger();
  EXPECT_EQ(seen, "fLog");

  QTimer::singleShot(0, closeModal);
  window->aHelpAbout->trigger();
  EXPECT_EQ(seen, "fAbout");
  EXPECT_TRUE(texts.join('|').contains(VESTOK_VERSION));
  EXPECT_TRUE(texts.join('|').contains("Quorlan Engineering"));
}

TEST_F(MainWindowTest, PortToolsAndThePrintPreviewOpenModally) {
  QString seen;
  auto closeModal = [&] {
    QWidget* modal = QApplication::activeModalWidget();
    ASSERT_NE(modal, nullptr);
    seen = modal->objectName();
    if (seen.isEmpty()) seen = modal->metaObject()->className();
    modal->close();
  };
  QTimer::singleShot(0, closeModal);
  window->aSettingsPCCommunication->trigger();
  EXPECT_EQ(seen, "fPCCommunication");
  QTimer::singleShot(0, closeModal);
  window->aSettingsDetectECRs->trigger();
  EXPECT_EQ(seen, "fDetectECRs");
  // The item list, also from another page.
  window->ShowTablePage(tkOperators);
  QTimer::singleShot(0, closeModal);
  window->aFilePrint->trigger();
  EXPECT_EQ(seen, "QPrintPreviewDialog");
}

TEST_F(MainWindowTest, SearchStripsAndTheSettingsPageAreInTheirPages) {
  for (TableKind kind = 0; kind < kTableCount; ++kind) {
    EXPECT_EQ(window->SearchPanels()[kind] != nullptr, kind <= tkOperators) << int(kind);
    if (window->SearchPanels()[kind] != nullptr) {
      EXPECT_EQ(window->SearchPanels()[kind]->parentWidget(), window->TablePage(kind)) << int(kind);
    }
  }
  ASSERT_NE(window->SettingsPage(), nullptr);
  EXPECT_EQ(window->SettingsPage()->parentWidget(), window->tsECRSettings);
  EXPECT_EQ(window->aPLUCodeFocus->data().toInt(), 1);
  EXPECT_EQ(window->aNameFocus->data().toInt(), 2);
  EXPECT_EQ(window->aBarcodeFocus->data().toInt(), 3);
  // F2 on the items page opens the strip with the name box in focus; on a
  // page without a strip it does nothing.
  window->activateWindow();
  window->aNameFocus->trigger();
  EXPECT_TRUE(window->SearchPanels()[tkItems]->IsOpen());
  window->ShowTablePage(tkPayType);
  window->aPLUCodeFocus->trigger();
  EXPECT_EQ(window->CurrentTableKind(), tkPayType);
}

TEST_F(MainWindowTest, AtStartTheKeysGoToTheItemsGridNotToTheVariantList) {
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  // An arrow key pressed first thing must not pick "Standard" for the
  // transfers to come.
  EXPECT_EQ(QApplication::focusWidget(), window->Grids()[tkItems]);
  QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : window.get(), Qt::Key_Down);
  EXPECT_EQ(window->cbProtocol->currentIndex(), 0);
}

TEST_F(MainWindowTest, ClosingTheSearchStripGivesTheKeysBackToTheGrid) {
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  DocumentTable& items = *window->Tables()[tkItems];
  for (int plu : {1, 2}) {
    items.Append();
    items.SetInteger("PLUCode", plu);
    items.SetText("ItemName", plu == 1 ? "Paine" : "Lapte");
    items.Post();
  }
  TQuickSearchPanel* strip = window->SearchPanels()[tkItems];
  window->aNameFocus->trigger();
  ASSERT_TRUE(strip->IsOpen());
  ASSERT_EQ(QApplication::focusWidget(), strip->Box(2));
  strip->Button()->click();
  ASSERT_FALSE(strip->IsOpen());
  // The boxes are out of sight: what is typed now goes to the grid, neither
  // searching unseen nor opening a list over the rows.
  EXPECT_EQ(QApplication::focusWidget(), window->Grids()[tkItems]);
  QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : window.get(), Qt::Key_Down);
  for (QWidget* top : QApplication::topLevelWidgets())
    EXPECT_FALSE(top->isVisible() && top != window.get() && top->windowType() == Qt::Popup)
        << top->metaObject()->className();
}

TEST_F(MainWindowTest, AClickOutsideTheSearchListClosesIt) {
  window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
  DocumentTable& items = *window->Tables()[tkItems];
  for (int plu : {1, 2, 3}) {
    items.Append();
    items.SetInteger("PLUCode", plu);
    items.SetText("ItemName", "Articol " + std::to_string(plu));
    items.Post();
  }
  window->aNameFocus->trigger();
  TSearchBox* box = window->SearchPanels()[tkItems]->Box(2);
  ASSERT_EQ(QApplication::focusWidget(), box);
  QTest::keyClick(box, Qt::Key_Down);
  QWidget* list = QApplication::activePopupWidget();
  ASSERT_NE(list, nullptr);
  ASSERT_TRUE(list->isVisible());
  // An open list receives every click, those beside it too: one on the grid.
  const QPoint onGrid = window->Grids()[tkItems]->viewport()->mapToGlobal(QPoint(5, 5));
  QTest::mouseClick(list, Qt::LeftButton, {}, list->mapFromGlobal(onGrid));
  EXPECT_FALSE(list->isVisible());
  EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
}

TEST_F(MainWindowTest, ClosingOverUnsavedChangesAsksOnceAndNoKeepsTheWindow) {
  // Nothing changed: no question.
  {
    TScriptedDialogs quiet;
    TfMain fresh(nullptr, &quiet);
    fresh.show();
    EXPECT_TRUE(fresh.close());
    EXPECT_TRUE(quiet.Messages().empty());
  }
  window->Tables()[tkItems]->Append();
  window->Tables()[tkItems]->SetInteger("PLUCode", 7);
  window->Tables()[tkItems]->Post();
  // Ctrl+X (aFileExit) asks; No keeps the window and its records.
  dialogs.QueueAnswer(TMessageAnswer::No);
  window->aFileExit->trigger();
  ASSERT_EQ(dialogs.Messages().size(), 1u);
  EXPECT_EQ(dialogs.Messages()[0].Text,
            "Exista tabele cu modificari nesalvate.\nIesiti din program fara sa le salvati?");
  EXPECT_EQ(dialogs.Messages()[0].Buttons, TMessageButtons::YesNoDefaultNo) << "No is the default";
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(window->Tables()[tkItems]->RecordCount(), 1u);
  // Saved, the table closes without a question; an edit after it asks again.
  const QString path = QDir::temp().filePath("vestok_close_guard.csv");
  dialogs.QueueFileName(path);
  window->aFileSaveAs->trigger();
  EXPECT_FALSE(window->HasUnsavedChanges());
  window->Tables()[tkItems]->SetIntegerAt(0, 0, 8);
  EXPECT_TRUE(window->HasUnsavedChanges());
  window->Tables()[tkItems]->SetIntegerAt(0, 0, 7);  // back as saved
  EXPECT_FALSE(window->HasUnsavedChanges());
  window->Tables()[tkItems]->Delete();
  dialogs.QueueAnswer(TMessageAnswer::Yes);
  EXPECT_TRUE(window->close());
  EXPECT_EQ(dialogs.Messages().size(), 2u);
  for (DocumentTable* t : window->Tables()) EXPECT_FALSE(t->IsOpen());
  QFile::remove(path);
}

TEST(WindowState, CurrentFileNamesStartWithoutFile) {
  CurrentFileName[3] = "/tmp/x.csv";
  ResetCurrentFileNames();
  for (const auto& name : CurrentFileName) EXPECT_EQ(name, "<Nu exista fisier curent>");
}

}  // namespace
}  // namespace vestok
