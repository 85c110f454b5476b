#include "ui/quick_search.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>
#include <vector>

#include "ui/table_grid.h"
#include "ui/table_model.h"

namespace vestok {

namespace {

struct TBoxSpec {
  const char* name;
  const char* field;
  const char* label;
  int listWidth;  // also the box's width
};

struct TStripSpec {
  const char* name;
  const char* button;
  std::array<TBoxSpec, 3> boxes;  // by key number - 1; name nullptr for none
};

constexpr int kNumberWidth = 80;
constexpr int kNameWidth = 217;
constexpr int kBarcodeWidth = 131;

const TStripSpec kStrips[] = {
    {"pItemsSearch",
     "btSearchItems",
     {{{"dbsItemsPLU", "PLUCode", "Cod PLU [F1]", kNumberWidth},
       {"dbsItemsName", "ItemName", "Denumire articol [F2]", kNameWidth},
       {"dbsItemsBarcode", "Barcode", "Cod bare [F3]", kBarcodeWidth}}}},
    {"pItemSalesSearch", "btSearchItemSales", {{{"dbsItemSalesPLU", "PLUCode", "Cod PLU [F1]", kNumberWidth}}}},
    {"pGroupSalesSearch", "btSearchGroupSales", {{{"dbsGroupSalesGroup", "GroupNo", "Grupa [F1]", kNumberWidth}}}},
    {"pStandSalesSearch", "btSearchStandSales", {{{"dbsStandSalesStand", "StandNo", "Stand [F1]", kNumberWidth}}}},
    {"pOperatorsSearch",
     "btSearchOperators",
     {{{"dbsOperatorsNo", "OpNumber", "Numar operator [F1]", kNumberWidth},
       {"dbsOperatorsName", "Name", "Nume operator [F2]", kNameWidth}}}},
};

const QString kCollapsedCaption = QStringLiteral(">>");
const QString kOpenCaption = QStringLiteral("<<");

// The boxes and their list have the background of tool tips.
void PaintLikeToolTips(QWidget& widget) {
  QPalette palette = widget.palette();
  palette.setColor(QPalette::Base, palette.color(QPalette::ToolTipBase));
  palette.setColor(QPalette::Text, palette.color(QPalette::ToolTipText));
  widget.setPalette(palette);
}

bool IsListKey(int key) {
  return key == Qt::Key_Up || key == Qt::Key_Down || key == Qt::Key_PageUp || key == Qt::Key_PageDown;
}

}  // namespace

// ---- the drop-down list

TSearchList::TSearchList(TSearchBox& box) : QListView(nullptr), box_(box) {
  setWindowFlags(Qt::Popup);
  setUniformItemSizes(true);  // rows are never measured one by one
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  PaintLikeToolTips(*this);
  connect(this, &QListView::clicked, this, [this](const QModelIndex& index) {
    box_.ShowListRow(index.row());
    box_.CloseList();
  });
}

void TSearchList::keyPressEvent(QKeyEvent* event) {
  if (IsListKey(event->key()) || event->key() == Qt::Key_Home || event->key() == Qt::Key_End) {
    QListView::keyPressEvent(event);  // moves the current row; ShowListRow follows it
    return;
  }
  box_.CloseList();
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
      return;
    default:
      // Any other key goes on to the box, as if the list had not been open.
      QApplication::sendEvent(&box_, event);
  }
}

bool TSearchList::event(QEvent* event) {
  // While the list is open it receives every click. A click outside it closes
  // it, as any drop-down list does; an item view passes the clicks on itself
  // to nobody, which kept the list open over the grid.
  if (event->type() == QEvent::MouseButtonPress &&
      !rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint())) {
    box_.CloseList();
    return true;
  }
  return QListView::event(event);
}

// ---- the search box

TSearchBox::TSearchBox(DocumentTable& table, int field, int listWidth, TTableGrid* grid, QWidget* parent)
    : QLineEdit(parent), table_(table), field_(field), listWidth_(listWidth), grid_(grid), search_(table, field) {
  PaintLikeToolTips(*this);
  connect(this, &QLineEdit::textEdited, this, &TSearchBox::OnTextEdited);
  // The mouse opens the list through the arrow at the box's right end.
  QAction* drop = addAction(style()->standardIcon(QStyle::SP_ArrowDown), QLineEdit::TrailingPosition);
  connect(drop, &QAction::triggered, this, [this] { ListOpen() ? CloseList() : OpenList(); });
}

TSearchBox::~TSearchBox() { delete list_; }

void TSearchBox::Remember() {
  shownText_ = text();
  shownSelStart_ = selectionStart();
  shownSelLength_ = selectedText().size();
  shownCursor_ = cursorPosition();
}

void TSearchBox::Restore() {
  setText(shownText_);
  if (shownSelStart_ >= 0 && shownSelLength_ > 0)
    setSelection(shownSelStart_, shownSelLength_);
  else
    setCursorPosition(shownCursor_);
}

void TSearchBox::MoveTable(std::size_t row) {
  if (!table_.IsOpen() || row >= table_.RowCount()) return;
  table_.MoveTo(row);
  // The row found is the selection, whether or not it was current already
  // (a Select all before the search is left behind).
  if (grid_) grid_->SelectRowAlone(int(row));
}

bool TSearchBox::ApplyTyped(const QString& typed) {
  // An untouched new row in the grid is dropped before the search, not
  // stored by the move.
  if (grid_) grid_->SettleTable();
  applying_ = true;
  bool accepted = true;
  if (typed.isEmpty()) {
    setText(QString());
    if (table_.IsOpen() && table_.RowCount() > 0) MoveTable(0);
  } else {
    const std::size_t row = search_.FindFirst(typed);
    if (row == DocumentTable::npos) {
      accepted = false;
      Restore();
    } else {
      MoveTable(row);
      const QString value = search_.ValueText(row);
      setText(value);
      const int start = int(std::min(typed.size(), value.size()));
      if (start < value.size())
        setSelection(start, int(value.size()) - start);
      else
        setCursorPosition(int(value.size()));
    }
  }
  applying_ = false;
  if (!accepted) {
    QApplication::beep();
    emit refused();
    return false;
  }
  Remember();
  return true;
}

void TSearchBox::OnTextEdited(const QString& text) {
  if (!applying_) ApplyTyped(text);
}

void TSearchBox::keyPressEvent(QKeyEvent* event) {
  const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
  if (IsListKey(event->key()) && modifiers == Qt::NoModifier) {
    if (!ListOpen()) OpenList();
    return;
  }
  // Backspace over a completion takes back the last typed character, not
  // just the completed part, which the search would only complete again.
  if (event->key() == Qt::Key_Backspace && modifiers == Qt::NoModifier && hasSelectedText() &&
      selectionStart() > 0 && selectionEnd() == int(text().size())) {
    ApplyTyped(text().left(selectionStart() - 1));
    return;
  }
  QLineEdit::keyPressEvent(event);
}

bool TSearchBox::ListOpen() const { return list_ && list_->isVisible(); }

void TSearchBox::OpenList() {
  if (ListOpen()) return;
  if (!list_) {
    list_ = new TSearchList(*this);
    listModel_ = new TTableModel(table_, list_);
    list_->setModel(listModel_);
    list_->setModelColumn(listModel_->ColumnOfField(field_));
    connect(list_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) {
              if (current.isValid() && list_->isVisible()) ShowListRow(current.row());
            });
  }
  const int rowHeight = std::max(list_->sizeHintForRow(0), fontMetrics().height());
  const int rows = std::clamp(int(table_.IsOpen() ? table_.RowCount() : 0), 1, 8);
  list_->resize(listWidth_, rows * rowHeight + 2 * list_->frameWidth());
  list_->move(mapToGlobal(QPoint(0, height())));
  const std::size_t current = table_.IsOpen() ? table_.CurrentRow() : DocumentTable::npos;
  const QModelIndex index =
      current == DocumentTable::npos ? QModelIndex() : listModel_->index(int(current), list_->modelColumn());
  {
    const QSignalBlocker block(list_->selectionModel());
    list_->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
  }
  if (index.isValid()) list_->scrollTo(index, QAbstractItemView::PositionAtCenter);
  list_->show();
  list_->setFocus();
}

void TSearchBox::CloseList() {
  if (list_) list_->hide();
  setFocus();
}

void TSearchBox::ShowListRow(int row) {
  if (row < 0) return;
  if (grid_) grid_->SettleTable();
  MoveTable(std::size_t(row));
  applying_ = true;
  setText(search_.ValueText(std::size_t(row)));
  selectAll();
  applying_ = false;
  Remember();
}

// ---- the strip

TQuickSearchPanel::TQuickSearchPanel(TableKind kind, DocumentTable& table, TTableGrid* grid, QWidget* parent)
    : QFrame(parent), grid_(grid) {
  setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
  setFixedHeight(kCollapsedHeight);

  caption_ = new QLabel(QStringLiteral("Cautare rapida"), this);
  caption_->move(6, 5);
  button_ = new QPushButton(kCollapsedCaption, this);
  button_->setFixedSize(27, 17);
  button_->setFocusPolicy(Qt::NoFocus);
  connect(button_, &QPushButton::clicked, this, &TQuickSearchPanel::SearchPanelExpand);

  if (!HasPanel(kind)) return;
  const TStripSpec& strip = kStrips[kind];
  setObjectName(QString::fromLatin1(strip.name));
  button_->setObjectName(QString::fromLatin1(strip.button));
  int x = 6;
  for (std::size_t k = 0; k < strip.boxes.size(); ++k) {
    const TBoxSpec& spec = strip.boxes[k];
    if (!spec.name) continue;
    auto* label = new QLabel(QString::fromLatin1(spec.label), this);
    label->adjustSize();
    label->move(x, 32);
    auto* box = new TSearchBox(table, table.FieldIndex(spec.field), spec.listWidth, grid, this);
    box->setObjectName(QString::fromLatin1(spec.name));
    box->setGeometry(x, 47, spec.listWidth, 21);
    labels_[k] = label;
    boxes_[k] = box;
    x += std::max(spec.listWidth, label->width()) + 12;
  }
}

TSearchBox* TQuickSearchPanel::Box(int keyNumber) const {
  return keyNumber >= 1 && keyNumber <= 3 ? boxes_[std::size_t(keyNumber - 1)] : nullptr;
}

QLabel* TQuickSearchPanel::BoxLabel(int keyNumber) const {
  return keyNumber >= 1 && keyNumber <= 3 ? labels_[std::size_t(keyNumber - 1)] : nullptr;
}

bool TQuickSearchPanel::IsOpen() const { return button_->text() != kCollapsedCaption; }

void TQuickSearchPanel::SearchPanelExpand() {
  // The steps let the window handle events; a second click meanwhile must
  // not start a second animation on top of this one.
  if (animating_) return;
  animating_ = true;
  const bool opening = !IsOpen();
  const int h = height();
  for (int i = 0; i < kOpenSteps; ++i) {
    QApplication::processEvents();
    const int step = opening ? h + i : h - i;
    setFixedHeight(step);
    emit heightStepped(step);
  }
  button_->setText(opening ? kOpenCaption : kCollapsedCaption);
  animating_ = false;
  // The closed strip only hides its boxes below its edge: one that kept the
  // focus would go on taking the keys unseen, moving the grid and opening
  // its list over it. The keys go to the grid instead.
  QWidget* focus = QApplication::focusWidget();
  if (!opening && focus != nullptr && isAncestorOf(focus)) {
    if (grid_ != nullptr && grid_->isEnabled())
      grid_->setFocus(Qt::OtherFocusReason);
    else
      focus->clearFocus();
  }
}

bool TQuickSearchPanel::FocusBox(int keyNumber) {
  if (animating_ || IsOpen()) return false;
  TSearchBox* box = Box(keyNumber);
  if (!box) return false;
  SearchPanelExpand();
  box->setFocus(Qt::ShortcutFocusReason);
  box->selectAll();
  return true;
}

void TQuickSearchPanel::resizeEvent(QResizeEvent* event) {
  QFrame::resizeEvent(event);
  button_->move(width() - button_->width() - 4, 4);
}

bool TQuickSearchPanel::focusNextPrevChild(bool next) {
  std::vector<TSearchBox*> boxes;
  for (TSearchBox* box : boxes_)
    if (box != nullptr) boxes.push_back(box);
  const auto at = std::find(boxes.begin(), boxes.end(), QApplication::focusWidget());
  if (at == boxes.end()) return QFrame::focusNextPrevChild(next);
  const std::ptrdiff_t index = (at - boxes.begin()) + (next ? 1 : -1);
  if (index >= 0 && index < std::ptrdiff_t(boxes.size())) {
    boxes[std::size_t(index)]->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    boxes[std::size_t(index)]->selectAll();
    return true;
  }
  if (grid_ != nullptr && grid_->isEnabled() && grid_->isVisible()) {
    grid_->setFocus(next ? Qt::TabFocusReason : Qt::BacktabFocusReason);
    return true;
  }
  return QFrame::focusNextPrevChild(next);
}

bool FocusExecute(TQuickSearchPanel* panel, int keyNumber) { return panel && panel->FocusBox(keyNumber); }

}  // namespace vestok
