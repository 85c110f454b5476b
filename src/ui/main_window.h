#pragma once
// The main window: the ten document tables in a tree of pages, the toolbar and
// menus driven by the actions of ActionList, the three-panel status bar, the
// file actions on the table shown and the availability rules that follow the
// page and the protocol variant.
#include <QMainWindow>
#include <QList>
#include <array>
#include <functional>
#include <memory>
#include <string>

#include "engine/engine_run.h"

#include "jobs/record_layouts.h"
#include "jobs/transfer_job.h"
#include "startup/batch_request.h"
#include "tables/document_table.h"
#include "ui/dialogs.h"

class QAction;
class QComboBox;
class QLabel;
class QStatusBar;
class QTabWidget;
class QToolBar;

namespace vestok {

class TQtMainThread;
class TTableGrid;
class TSettingsPage;
class TQuickSearchPanel;
class TUnsavedChanges;
class TRegisterMenu;
class TWindowEngineFace;

class TfMain : public QMainWindow {
  Q_OBJECT
 public:
  // `dialogs` answers every message box and file dialog of the window (the
  // real Qt ones when none is given); it must outlive the window.
  explicit TfMain(QWidget* parent = nullptr, IDialogs* dialogs = nullptr);
  ~TfMain() override;

  // The batch request, given by start-up before the event loop runs.
  void SetBatchRequest(const BatchRequest& request) { batch_ = request; }
  bool BatchMode() const { return batch_.BatchMode; }
  bool BatchSave() const { return batch_.BatchSave; }
  int BatchVariant() const { return batch_.BatchVariant; }
  const std::string& BatchFileName() const { return batch_.BatchFileName; }

  // The kind of job begun last: kTagUpload, kTagDownload, kTagDelete (or
  // kTagRegisterRun for a run of the register menu; see ui/job_tag.h); 0
  // before the first.
  int Tag() const { return tag_; }

  // ---- actions, in the order of ActionList. The window makes them and its
  // controls as it is built; others use them but cannot put others in their place.
  QAction* const aFileNew = NewAction("aFileNew");
  QAction* const aFileOpen = NewAction("aFileOpen");
  QAction* const aFileSave = NewAction("aFileSave");
  QAction* const aFileSaveAs = NewAction("aFileSaveAs");
  QAction* const aFilePrint = NewAction("aFilePrint");
  QAction* const aFileExit = NewAction("aFileExit");
  QAction* const aSettingsPCCommunication = NewAction("aSettingsPCCommunication");
  QAction* const aSettingsDetectECRs = NewAction("aSettingsDetectECRs");
  QAction* const aHelpUserManual = NewAction("aHelpUserManual");
  QAction* const aHelpAbout = NewAction("aHelpAbout");
  QAction* const aImportAll = NewAction("aImportAll");
  QAction* const aImportSel = NewAction("aImportSel");
  QAction* const aExportAll = NewAction("aExportAll");
  QAction* const aExportSel = NewAction("aExportSel");
  QAction* const aDeleteAll = NewAction("aDeleteAll");
  QAction* const aDeleteSel = NewAction("aDeleteSel");
  QAction* const aLog = NewAction("aLog");
  QAction* const aStop = NewAction("aStop");
  QAction* const aSelAll = NewAction("aSelAll");
  QAction* const aPLUCodeFocus = NewAction("aPLUCodeFocus");
  QAction* const aNameFocus = NewAction("aNameFocus");
  QAction* const aBarcodeFocus = NewAction("aBarcodeFocus");
  const QList<QAction*> ActionList{
      aFileNew, aFileOpen, aFileSave, aFileSaveAs, aFilePrint, aFileExit, aSettingsPCCommunication,
      aSettingsDetectECRs, aHelpUserManual, aHelpAbout, aImportAll, aImportSel, aExportAll, aExportSel,
      aDeleteAll, aDeleteSel, aLog, aStop, aSelAll, aPLUCodeFocus, aNameFocus, aBarcodeFocus};

  // ---- controls
  QToolBar* const ToolBar = addToolBar(QStringLiteral("ToolBar"));
  QComboBox* const cbProtocol = NewProtocolList();
  QStatusBar* const StatusBar = statusBar();
  QTabWidget* const pcMain = NewMainPages();
  QTabWidget* const pcData = NewSubPages("tsData", "pcData", "Gestiune articole si rapoarte vanzari");
  QTabWidget* const pcOperNSetWork =
      NewSubPages("tsOperNSetWork", "pcOperNSetWork", "Gestiune operatori si mode de lucru");
  QTabWidget* const pcReceiptSettings = NewSubPages("tsReceiptSettings", "pcReceiptSettings", "Configurare bon fiscal");
  QWidget* const tsECRSettings = NewSettingsTab();

  // ---- the registry by TableKind, filled when the window is first shown
  // Others read it here; only the window changes it.
  const std::array<DocumentTable*, kTableCount>& Tables() const { return tableRegistry_; }
  const std::array<TTableGrid*, kTableCount>& Grids() const { return gridRegistry_; }  // none for tSettings
  // The quick-search strips by TableKind (kinds 0 to 4; none for 5 to 9). Each
  // strip holds its button (SearchButtons) and boxes by key number (SearchCombos).
  const std::array<TQuickSearchPanel*, kTableCount>& SearchPanels() const { return searchPanels_; }
  // The ECR settings page; its SettingsEdits and SettingsCombos by Tag 1 to 15.
  TSettingsPage* SettingsPage() const { return settingsPage_; }

  // The page of each table (the sub-page, or tsECRSettings for tSettings):
  // the place where a table's controls, such as its search panel, go.
  QWidget* TablePage(TableKind kind) const;

  // The TableKind of the page shown; 255 when no page is active.
  TableKind CurrentTableKind() const;
  // The index of cbProtocol: 0 "Seria A", 1 "Standard".
  int ProtocolVariant() const;
  // Shows the page of `kind` (main page and sub-page).
  void ShowTablePage(TableKind kind);

  // Enables the nine rule-driven actions for the page shown and the variant
  // chosen, and shows the table's CurrentFileName in status panel 0. While a
  // job runs the actions stay as the job set them.
  void ApplyRules();

  QString StatusText(int panel) const;
  void SetStatusText(int panel, const QString& text);

  // A job runs: the variant list must not re-enable actions under it. Its
  // end applies the rules again, for the variant chosen meanwhile.
  void SetJobRunning(bool running);
  bool JobRunning() const { return jobRunning_; }

  IDialogs& Dialogs() const { return dialogs_; }

  // A table holds changes not saved since its last New, Open or Save; what is
  // being typed into a cell or the settings page is stored first.
  bool HasUnsavedChanges();
  // The fixed texts status panel 1 shows, which it is made wide enough for.
  static QStringList StatusPanelOneTexts();

  // ---- transfers
  // The six transfer actions (aImportAll ... aDeleteSel): confirmation,
  // fiscal number, job start. The action returns while the job runs.
  void TransferAction(QAction* action);
  // aStop: stops the running operation and waits for its end, carrying out
  // its steps meanwhile.
  void StopJob();
  TRegisterMenu* RegisterMenu() const { return registerMenu_; }

  // ---- operations of the engine on the window's link
  using OperationBody = std::function<TOutcome(TEngine&)>;
  using OperationDone = std::function<void(const TOutcome&)>;
  // Starts `body` on the engine's thread; the window is busy until it ends,
  // then `done` runs here. A run whose fiscal number query failed shows the
  // error box first. `tag`: what Tag() says once its first job has begun.
  // False when an operation runs already or none could be started.
  bool StartOperation(int tag, OperationBody body, OperationDone done = {});
  // The last operation started (none before the first); it stays after its end.
  const TEngineRun* LastRun() const { return run_.get(); }
  // The JobKind of the last upload or download the engine ran.
  JobKind LastJobKind() const;
  // Handles events, user input included, until the operation has ended.
  void WaitForOperation();
  bool Shown() const { return shown_; }
  // Stores what is being typed into the table a job is about to use.
  void SettleForJob(TableKind kind);
  // The window's engine face (questions and the log window of findings).
  TWindowEngineFace& EngineFace() const { return *face_; }
  // The batch run has begun (it runs once, on the first activation or, when
  // none follows, right after the first show).
  bool BatchStarted() const { return batchStarted_; }
  // A batch download gives up after this many requests in a row that brought
  // no record: a register that stops answering would otherwise be asked for
  // ever and the script would never end.
  static constexpr int kBatchIdleRequestLimit = 20;

  // True after an Open of the table of `kind` failed part-way: the table then
  // holds only part of the file it is named after, and Save asks for a name
  // instead of overwriting that file, until the table is saved or opened.
  bool PartialLoad(TableKind kind) const { return kind < kTableCount && partialLoad_[kind]; }

  static TFileDialogSpec OpenDialogSpec();
  static TFileDialogSpec SaveDialogSpec();

  // ---- the actions' work (their triggered signals call these)
  void FileNew();
  void FileOpen();
  void FileSave();
  void FileSaveAs();
  void SelectAll();
  void ShowLog();
  void ShowAbout();
  void ShowUserManual();
  void FilePrint();
  void ShowPCCommunication();
  void ShowDetectECRs();
  // aPLUCodeFocus / aNameFocus / aBarcodeFocus: the key number is the action's data.
  void FocusSearch(QAction* action);

 protected:
  void showEvent(QShowEvent* event) override;
  void changeEvent(QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  // The actions and controls above, made in the order they stand there (the
  // main pages get their tabs in that order).
  QAction* NewAction(const char* name);
  QComboBox* NewProtocolList();
  QTabWidget* NewMainPages();
  QTabWidget* NewSubPages(const char* pageName, const char* controlName, const char* caption);
  QWidget* NewSettingsTab();

  void CreateActions();
  void CreateMenus();
  void CreateToolBar();
  void CreatePages();
  void CreateStatusBar();
  QWidget* AddTablePage(QTabWidget* pages, TableKind kind, const char* caption);
  void FormShow();
  void CloseTables();
  // The table of `kind` now is what its file holds.
  void MarkSaved(TableKind kind);

  class TJobHost;
  void ScheduleBatchRun();
  void BatchRun();
  void BatchUpload();
  void BatchDownload();

  IDialogs& dialogs_;
  BatchRequest batch_;
  int tag_ = 0;
  std::array<std::unique_ptr<DocumentTable>, kTableCount> tables_;
  // The registry behind Tables(), Grids(), SearchPanels() and SettingsPage().
  std::array<DocumentTable*, kTableCount> tableRegistry_{};
  std::array<TTableGrid*, kTableCount> gridRegistry_{};
  std::array<TQuickSearchPanel*, kTableCount> searchPanels_{};
  TSettingsPage* settingsPage_ = nullptr;
  std::array<QWidget*, kTableCount> pages_{};
  std::array<QLabel*, 3> panels_{};
  bool shown_ = false;
  bool tablesClosed_ = false;
  bool jobRunning_ = false;
  std::array<bool, kTableCount> partialLoad_{};

  // The hand-over and the host outlive the jobs; the jobs go before the tables.
  std::unique_ptr<TQtMainThread> mainThread_;
  std::unique_ptr<TJobHost> jobHost_;
  std::unique_ptr<TUnsavedChanges> unsaved_;
  std::unique_ptr<TWindowEngineFace> face_;
  // The operation running or run last; it goes before the tables.
  std::unique_ptr<TEngineRun> run_;
  int pendingTag_ = 0;
  TRegisterMenu* registerMenu_ = nullptr;  // the "&Casa" menu, a child of the window

  bool batchStarted_ = false;
  bool batchRunning_ = false;
};

}  // namespace vestok
