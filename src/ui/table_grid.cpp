#include "ui/table_grid.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QTimer>
#include <algorithm>

#include "ui/dialogs.h"
#include "ui/field_delegate.h"
#include "ui/table_model.h"

namespace vestok {

TTableGrid::TTableGrid(DocumentTable& table, IDialogs& dialogs, QWidget* parent)
    : QTableView(parent), dialogs_(dialogs) {
  model_ = new TTableModel(table, this);
  setModel(model_);
  delegate_ = new TFieldDelegate(this);
  setItemDelegate(delegate_);

  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setShowGrid(true);
  setTabKeyNavigation(true);
  setWordWrap(false);
  setEditTriggers(model_->ReadOnly() ? QAbstractItemView::NoEditTriggers
                                     : QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                           QAbstractItemView::AnyKeyPressed);

  // Fixed row heights keep a grid of 100,000 rows as quick as a short one.
  QHeaderView* rows = verticalHeader();
  rows->setSectionResizeMode(QHeaderView::Fixed);
  rows->setDefaultSectionSize(fontMetrics().height() + 6);
  rows->setMinimumSectionSize(fontMetrics().height() + 2);
  rows->setFixedWidth(fontMetrics().horizontalAdvance(QLatin1Char('M')) + 8);
  horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  horizontalHeader()->setHighlightSections(false);
  SizeColumns();

  connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this, &TTableGrid::OnViewRowChanged);
  // While a job keeps the table's refreshing suspended the grid shows a
  // picture of its rows as they were, instead of an empty grid.
  connect(model_, &QAbstractItemModel::modelAboutToBeReset, this, &TTableGrid::FreezeRows);
  connect(model_, &QAbstractItemModel::modelReset, this, &TTableGrid::ThawRows);
  connect(model_, &TTableModel::tableCurrentChanged, this, &TTableGrid::OnTableCurrentChanged);
}

DocumentTable& TTableGrid::Table() const { return model_->Table(); }

bool TTableGrid::ReadOnly() const { return model_->ReadOnly(); }

void TTableGrid::SizeColumns() {
  const QFontMetrics metrics = fontMetrics();
  const int digit = metrics.horizontalAdvance(QLatin1Char('0'));
  // An integer column shows the widest value a field holds whole.
  const int integer = metrics.horizontalAdvance(QStringLiteral("-2147483648"));
  constexpr int kPadding = 8;  // the cell's text margins, a little room and the grid line
  for (int c = 0; c < model_->columnCount(); ++c) {
    const FieldDef& def = Table().Fields()[std::size_t(model_->FieldOfColumn(c))];
    // Room for a typical value, or the title where that is wider.
    // Texts get room for up to 40 characters (a receipt header line). On the
    // items page, so that all eight columns fit a window of 800 pixels, the
    // name has room for about the 20 characters a register keeps (letters
    // are narrower than digits) and the barcode for the 13 digits of an
    // EAN-13 code.
    int room = def.type == FieldType::Float ? 8 * digit : integer;
    if (def.type == FieldType::Text) room = std::clamp(def.width, 8, 40) * digit;
    if (Table().Kind() == tkItems && def.type == FieldType::Text)
      room = (def.name == "Barcode" ? 13 : 17) * digit;
    if (model_->IsPriceTypeColumn(c)) room = 8 * digit;
    const int title = metrics.horizontalAdvance(model_->headerData(c, Qt::Horizontal).toString());
    setColumnWidth(c, std::max(room, title) + kPadding);
  }
}

QItemSelectionModel::SelectionFlags TTableGrid::CurrentRowSelection() {
  return QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows;
}

void TTableGrid::FreezeRows() {
  if (!isVisible() || viewport()->width() <= 0) return;
  if (frozen_ == nullptr) {
    frozen_ = new QLabel(viewport());
    frozen_->setObjectName("frozenRows");
    frozen_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    frozen_->setAutoFillBackground(true);
  }
  frozen_->setPixmap(viewport()->grab());
  frozen_->setGeometry(viewport()->rect());
  frozen_->show();
  frozen_->raise();
}

void TTableGrid::ThawRows() {
  if (frozen_ != nullptr) frozen_->hide();
}

// ---- current row: view and table follow each other

void TTableGrid::OnViewRowChanged(const QModelIndex& current, const QModelIndex&) {
  if (following_) return;
  DocumentTable& table = Table();
  if (!table.IsOpen()) return;
  // Leaving a new row that was never written drops it.
  if (table.State() == TableState::Append && (!current.isValid() || std::size_t(current.row()) != table.CurrentRow()))
    table.Cancel();
  if (current.isValid() && std::size_t(current.row()) != table.CurrentRow() && std::size_t(current.row()) < table.RowCount())
    table.MoveTo(std::size_t(current.row()));
}

void TTableGrid::OnTableCurrentChanged(int row) {
  if (row < 0 || row >= model_->rowCount()) return;
  const QModelIndex now = currentIndex();
  if (now.isValid() && now.row() == row) return;
  // A record made current from outside the grid (a quick search, a job)
  // becomes the selection, as a click or an arrow key would make it: the
  // selective actions and Ctrl+Delete act on the rows shown highlighted.
  // The table is there already: the view's move must not move it again.
  following_ = true;
  SelectRowAlone(row);
  following_ = false;
}

void TTableGrid::SelectRowAlone(int row) {
  if (row < 0 || row >= model_->rowCount() || model_->columnCount() == 0) return;
  const QModelIndex now = currentIndex();
  const int column = now.isValid() ? now.column() : 0;
  movedByProgram_ = true;
  // Through the view rather than its selection model: the view then also
  // takes the row as the anchor that Shift+arrow and Shift+click extend
  // from, instead of the row clicked before the move.
  setCurrentIndex(model_->index(row, column));
  movedByProgram_ = false;
}

QItemSelectionModel::SelectionFlags TTableGrid::selectionCommand(const QModelIndex& index,
                                                                 const QEvent* event) const {
  // A move by the program ignores the keys held down at that moment.
  if (movedByProgram_) return CurrentRowSelection();
  return QTableView::selectionCommand(index, event);
}

void TTableGrid::FinishEditing() {
  if (state() != QAbstractItemView::EditingState) return;
  if (QWidget* editor = delegate_->Editor()) {
    commitData(editor);
    closeEditor(editor, QAbstractItemDelegate::NoHint);
  }
}

void TTableGrid::SettleTable() {
  FinishEditing();
  DocumentTable& table = Table();
  // Every write stores its record at once, so a record still being appended
  // is one the user never touched.
  if (table.IsOpen() && table.State() == TableState::Append) table.Cancel();
}

// ---- selection

void TTableGrid::SelectAllRows() {
  const int count = model_->rowCount();
  if (count == 0 || model_->columnCount() == 0) return;
  // One range for all rows: as quick for 100,000 rows as for ten, and the
  // current record is left where it was.
  const QItemSelection all(model_->index(0, 0), model_->index(count - 1, model_->columnCount() - 1));
  selectionModel()->select(all, QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

std::vector<Bookmark> TTableGrid::SelectedBookmarks() const {
  const DocumentTable& table = Table();
  const std::size_t stored = table.RecordCount();  // a row being appended is the last one
  std::vector<std::size_t> rows;
  for (const QItemSelectionRange& range : selectionModel()->selection())
    for (int r = range.top(); r <= range.bottom(); ++r)
      if (std::size_t(r) < stored) rows.push_back(std::size_t(r));
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  std::vector<Bookmark> marks;
  marks.reserve(rows.size());
  for (std::size_t r : rows) marks.push_back(table.BookmarkAt(r));
  return marks;
}

int TTableGrid::SelectedRowCount() const {
  const DocumentTable& table = Table();
  std::vector<bool> seen(table.RowCount(), false);
  int count = 0;
  for (const QItemSelectionRange& range : selectionModel()->selection())
    for (int r = range.top(); r <= range.bottom(); ++r)
      if (std::size_t(r) < seen.size() && !seen[std::size_t(r)]) {
        seen[std::size_t(r)] = true;
        ++count;
      }
  return count;
}

// ---- deleting and appending

bool TTableGrid::DeleteRows() {
  DocumentTable& table = Table();
  if (ReadOnly() || !table.IsOpen()) return false;
  const int selected = SelectedRowCount();
  if (selected == 0 && (table.CurrentRow() == DocumentTable::npos)) return false;
  const QString question = selected < 2 ? QStringLiteral("Delete record?") : QStringLiteral("Delete all selected records?");
  if (dialogs_.Message(this, TMessageKind::Confirmation, question, TMessageButtons::OkCancel) != TMessageAnswer::Ok)
    return false;

  if (selected == 0) {
    table.Delete();
    return true;
  }
  // A new row still being appended goes first (it is dropped, not stored).
  if (table.State() == TableState::Append) table.Cancel();
  const std::vector<Bookmark> marks = SelectedBookmarks();
  clearSelection();
  // Many rows at once: one refresh at the end instead of one per row.
  const bool bulk = marks.size() > 1;
  if (bulk) table.SuspendNotifications();
  try {
    for (Bookmark mark : marks)
      if (table.GotoBookmark(mark)) table.Delete();
  } catch (...) {
    if (bulk) table.ResumeNotifications();
    throw;
  }
  if (bulk) table.ResumeNotifications();
  return true;
}

bool TTableGrid::AppendRow() {
  DocumentTable& table = Table();
  if (ReadOnly() || !table.IsOpen()) return false;
  if (table.State() == TableState::Append) return false;  // one new row at a time
  // Leave a cell editor first, so its text is stored in its own record.
  if (state() == QAbstractItemView::EditingState) setCurrentIndex(currentIndex());
  table.Append();
  return true;
}

void TTableGrid::keyPressEvent(QKeyEvent* event) {
  const bool ctrl = event->modifiers() & Qt::ControlModifier;
  if (event->key() == Qt::Key_Delete && ctrl) {
    DeleteRows();
    event->accept();
    return;
  }
  if (!ReadOnly() && event->modifiers() == Qt::NoModifier) {
    const QModelIndex now = currentIndex();
    const bool onLastRow = !now.isValid() || now.row() + 1 >= model_->rowCount();
    if ((event->key() == Qt::Key_Down && onLastRow) || event->key() == Qt::Key_Insert) {
      if (AppendRow()) {
        event->accept();
        return;
      }
    }
  }
  QTableView::keyPressEvent(event);
}

}  // namespace vestok
