#pragma once
// The "&Casa" menu of the main window: a whole register backed up into a
// folder and restored from one, the table shown compared with the register,
// and uploads of only the rows that differ. The menu asks the user and shows
// what came back; the engine runs each operation on the window's link.
#include <QObject>
#include <memory>
#include <optional>

#include "engine/outcome.h"
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
  bool Busy() const;

  TfMain& w_;
  std::unique_ptr<DocumentTable> registerTable_;
  std::optional<TableComparison> comparison_;
  TableKind comparedKind_ = tkNone;
};

}  // namespace vestok
