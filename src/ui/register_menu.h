#pragma once
// The "&Casa" menu of the main window: a whole register backed up into a
// folder and restored from one, the table shown compared with the register,
// and uploads of only the rows that differ. It also checks the rows of every
// upload before they are sent and keeps, after each whole-table exchange
// without errors, the copy of what the register then holds.
#include <QObject>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "jobs/record_layouts.h"
#include "jobs/transfer_job.h"
#include "safe/register_backup.h"
#include "safe/table_compare.h"
#include "tables/document_table.h"

class QAction;
class QMenu;
class QMenuBar;

namespace vestok {

class TfMain;

class TRegisterMenu final : public QObject {
  Q_OBJECT
 public:
  explicit TRegisterMenu(TfMain& window);
  ~TRegisterMenu() override;

  void AddMenu(QMenuBar* bar);

  QMenu* mRegister = nullptr;
  QAction* aBackup = nullptr;
  QAction* aRestore = nullptr;
  QAction* aCompare = nullptr;
  QAction* aUploadDifferences = nullptr;
  QAction* aUploadChanges = nullptr;

  // Before an upload of `table` starts: checks the rows to be sent. In the
  // window, findings open the log window and the user chooses; in the batch
  // run rows with errors are left out. False: nothing is to be sent.
  // `selection` may be narrowed to the rows without errors.
  bool CheckBeforeUpload(JobKind job, DocumentTable& table, RowSelection& selection, bool batch);
  // Remembers that the upload or download about to start covers the whole
  // table, so its end without errors renews the register's copy.
  void ExpectWholeTable(TableKind kind, bool upload);
  // Called when a job has ended (the window is no longer busy).
  // `wait`: waits for the job's last step here (the batch run) instead of
  // looking again a moment later.
  void JobEnded(bool wait = false);
  // Stop while a run of several tables goes on; false when none does.
  bool StopRun();
  // Before records of the table of `kind` are written or deleted in the
  // register (tkNone: of any table): the last compare of that table no longer
  // tells what the register holds, so it and the grid's marks are dropped.
  // The register's records it read stay for a delete that follows.
  void RegisterChanging(TableKind kind);

  // The register's records of the last compare, and the compare itself.
  const DocumentTable* RegisterTable() const { return registerTable_.get(); }
  const std::optional<TableComparison>& LastComparison() const { return comparison_; }

  void Backup();
  void Restore();
  void Compare();
  void MarkComparison(TableKind kind);
  void UploadDifferences();
  void UploadChanges();

 private:
  struct Pending {
    TableKind Kind = tkNone;
    bool Upload = false;
    bool Whole = false;                   // the whole table went
    std::vector<std::string> Findings;    // check lines for the job's log
    bool LeftOut = false;                 // rows with errors were not sent
    std::unique_ptr<DocumentTable> Copy;  // the copy the sent rows update
    std::vector<std::size_t> SentRows;
  };

  std::string Fiscal() const;
  bool Busy() const;
  // What a run of the menu lends its jobs: the window's host, hand-over, link and log.
  TTableRun::Link RunLink() const;
  void RunTables(TTableRun& run, const std::function<void()>& body);
  void ShowFindings(const std::vector<std::string>& lines, std::string_view firstLine);
  bool StartRows(TableKind kind, JobKind job, std::vector<std::size_t> rows, std::unique_ptr<DocumentTable> copy,
                 bool whole);
  void KeepCopy(DocumentTable& table);

  TfMain& w_;
  Pending pending_;
  bool pendingSet_ = false;
  TTableRun* run_ = nullptr;
  std::unique_ptr<DocumentTable> registerTable_;
  std::optional<TableComparison> comparison_;
  TableKind comparedKind_ = tkNone;
  // Register records to delete once the upload of the differences has ended.
  std::optional<std::vector<Bookmark>> deleteAfter_;
  void StartPendingDelete();
};

}  // namespace vestok
