#pragma once
// The quick-search strips above the grids of items, item sales, group sales,
// stand sales and operators. A strip is a one-line bar, "Cautare rapida" and a
// ">>" button, that opens in 51 one-pixel steps to show one to three search
// boxes. Typing into a box moves the table's current record (and so the
// grid's current row) to the first record that matches; a keystroke that
// would match nothing is refused with a beep.
#include <QFrame>
#include <QLineEdit>
#include <QListView>
#include <array>
#include <memory>

#include "tables/document_table.h"
#include "ui/quick_search_match.h"

class QLabel;
class QPushButton;

namespace vestok {

class TTableGrid;
class TTableModel;
class TSearchBox;

// The drop-down list of a search box: one row per record showing the box's
// field, read from a model over the table (no widget per row).
class TSearchList : public QListView {
  Q_OBJECT
 public:
  explicit TSearchList(TSearchBox& box);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  bool event(QEvent* event) override;

 private:
  TSearchBox& box_;
};

class TSearchBox : public QLineEdit {
  Q_OBJECT
 public:
  // A box over field `field` of `table`; `listWidth` is the width of its
  // drop-down list. `grid`, when given, is settled before the box moves the
  // table, so that an untouched new row is dropped rather than stored.
  TSearchBox(DocumentTable& table, int field, int listWidth, TTableGrid* grid, QWidget* parent = nullptr);
  ~TSearchBox() override;

  int Field() const { return field_; }
  // Handles `typed` as the text now in the box after a keystroke: moves to
  // the first match and shows its whole value with the part beyond `typed`
  // selected; an empty text goes to the first record. False, after a beep,
  // when nothing matches: the box and the current record stay as they were.
  bool ApplyTyped(const QString& typed);

  // The drop-down list.
  void OpenList();
  void CloseList();
  bool ListOpen() const;
  TSearchList* List() const { return list_; }
  // The list reached `row`: it becomes the current record, its value the text.
  void ShowListRow(int row);

 signals:
  // A keystroke was refused (the box also beeps).
  void refused();

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void OnTextEdited(const QString& text);
  void MoveTable(std::size_t row);
  void Remember();
  void Restore();

  DocumentTable& table_;
  int field_;
  int listWidth_;
  TTableGrid* grid_;
  TFieldSearch search_;
  TSearchList* list_ = nullptr;
  TTableModel* listModel_ = nullptr;
  // What the box showed after the last accepted change.
  QString shownText_;
  int shownSelStart_ = -1;
  int shownSelLength_ = 0;
  int shownCursor_ = 0;
  bool applying_ = false;
};

class TQuickSearchPanel : public QFrame {
  Q_OBJECT
 public:
  static constexpr int kCollapsedHeight = 25;
  static constexpr int kOpenSteps = 51;  // heights h .. h + 50

  // The strip of the page of `kind`; only kinds 0 to 4 have one (see HasPanel).
  TQuickSearchPanel(TableKind kind, DocumentTable& table, TTableGrid* grid = nullptr, QWidget* parent = nullptr);

  static bool HasPanel(TableKind kind) { return kind <= tkOperators; }

  QPushButton* Button() const { return button_; }
  // The box for key number 1 to 3 (F1 to F3); nullptr where the strip has none.
  TSearchBox* Box(int keyNumber) const;
  QLabel* BoxLabel(int keyNumber) const;
  // Open when the button shows anything but ">>".
  bool IsOpen() const;

  // SearchPanelExpand: the click on ">>" / "<<". Grows or shrinks the strip by
  // 50 pixels in 51 steps, letting the window repaint before each step.
  void SearchPanelExpand();
  // FocusExecute for this strip: on a collapsed strip with a box for
  // `keyNumber`, opens it and gives that box the focus with its text
  // selected. False (and nothing changes) otherwise.
  bool FocusBox(int keyNumber);

 signals:
  // One step of the opening or closing animation.
  void heightStepped(int height);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  // Tab goes from box to box and, past the last one (Shift+Tab past the
  // first), out of the strip to the page's grid.
  bool focusNextPrevChild(bool next) override;

 private:
  QLabel* caption_ = nullptr;
  QPushButton* button_ = nullptr;
  std::array<TSearchBox*, 3> boxes_{};
  std::array<QLabel*, 3> labels_{};
  TTableGrid* grid_ = nullptr;  // the page's grid, which gets the keys when the strip closes
  bool animating_ = false;
};

// The handler of aPLUCodeFocus (1), aNameFocus (2) and aBarcodeFocus (3):
// `panel` is the strip of the page shown (nullptr for a page without one).
bool FocusExecute(TQuickSearchPanel* panel, int keyNumber);

}  // namespace vestok
