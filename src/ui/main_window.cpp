// The main window's construction: actions, menus, toolbar, pages, status bar,
// and its show and close handling.
#include "ui/main_window.h"

#include "ui/engine_face.h"
#include "ui/register_menu.h"

#include <QAction>
#include <algorithm>
#include <cstring>
#include <iterator>
#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

#include "jobs/del_thread.h"
#include "jobs/load_thread.h"
#include "jobs/save_thread.h"
#include "program_version.h"
#include "ui/window_state.h"
#include "ui/action_icons.h"
#include "ui/close_guard.h"
#include "ui/detect_ecrs_dialog.h"
#include "ui/item_report.h"
#include "ui/line_monitor.h"
#include "ui/main_window_job_host.h"
#include "ui/page_rows.h"
#include "ui/protocol_list.h"
#include "ui/qt_translation.h"
#include "ui/status_panels.h"
#include "ui/pc_communication_dialog.h"
#include "ui/qt_main_thread.h"
#include "ui/quick_search.h"
#include "ui/settings_page.h"
#ifdef VESTOK_HAVE_SHEETS
#include "ui/sheet_actions.h"
#endif
#include "ui/table_grid.h"

namespace vestok {

namespace {

struct TActionSpec {
  const char* name;
  const char* caption;  // "" where the action shows no caption
  const char* hint;     // "" where it has none
  const char* shortcut;
};

// Every action of ActionList, in its order.
const TActionSpec kActions[] = {
    {"aFileNew", "&Nou", "Deschide un fisier nou (gol)", "Ctrl+N"},
    {"aFileOpen", "&Deschide...", "Deschide un fisier existent", "Ctrl+D"},
    {"aFileSave", "&Salveaza", "Salveaza fisierul curent", "Ctrl+S"},
    {"aFileSaveAs", "S&alveaza ca...", "Salveaza fisierul curent cu un alt nume", ""},
    {"aFilePrint", "&Tipareste", "", "Ctrl+P"},
    {"aFileExit", "&Iesire", "Iesire din Vestok", "Ctrl+X"},
    {"aSettingsPCCommunication", "&Comunicatie PC...",
     "Seteaza parametrii de comunicatie ai calculatorului", ""},
    {"aSettingsDetectECRs", "&Selectare / detectare case...",
     "Detecteaza casele de marcat conectate la calculator", ""},
    {"aHelpUserManual", "&Manual utilizator", "Deschide manualul utilizatorului Vestok",
     "Ctrl+F1"},
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

}  // namespace

TfMain::TfMain(QWidget* parent, IDialogs* dialogs)
    : QMainWindow(parent),
      dialogs_(dialogs != nullptr ? *dialogs : QtDialogs()),
      mainThread_(std::make_unique<TQtMainThread>()),
      jobHost_(std::make_unique<TJobHost>(*this)),
      unsaved_(std::make_unique<TUnsavedChanges>()),
      face_(std::make_unique<TWindowEngineFace>(*this)) {
  setObjectName("fMain");
  setWindowTitle("Vestok ver. " VESTOK_VERSION " by Quorlan Engineering for Selvara Exim");
  setWindowIcon(VestokIcon());
  // Hints go to tooltips; the status panels keep what the window writes there.
  new TStatusTipFilter(this);
  resize(800, 600);
  setMinimumWidth(130);

  // The ten tables are defined now and opened, empty, when the window is first shown.
  for (TableKind kind = 0; kind < kTableCount; ++kind)
    tables_[kind] = std::make_unique<DocumentTable>(TableDefinition(kind));

  CreateActions();
  CreateMenus();
  CreateToolBar();
  CreatePages();
  CreateStatusBar();

  // Before the rules are first applied every action is enabled but Stop,
  // which is the rule row of "Articole" under "Seria A".
  connect(pcMain, &QTabWidget::currentChanged, this, &TfMain::ApplyRules);
  for (QTabWidget* sub : {pcData, pcOperNSetWork, pcReceiptSettings})
    connect(sub, &QTabWidget::currentChanged, this, &TfMain::ApplyRules);
  connect(cbProtocol, &QComboBox::currentIndexChanged, this, &TfMain::ApplyRules);
}

TfMain::~TfMain() {
  // A job still running lends the window's controls: it ends while they exist.
  StopJob();
  // The grids observe the tables: they go before the tables do.
  delete takeCentralWidget();
  gridRegistry_.fill(nullptr);
}

QAction* TfMain::NewAction(const char* name) {
  const auto spec = std::find_if(std::begin(kActions), std::end(kActions),
                                 [name](const TActionSpec& s) { return std::strcmp(s.name, name) == 0; });
  auto* action = new QAction(QString::fromLatin1(spec->caption), this);
  action->setObjectName(QString::fromLatin1(spec->name));
  action->setToolTip(QString::fromLatin1(spec->hint));
  if (*spec->shortcut) action->setShortcut(QKeySequence(QString::fromLatin1(spec->shortcut)));
  return action;
}

void TfMain::CreateActions() {
  // The window carries every action, so their shortcuts work from any page,
  // also for the actions that have no button or menu entry.
  addActions(ActionList);
  aStop->setEnabled(false);

  QStyle* s = style();
  aFileNew->setIcon(s->standardIcon(QStyle::SP_FileIcon));
  aFileOpen->setIcon(s->standardIcon(QStyle::SP_DialogOpenButton));
  aFileSave->setIcon(s->standardIcon(QStyle::SP_DialogSaveButton));
  aFileExit->setIcon(s->standardIcon(QStyle::SP_DialogCloseButton));
  aHelpAbout->setIcon(s->standardIcon(QStyle::SP_MessageBoxInformation));
  aHelpUserManual->setIcon(s->standardIcon(QStyle::SP_DialogHelpButton));
  aStop->setIcon(s->standardIcon(QStyle::SP_BrowserStop));
  aImportAll->setIcon(ActionIcon(TActionPicture::DownloadAll));
  aImportSel->setIcon(ActionIcon(TActionPicture::DownloadSelection));
  aExportAll->setIcon(ActionIcon(TActionPicture::UploadAll));
  aExportSel->setIcon(ActionIcon(TActionPicture::UploadSelection));
  aDeleteAll->setIcon(ActionIcon(TActionPicture::DeleteAll));
  aDeleteSel->setIcon(ActionIcon(TActionPicture::DeleteSelection));
  aLog->setIcon(ActionIcon(TActionPicture::Log));
  aFilePrint->setIcon(ActionIcon(TActionPicture::Print));

  connect(aFileNew, &QAction::triggered, this, &TfMain::FileNew);
  connect(aFileOpen, &QAction::triggered, this, &TfMain::FileOpen);
  connect(aFileSave, &QAction::triggered, this, &TfMain::FileSave);
  connect(aFileSaveAs, &QAction::triggered, this, &TfMain::FileSaveAs);
  connect(aFileExit, &QAction::triggered, this, &QWidget::close);
  connect(aSelAll, &QAction::triggered, this, &TfMain::SelectAll);
  connect(aLog, &QAction::triggered, this, &TfMain::ShowLog);
  connect(aHelpAbout, &QAction::triggered, this, &TfMain::ShowAbout);
  connect(aHelpUserManual, &QAction::triggered, this, &TfMain::ShowUserManual);
  for (QAction* transfer : {aImportAll, aImportSel, aExportAll, aExportSel, aDeleteAll, aDeleteSel})
    connect(transfer, &QAction::triggered, this, [this, transfer] { TransferAction(transfer); });
  connect(aStop, &QAction::triggered, this, &TfMain::StopJob);
  connect(aFilePrint, &QAction::triggered, this, &TfMain::FilePrint);
  // Each search-focus action carries its key number for the life of the window.
  aPLUCodeFocus->setData(1);
  aNameFocus->setData(2);
  aBarcodeFocus->setData(3);
  for (QAction* focus : {aPLUCodeFocus, aNameFocus, aBarcodeFocus})
    connect(focus, &QAction::triggered, this, [this, focus] { FocusSearch(focus); });
  connect(aSettingsPCCommunication, &QAction::triggered, this, &TfMain::ShowPCCommunication);
  connect(aSettingsDetectECRs, &QAction::triggered, this, &TfMain::ShowDetectECRs);
}

void TfMain::CreateMenus() {
  QMenu* file = menuBar()->addMenu("&Fisier");
  file->setObjectName("mFile");
  file->addActions({aFileNew, aFileOpen, aFileSave, aFileSaveAs, aFilePrint});
  file->addSeparator();
  file->addAction(aFileExit);
#ifdef VESTOK_HAVE_SHEETS
  new TSheetActions(*this, file);
#endif

  QMenu* settings = menuBar()->addMenu("&Setari");
  settings->setObjectName("mSettings");
  settings->addActions({aSettingsPCCommunication, aSettingsDetectECRs});
  settings->addAction(CreateLineMonitorAction(this, &dialogs_));

  registerMenu_ = new TRegisterMenu(*this);
  registerMenu_->AddMenu(menuBar());

  QMenu* help = menuBar()->addMenu("&Help");
  help->setObjectName("mHelp");
  help->addAction(aHelpUserManual);
  help->addSeparator();
  help->addAction(aHelpAbout);
}

QComboBox* TfMain::NewProtocolList() {
  auto* list = new TProtocolList(ToolBar);
  list->setObjectName("cbProtocol");
  list->addItems({"Seria A", "Standard"});
  list->setCurrentIndex(0);
  list->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  return list;
}

void TfMain::CreateToolBar() {
  ToolBar->setObjectName("ToolBar");
  ToolBar->setMovable(false);
  ToolBar->setFloatable(false);
  ToolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
  ToolBar->addActions({aFileNew, aFileOpen, aFileSave});
  ToolBar->addSeparator();
  ToolBar->addActions({aImportAll, aImportSel, aExportAll, aExportSel, aDeleteAll, aDeleteSel, aLog, aStop});

  // The protocol list stands against the right edge, the print button after it.
  auto* spring = new QWidget(ToolBar);
  spring->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
  ToolBar->addWidget(spring);
  ToolBar->addWidget(cbProtocol);
  ToolBar->addSeparator();
  ToolBar->addAction(aFilePrint);
}

QWidget* TfMain::AddTablePage(QTabWidget* pages, TableKind kind, const char* caption) {
  static const char* const kPageNames[kTableCount] = {"tsItems",     "tsItemSales", "tsGroupSales", "tsStandSales",
                                                      "tsOperators", "tsPayTypes",  "tsDisc",       "tsRecFmt",
                                                      "tsHeadFoot",  "tsECRSettings"};
  static const char* const kGridNames[kTableCount] = {"dbgItems",     "dbgItemSales", "dbgGroupSales", "dbgStandSales",
                                                      "dbgOperators", "dbgPayTypes",  "dbgDisc",       "dbgRecFmt",
                                                      "dbgHeadFoot",  nullptr};
  auto* page = new QWidget(pages);
  page->setObjectName(kPageNames[kind]);
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(2, 2, 2, 2);
  layout->setSpacing(2);
  // A search panel, where a table has one, goes above the grid.
  auto* grid = new TTableGrid(*tables_[kind], dialogs_, page);
  grid->setObjectName(kGridNames[kind]);
  if (TQuickSearchPanel::HasPanel(kind)) {
    searchPanels_[kind] = new TQuickSearchPanel(kind, *tables_[kind], grid, page);
    layout->addWidget(searchPanels_[kind]);
  }
  layout->addWidget(grid);
  gridRegistry_[kind] = grid;
  pages_[kind] = page;
  pages->addTab(page, QString::fromLatin1(caption));
  return page;
}

QTabWidget* TfMain::NewMainPages() {
  auto* pages = new QTabWidget(this);
  pages->setObjectName("pcMain");
  return pages;
}

QTabWidget* TfMain::NewSubPages(const char* pageName, const char* controlName, const char* caption) {
  auto* page = new QWidget(pcMain);
  page->setObjectName(pageName);
  auto* layout = new QVBoxLayout(page);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* sub = new QTabWidget(page);
  sub->setObjectName(controlName);
  layout->addWidget(sub);
  pcMain->addTab(page, QString::fromLatin1(caption));
  return sub;
}

QWidget* TfMain::NewSettingsTab() {
  auto* page = new QWidget(pcMain);
  page->setObjectName("tsECRSettings");
  pcMain->addTab(page, "Configurare parametrii casa de marcat");
  return page;
}

void TfMain::CreatePages() {
  // The main pages' captions stand on as many rows as the width needs.
  auto* frame = new QWidget(this);
  frame->setObjectName("pcMainFrame");
  auto* frameLayout = new QVBoxLayout(frame);
  frameLayout->setContentsMargins(0, 0, 0, 0);
  frameLayout->setSpacing(0);
  setCentralWidget(frame);

  // Qt has no tab rows; the four long captions keep their full text and
  // scroll when the window is too narrow for them.
  pcData->setUsesScrollButtons(true);
  pcData->setElideMode(Qt::ElideNone);
  AddTablePage(pcData, tkItems, "Articole");
  AddTablePage(pcData, tkItemSales, "Vanzari pe articole");
  AddTablePage(pcData, tkGroupSales, "Vanzari pe grupe articole");
  AddTablePage(pcData, tkStandSales, "Vanzari pe standuri");

  AddTablePage(pcOperNSetWork, tkOperators, "Operatori");
  AddTablePage(pcOperNSetWork, tkPayType, "Mijloace de plata");
  AddTablePage(pcOperNSetWork, tkDisc, "Reduceri/Majorari");

  AddTablePage(pcReceiptSettings, tkRecFmt, "Format bon");
  AddTablePage(pcReceiptSettings, tkHeadFoot, "Antet bon");

  // The operating parameters have a page of value boxes of their own.
  pages_[tkSettings] = tsECRSettings;
  auto* settingsLayout = new QVBoxLayout(tsECRSettings);
  settingsPage_ = new TSettingsPage(*tables_[tkSettings], tsECRSettings);
  settingsLayout->addWidget(settingsPage_);
  settingsLayout->addStretch(1);

  frameLayout->addWidget(new TPageRows(pcMain, frame));
  frameLayout->addWidget(pcMain, 1);

  pcMain->setCurrentIndex(0);
  for (QTabWidget* sub : {pcData, pcOperNSetWork, pcReceiptSettings}) sub->setCurrentIndex(0);
}

void TfMain::CreateStatusBar() {
  StatusBar->setObjectName("StatusBar");
  StatusBar->setSizeGripEnabled(true);
  // Panel 0 is at most 300 pixels and cuts a long path in the middle; panel 1
  // is at least 200 and as wide as its longest fixed text, and widens for a
  // longer one (a verdict of the register menu); panel 2 takes the
  // rest, at least the stop hint. Every text stays whole at the default font.
  for (int i = 0; i < 3; ++i) {
    auto* panel = new TStatusPanel(i == 0, StatusBar);
    panel->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
    panels_[std::size_t(i)] = panel;
  }
  panels_[0]->setMaximumWidth(300);
  panels_[0]->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
  StatusBar->addWidget(panels_[0], 0);
  panels_[1]->setFixedWidth(std::max(200, PanelWidthFor(*panels_[1], StatusPanelOneTexts())));
  static_cast<TStatusPanel*>(panels_[1])->SetGrowsToFit(true);
  StatusBar->addWidget(panels_[1], 0);
  const std::string stopped = StoppedByUserLine(99999);
  panels_[2]->setMinimumWidth(PanelWidthFor(*panels_[2], {QString::fromLatin1(kStopHint.data(), qsizetype(kStopHint.size())),
                                                          QString::fromStdString(stopped)}));
  StatusBar->addWidget(panels_[2], 1);
}

QWidget* TfMain::TablePage(TableKind kind) const { return kind < kTableCount ? pages_[kind] : nullptr; }

// ---- show and close

void TfMain::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (shown_) return;
  shown_ = true;
  FormShow();
  // The batch run starts on the first activation; on a display without a
  // window manager no activation ever comes, so the first show starts it too.
  if (batch_.BatchMode) QTimer::singleShot(0, this, &TfMain::ScheduleBatchRun);
}

void TfMain::changeEvent(QEvent* event) {
  QMainWindow::changeEvent(event);
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) ScheduleBatchRun();
}

void TfMain::FormShow() {
  if (QScreen* screen = this->screen()) move(screen->availableGeometry().center() - rect().center());
  for (TableKind kind = 0; kind < kTableCount; ++kind) {
    tableRegistry_[kind] = tables_[kind].get();
  }
  ResetCurrentFileNames();
  for (TableKind kind = 0; kind < kTableCount; ++kind) {
    tables_[kind]->Open();
    unsaved_->MarkSaved(kind, *tables_[kind]);
  }
  // The drop-down list of the items' "Tip pret" column is built by the
  // grid's editor from kPriceTypeTexts ("Fix", "Liber", "Liber max").
  SetStatusText(0, QString::fromLatin1(kNoCurrentFile.data(), qsizetype(kNoCurrentFile.size())));
  // The keys go to the grid shown; left to itself the window would hand them
  // to the first box of the toolbar, the variant list, where an arrow key
  // meant for the rows picks the other protocol variant.
  const TableKind shown = CurrentTableKind();
  if (shown < kTableCount && gridRegistry_[shown] != nullptr) gridRegistry_[shown]->setFocus(Qt::OtherFocusReason);
}

void TfMain::closeEvent(QCloseEvent* event) {
  // Leaving over changes not saved asks first (never in a batch run).
  if (!batch_.BatchMode && !tablesClosed_ && HasUnsavedChanges() && !TUnsavedChanges::ConfirmLeave(dialogs_, this)) {
    event->ignore();
    return;
  }
  // A running job works on one of the tables: it ends before they close.
  StopJob();
  if (batchRunning_) {
    // Closing during a batch run stops its job; the run then finishes (a
    // download saves what was read) and closes the window itself.
    event->ignore();
    return;
  }
  CloseTables();
  event->accept();
  QMainWindow::closeEvent(event);
}

bool TfMain::HasUnsavedChanges() {
  if (!shown_ || tablesClosed_) return false;
  const TableKind kind = CurrentTableKind();
  if (kind < kTableCount && gridRegistry_[kind] != nullptr) gridRegistry_[kind]->FinishEditing();
  if (kind == tkSettings && settingsPage_ != nullptr) settingsPage_->Commit();
  return unsaved_->AnyUnsaved(tables_);
}

void TfMain::MarkSaved(TableKind kind) {
  if (kind < kTableCount) unsaved_->MarkSaved(kind, *tables_[kind]);
}

void TfMain::CloseTables() {
  if (tablesClosed_) return;
  tablesClosed_ = true;
  // The records go without a question about unsaved changes.
  for (TableKind kind = 0; kind < kTableCount; ++kind) tables_[kind]->Close();
}

}  // namespace vestok
