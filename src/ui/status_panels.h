#pragma once
// The status bar keeps what the window and the jobs write into its panels:
// hints of the toolbar buttons and menu entries go to tooltips only, never
// over the panels. Panel 0 shows a long path elided in the middle, so that the
// file name stays visible, with the whole path as its tooltip.
#include <QLabel>
#include <QObject>
#include <QStringList>

class QStatusBar;

namespace vestok {

// Swallows the status-tip events that reach the window it is installed on.
class TStatusTipFilter : public QObject {
  Q_OBJECT
 public:
  explicit TStatusTipFilter(QObject* window);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
};

// A panel of the status bar. text() is always the whole text; a panel that
// elides shows it cut in the middle when it does not fit.
class TStatusPanel : public QLabel {
  Q_OBJECT
 public:
  explicit TStatusPanel(bool elideMiddle, QWidget* parent = nullptr);
  void SetPanelText(const QString& text);
  // A panel that grows: a text wider than the panel widens it (never back),
  // so that whatever is written there shows whole; the eliding panel beside
  // it gives up the room.
  void SetGrowsToFit(bool grows) { grows_ = grows; }
  QSize minimumSizeHint() const override;
  // The text as painted.
  QString ShownText() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  bool elide_;
  bool grows_ = false;
};

// The width a panel needs to show each of `texts` whole in `panel`'s font.
int PanelWidthFor(const QLabel& panel, const QStringList& texts);

}  // namespace vestok
