#include "ui/table_model.h"

#include <QBrush>
#include <QColor>
#include <string>

#include "tables/price_type.h"
#include "text/cp1250.h"

namespace vestok {

namespace {

QString FromCp1250(std::string_view bytes) { return QString::fromStdU16String(Cp1250ToUtf16(bytes)); }

std::string ToCp1250(const QString& text) { return Utf16ToCp1250(text.toStdU16String()); }

}  // namespace

TTableModel::TTableModel(DocumentTable& table, QObject* parent) : QAbstractTableModel(parent), table_(table) {
  const auto& fields = table_.Fields();
  for (int f = 0; f < int(fields.size()); ++f)
    if (fields[std::size_t(f)].Shown()) columnFields_.push_back(f);
  if (table_.Kind() == tkItems) {
    priceTypeField_ = table_.FieldIndex("PriceType");
    nameField_ = table_.FieldIndex("ItemName");
  }
  if (table_.Kind() != tkNone) editable_ = TableDefinition(table_.Kind()).editable;
  const std::size_t current = table_.CurrentRow();
  currentRow_ = current == DocumentTable::npos ? -1 : int(current);
  table_.AddObserver(this);
}

TTableModel::~TTableModel() { table_.RemoveObserver(this); }

int TTableModel::FieldOfColumn(int column) const {
  return column >= 0 && column < int(columnFields_.size()) ? columnFields_[std::size_t(column)] : -1;
}

int TTableModel::ColumnOfField(int field) const {
  for (int c = 0; c < int(columnFields_.size()); ++c)
    if (columnFields_[std::size_t(c)] == field) return c;
  return -1;
}

bool TTableModel::IsPriceTypeColumn(int column) const {
  return priceTypeField_ >= 0 && FieldOfColumn(column) == priceTypeField_;
}

int TTableModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid() || resetting_) return 0;
  return int(table_.RowCount());
}

int TTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : int(columnFields_.size());
}

QString TTableModel::CellText(std::size_t row, int field) const {
  if (field == priceTypeField_)
    return FromCp1250(PriceTypeText(table_.HasStoredRecord(), table_.IntegerAt(row, field)));
  if (table_.Fields()[std::size_t(field)].type == FieldType::Text) return FromCp1250(table_.TextViewAt(row, field));
  return FromCp1250(table_.TextAt(row, field));  // numbers: floats with the user's separator
}

QVariant TTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const int field = FieldOfColumn(index.column());
  const auto row = std::size_t(index.row());
  if (field < 0 || row >= table_.RowCount()) return {};
  switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
      return CellText(row, field);
    case Qt::ToolTipRole:
    case Qt::BackgroundRole:
      if (!addedMarks_.empty() || !changedMarks_.empty()) {
        const Bookmark b = table_.BookmarkAt(row);
        if (addedMarks_.count(b) != 0) {
          if (role == Qt::BackgroundRole) return QBrush(QColor(210, 240, 210));
          return QStringLiteral("Adaugat: nu este in casa de marcat");
        }
        const auto changed = changedMarks_.find(b);
        if (changed != changedMarks_.end() && changed->second.count(field) != 0) {
          if (role == Qt::BackgroundRole) return QBrush(QColor(255, 244, 170));
          return QStringLiteral("Modificat fata de casa de marcat");
        }
      }
      // An item name goes to the register cut to its first 20 characters: a
      // longer one is marked, and its tooltip shows what the register gets.
      if (field == nameField_) {
        const std::string_view name = table_.TextViewAt(row, field);
        if (name.size() > kNameSentLength) {
          if (role == Qt::BackgroundRole) return QBrush(QColor(255, 228, 196));
          return QStringLiteral("Casa de marcat primeste doar primele %1 caractere: \"%2\"")
              .arg(kNameSentLength)
              .arg(FromCp1250(name.substr(0, kNameSentLength)));
        }
      }
      return {};
    case Qt::TextAlignmentRole:
      if (field != priceTypeField_ && table_.Fields()[std::size_t(field)].type != FieldType::Text)
        return int(Qt::AlignRight | Qt::AlignVCenter);
      return int(Qt::AlignLeft | Qt::AlignVCenter);
    default:
      return {};
  }
}

bool TTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || role != Qt::EditRole || !editable_) return false;
  const int field = FieldOfColumn(index.column());
  const auto row = std::size_t(index.row());
  if (field < 0 || row >= table_.RowCount()) return false;
  const std::string text = ToCp1250(value.toString());
  try {
    if (field == priceTypeField_) {
      // Only the three texts, exactly as written, change the field.
      const auto type = PriceTypeFromText(text);
      if (!type) return false;
      table_.SetIntegerAt(row, field, *type);
    } else {
      // Numbers are read with the user's decimal separator; an empty text
      // leaves a number without a value and a text field with an empty text.
      table_.SetTextAt(row, field, text);
    }
  } catch (const TableError&) {
    return false;  // a text that is no number for its field: the old value stays
  }
  // The write stored a record being appended: its row loses the star, and the
  // first stored item makes the price-type column show its texts.
  emit headerDataChanged(Qt::Vertical, index.row(), index.row());
  if (priceTypeField_ >= 0 && table_.RecordCount() == 1 && rowCount() > 0) {
    const int c = ColumnOfField(priceTypeField_);
    emit dataChanged(this->index(0, c), this->index(rowCount() - 1, c));
  }
  return true;
}

QVariant TTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation == Qt::Horizontal) {
    const int field = FieldOfColumn(section);
    if (field < 0) return {};
    if (role == Qt::DisplayRole) return FromCp1250(table_.Fields()[std::size_t(field)].title);
    return {};
  }
  // The record indicator: a mark at the current record, a star at a record
  // being appended.
  if (role == Qt::DisplayRole) {
    if (table_.State() == TableState::Append && std::size_t(section) + 1 == table_.RowCount())
      return QStringLiteral("*");
    if (section == currentRow_) return QString(QChar(0x25B8));
    return QString();
  }
  if (role == Qt::TextAlignmentRole) return int(Qt::AlignCenter);
  return {};
}

Qt::ItemFlags TTableModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  Qt::ItemFlags f = Qt::ItemIsSelectable | Qt::ItemIsEnabled;
  if (editable_) f |= Qt::ItemIsEditable;
  return f;
}

// ---- the table's notifications

void TTableModel::RowsAboutToBeInserted(std::size_t first, std::size_t last) {
  if (!resetting_) beginInsertRows(QModelIndex(), int(first), int(last));
}

void TTableModel::RowsInserted(std::size_t, std::size_t) {
  if (!resetting_) endInsertRows();
}

void TTableModel::RowsAboutToBeRemoved(std::size_t first, std::size_t last) {
  if (!resetting_) beginRemoveRows(QModelIndex(), int(first), int(last));
}

void TTableModel::RowsRemoved(std::size_t, std::size_t) {
  if (!resetting_) endRemoveRows();
}

void TTableModel::DataChanged(std::size_t row, int field) {
  if (resetting_ || columnFields_.empty()) return;
  // The first stored item changes what every price-type cell shows, so a
  // change of the items table repaints the whole column.
  if (priceTypeField_ >= 0 && table_.RecordCount() <= 1 && rowCount() > 0) {
    const int c = ColumnOfField(priceTypeField_);
    emit dataChanged(index(0, c), index(rowCount() - 1, c));
  }
  const int column = field < 0 ? -1 : ColumnOfField(field);
  if (field >= 0 && column < 0) return;  // a field without a column
  const int first = column < 0 ? 0 : column;
  const int last = column < 0 ? columnCount() - 1 : column;
  emit dataChanged(index(int(row), first), index(int(row), last));
  emit headerDataChanged(Qt::Vertical, int(row), int(row));
}

void TTableModel::SetCompareMarks(std::set<Bookmark> added, std::map<Bookmark, std::set<int>> changed) {
  addedMarks_ = std::move(added);
  changedMarks_ = std::move(changed);
  if (rowCount() > 0) emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
}

void TTableModel::AboutToReset() {
  if (resetting_) return;
  beginResetModel();
  resetting_ = true;
}

void TTableModel::Reset() {
  if (!resetting_) return;
  resetting_ = false;
  endResetModel();
}

void TTableModel::CurrentChanged(std::size_t row) {
  const int old = currentRow_;
  currentRow_ = row == DocumentTable::npos ? -1 : int(row);
  if (resetting_) return;
  const int count = rowCount();
  if (old >= 0 && old < count) emit headerDataChanged(Qt::Vertical, old, old);
  if (currentRow_ >= 0 && currentRow_ < count) emit headerDataChanged(Qt::Vertical, currentRow_, currentRow_);
  emit tableCurrentChanged(currentRow_);
}

}  // namespace vestok
