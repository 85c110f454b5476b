#pragma once
// The one Qt model over a DocumentTable: it shows the table's shown fields as
// columns and reads every cell from the table on demand (no per-row objects).
// It follows the table through ITableObserver; a suspended stretch (a file
// load, a download) arrives as one model reset.
//
// Windows-1250 bytes become Unicode here and only here; floats are shown and
// entered with the user's decimal separator; the items' "Tip pret" column is
// shown and entered as "Fix" / "Liber" / "Liber max".
#include <QAbstractTableModel>
#include <map>
#include <set>
#include <cstddef>
#include <vector>

#include "tables/document_table.h"

namespace vestok {

class TTableModel : public QAbstractTableModel, private ITableObserver {
  Q_OBJECT
 public:
  // The model observes `table` until it is destroyed; the table must outlive it.
  explicit TTableModel(DocumentTable& table, QObject* parent = nullptr);
  ~TTableModel() override;

  DocumentTable& Table() const { return table_; }
  // The table field shown in `column`, or -1.
  int FieldOfColumn(int column) const;
  int ColumnOfField(int field) const;  // -1 for a field that is not shown
  // True for the items' price-type column, which shows texts for numbers.
  bool IsPriceTypeColumn(int column) const;
  bool ReadOnly() const { return !editable_; }

  // The marks of the last compare with the register: records the register
  // lacks, and the fields of records that differ from it. They follow the
  // records (bookmarks) until they are set again (none: no marks).
  void SetCompareMarks(std::set<Bookmark> added, std::map<Bookmark, std::set<int>> changed);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 signals:
  // The table's current record moved to `row` (-1: none).
  void tableCurrentChanged(int row);

 private:
  void RowsAboutToBeInserted(std::size_t first, std::size_t last) override;
  void RowsInserted(std::size_t first, std::size_t last) override;
  void RowsAboutToBeRemoved(std::size_t first, std::size_t last) override;
  void RowsRemoved(std::size_t first, std::size_t last) override;
  void DataChanged(std::size_t row, int field) override;
  void AboutToReset() override;
  void Reset() override;
  void CurrentChanged(std::size_t row) override;

  QString CellText(std::size_t row, int field) const;

  DocumentTable& table_;
  std::vector<int> columnFields_;  // table field index of each column
  int priceTypeField_ = -1;
  int nameField_ = -1;  // the items' name, which the register keeps 20 characters of
  static constexpr std::size_t kNameSentLength = 20;
  bool editable_ = true;
  bool resetting_ = false;
  int currentRow_ = -1;
  std::set<Bookmark> addedMarks_;
  std::map<Bookmark, std::set<int>> changedMarks_;
};

}  // namespace vestok
