#pragma once
// The ECR settings page: for each operating parameter of tSettings a caption,
// a value box with the stored number of the current record, and (for all but
// the logical number) a list of descriptive choices. The box and the list
// mirror each other: the list shows the choice at the position the box
// holds, and picking a choice stores its position.
#include <QWidget>
#include <array>
#include <string_view>

#include "tables/document_table.h"

class QComboBox;
class QLabel;
class QLineEdit;

namespace vestok {

class TSettingsPage : public QWidget, private ITableObserver {
  Q_OBJECT
 public:
  static constexpr int kTagCount = 15;    // rows 2 to 16 carry Tags 1 to 15
  static constexpr int kRowPitch = 24;    // pixels from one row to the next

  // The page observes `settings` (a tSettings table) until it is destroyed;
  // the table must outlive the page.
  explicit TSettingsPage(DocumentTable& settings, QWidget* parent = nullptr);
  ~TSettingsPage() override;

  // The value box of the first row, which has no list.
  QLineEdit* dbeLogicalNo = nullptr;
  // The window's registry of this page, indexed by Tag (index 0 unused).
  std::array<QLineEdit*, kTagCount + 1> SettingsEdits{};
  std::array<QComboBox*, kTagCount + 1> SettingsCombos{};

  // The tSettings field of a box's row.
  static std::string_view FieldOfTag(int tag);

  // Writes what the user typed into the boxes into the current record (a new
  // one when the table has none). The boxes also do this when they lose the
  // focus; the window calls it before an upload or a save of the table. A
  // text that is no 32-bit integer is refused: the box shows the stored
  // value again.
  void Commit();

  // dbeChange: the box with `tag` changed its text; its list follows.
  void dbeChange(int tag);
  // cbSettingsChange: the user picked item `index` of the list with `tag`.
  void cbSettingsChange(int tag, int index);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 public:
  // The page is as tall as its rows need at a given width: on a page too
  // narrow for the captions in one line and the lists' longest choices, the
  // long captions wrap onto a second line instead of the lists cutting
  // their choices.
  QSize sizeHint() const override;
  bool hasHeightForWidth() const override { return true; }
  int heightForWidth(int width) const override;

 private:
  // ITableObserver: the boxes follow the current record.
  void RowsInserted(std::size_t, std::size_t) override { Refresh(); }
  void RowsRemoved(std::size_t, std::size_t) override { Refresh(); }
  void DataChanged(std::size_t, int) override { Refresh(); }
  void Reset() override { Refresh(); }
  void CurrentChanged(std::size_t) override { Refresh(); }

  void Refresh();
  QLineEdit* Edit(int row) const { return row == 0 ? dbeLogicalNo : SettingsEdits[std::size_t(row)]; }
  bool CommitBox(int row, bool refresh = true);
  // The width of the caption column on a page `width` pixels wide.
  int CaptionColumn(int width) const;
  int CaptionHeight(int row, int column) const;
  // Places the rows for `width` (only measures when `place` is false);
  // returns the height they take.
  int LayOutRows(int width, bool place) const;

  DocumentTable& table_;
  std::array<int, kTagCount + 1> fields_{};  // table field of each row
  std::array<QLabel*, kTagCount + 1> captions_{};
  std::array<int, kTagCount + 1> captionWidths_{};  // each caption's width on one line
  int widestCaption_ = 0;
  int listWidth_ = 0;  // what the list with the longest choice needs
  bool writing_ = false;
};

}  // namespace vestok
