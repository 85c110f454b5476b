#pragma once
// The captions of a page control on as many rows as the window's width needs,
// instead of one row behind scroll arrows: each caption stays whole at any
// width down to the narrowest caption. The page control's own tab row is
// hidden; a click on a caption shows its page, and the captions follow the
// page shown and the control's enabled state.
#include <QList>
#include <QWidget>

class QTabWidget;
class QToolButton;

namespace vestok {

class TPageRows : public QWidget {
  Q_OBJECT
 public:
  TPageRows(QTabWidget* pages, QWidget* parent = nullptr);

  QToolButton* Caption(int index) const { return captions_.value(index); }
  // The rows the captions take at `width`.
  int RowCount(int width) const;

  bool hasHeightForWidth() const override { return true; }
  int heightForWidth(int width) const override;
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Places the captions for `width`; returns the height used.
  int Arrange(int width, bool move) const;
  void OnPageChanged(int index);

  QTabWidget* pages_;
  QList<QToolButton*> captions_;
};

}  // namespace vestok
