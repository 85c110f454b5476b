// Pictures of the main window for the documentation, written only when
// VESTOK_SCREENSHOT_DIR names a folder: the items page with data, the
// operators page, the settings page and a confirmation box.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QTranslator>
#include <QMessageBox>
#include <QPixmap>
#include <cstdlib>

#include "support/window_state_for_tests.h"
#include "ui/main_window.h"
#include "ui/qt_translation.h"
#include "ui/table_grid.h"
#include "ui_test_support.h"

namespace vestok {
namespace {

struct TSampleItem {
  int plu;
  const char* name;
  int vat;
  const char* barcode;
  double price;
  int priceType;
  int stand;
  int group;
};

const TSampleItem kItems[] = {
    {1, "Paine alba 500g", 1, "5941234000017", 2.5, 0, 1, 1},
    {2, "Lapte 1,5% 1L", 1, "5941234000024", 5.45, 0, 1, 2},
    {3, "Cafea m\xE3" "cinat\xE3 250g", 1, "5941234000031", 18.9, 0, 2, 3},
    {4, "Mere golden kg", 2, "", 4.2, 1, 3, 4},
    {5, "Br\xE2nz\xE3 telemea kg", 1, "5941234000055", 27.0, 1, 1, 2},
    {6, "Ap\xE3 plat\xE3 2L", 3, "5941234000062", 3.15, 0, 2, 5},
    {7, "Ciocolat\xE3 neagr\xE3 100g", 1, "5941234000079", 6.8, 0, 2, 3},
    {8, "Cadou (pre\xFE liber)", 1, "", 0, 2, 4, 9},
    {9, "Sup\xE3 de legume", 2, "5941234000093", 9.5, 0, 1, 6},
    {10, "Ulei floarea soarelui 1L", 1, "5941234000109", 8.99, 0, 2, 7},
};

TEST(WindowScreenshots, WritesTheItemsAndOperatorsPagesWhenAsked) {
  const char* dir = std::getenv("VESTOK_SCREENSHOT_DIR");
  if (dir == nullptr) GTEST_SKIP() << "VESTOK_SCREENSHOT_DIR not set";
  test::EnsureApplication();
  TScriptedDialogs dialogs;
  TfMain window(nullptr, &dialogs);
  window.show();

  DocumentTable& items = *window.Tables()[tkItems];
  for (const TSampleItem& item : kItems) {
    items.Append();
    items.SetInteger("PLUCode", item.plu);
    items.SetText("ItemName", item.name);
    items.SetInteger("VAT", item.vat);
    if (*item.barcode) items.SetText("Barcode", item.barcode);
    items.SetFloat("Price", item.price);
    items.SetInteger("PriceType", item.priceType);
    items.SetInteger("Stand", item.stand);
    items.SetInteger("Group", item.group);
    items.Post();
  }
  items.MoveTo(2);
  CurrentFileName[tkItems] = "/home/tehnician/magazin/articole.csv";
  window.ApplyRules();
  window.SetStatusText(1, "Salvare fisier terminata cu succes.");
  QApplication::processEvents();
  // Run with QT_SCALE_FACTOR=2 it writes the items page as on a scaled screen.
  const bool scaled = window.devicePixelRatioF() > 1.5;
  ASSERT_TRUE(window.grab().save(QString::fromUtf8(dir) + (scaled ? "/main-window-items@2x.png" : "/main-window-items.png")));
  if (scaled) return;

  DocumentTable& operators = *window.Tables()[tkOperators];
  const char* names[] = {"Administrator", "Ionescu Maria", "Popa Andrei", "Stan Elena"};
  for (int i = 0; i < 4; ++i) {
    operators.Append();
    operators.SetInteger("OpNumber", i + 1);
    operators.SetText("Name", names[i]);
    operators.SetInteger("Passw", 1000 + 111 * i);
    operators.Post();
  }
  window.ShowTablePage(tkOperators);
  window.cbProtocol->setCurrentIndex(1);
  window.SetStatusText(1, "");
  QApplication::processEvents();
  ASSERT_TRUE(window.grab().save(QString::fromUtf8(dir) + "/main-window-operators.png"));

  window.cbProtocol->setCurrentIndex(0);
  DocumentTable& settings = *window.Tables()[tkSettings];
  settings.Append();
  for (int f = 0; f < settings.FieldCount(); ++f) settings.SetInteger(f, f == 0 ? 1 : f % 2);
  settings.SetInteger("ItemsNotProg", 2);
  settings.Post();
  window.ShowTablePage(tkSettings);
  QApplication::processEvents();
  ASSERT_TRUE(window.grab().save(QString::fromUtf8(dir) + "/main-window-settings.png"));

  // A confirmation as the window asks it, with its Romanian buttons.
  window.ShowTablePage(tkItems);
  QMessageBox box(QMessageBox::Warning, QApplication::applicationName(),
                  "Incarcarea va suprascrie articolele din casa de marcat.\n\rConfirmati incarcarea?",
                  QMessageBox::Yes | QMessageBox::No, &window);
  SetRomanianButtonTexts(box);
  box.show();
  QApplication::processEvents();
  ASSERT_TRUE(box.grab().save(QString::fromUtf8(dir) + "/confirmation-box.png"));
}

// The open dialog as a technician sees it where Qt ships no Romanian: Qt's
// dialog with the program's own translation of its texts.
TEST(WindowScreenshots, WritesTheOpenDialogInRomanianWhenAsked) {
  const char* dir = std::getenv("VESTOK_SCREENSHOT_DIR");
  if (dir == nullptr) GTEST_SKIP() << "VESTOK_SCREENSHOT_DIR not set";
  test::EnsureApplication();
  QTranslator* romanian = InstallBuiltInQtTranslation(*QCoreApplication::instance());
  ASSERT_NE(romanian, nullptr);
  {
    const TFileDialogSpec spec = TfMain::OpenDialogSpec();
    QFileDialog open(nullptr, spec.Title);
    open.setOption(QFileDialog::DontUseNativeDialog);
    open.setNameFilters(spec.Filters);
    open.setFileMode(QFileDialog::ExistingFile);
    open.setDirectory(QString::fromUtf8(VESTOK_TEST_DATA_DIR) + "/sample");
    open.resize(640, 400);
    open.show();
    for (int i = 0; i < 20; ++i) QApplication::processEvents();  // the folder's files are listed
    ASSERT_TRUE(open.grab().save(QString::fromUtf8(dir) + "/open-dialog-ro.png"));
  }
  QCoreApplication::removeTranslator(romanian);
  delete romanian;
}

}  // namespace
}  // namespace vestok
