#pragma once
// A grid bound to one DocumentTable: in-place editing, a record indicator,
// several selected rows at once, Ctrl+Delete with a confirmation, a new row
// appended below the last one and dropped again when left untouched. Its
// current row follows the table's current record and the other way round.
#include <QTableView>
#include <vector>

#include "tables/document_table.h"

class QLabel;

namespace vestok {

class IDialogs;
class TFieldDelegate;
class TTableModel;

class TTableGrid : public QTableView {
  Q_OBJECT
 public:
  // `dialogs` answers the delete confirmation; it must outlive the grid.
  TTableGrid(DocumentTable& table, IDialogs& dialogs, QWidget* parent = nullptr);

  DocumentTable& Table() const;
  TTableModel* Model() const { return model_; }
  bool ReadOnly() const;

  // Marks every row of the table as selected; the current record stays.
  void SelectAllRows();
  // The selected rows as bookmarks of their records, in table order. A row
  // being appended is not a stored record and is left out.
  std::vector<Bookmark> SelectedBookmarks() const;
  int SelectedRowCount() const;

  // Ctrl+Delete: asks, then deletes the selected rows, or the current row when
  // none is selected. False when nothing was deleted.
  bool DeleteRows();
  // Stores the text of an open cell editor and closes it.
  void FinishEditing();
  // Ends editing and drops a new row that was never written, so that a file
  // action or a job finds only stored records.
  void SettleTable();

  // Adds an empty record at the end and makes it current (an editable grid only).
  bool AppendRow();

  // How the grid selects a row it makes current for the table: that row
  // alone, whole.
  static QItemSelectionModel::SelectionFlags CurrentRowSelection();
  // Makes `row` current and the only selected row, also when it is current
  // already, and the start of a later Shift extension: what a quick search
  // that lands on a row, or any other move by the program, does.
  void SelectRowAlone(int row);
  // The picture shown over the rows while the table's refreshing is suspended
  // (nullptr before the first suspension, hidden outside one).
  QLabel* FrozenRows() const { return frozen_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                       const QEvent* event = nullptr) const override;

 private:
  void OnViewRowChanged(const QModelIndex& current, const QModelIndex& previous);
  void OnTableCurrentChanged(int row);
  void SizeColumns();
  void FreezeRows();
  void ThawRows();

  TTableModel* model_ = nullptr;
  TFieldDelegate* delegate_ = nullptr;
  IDialogs& dialogs_;
  bool following_ = false;
  bool movedByProgram_ = false;  // SelectRowAlone is at work
  QLabel* frozen_ = nullptr;  // the view is being moved to the table's record
};

}  // namespace vestok
