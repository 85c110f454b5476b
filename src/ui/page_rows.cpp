#include "ui/page_rows.h"

#include <QEvent>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>

namespace vestok {

namespace {
constexpr int kGap = 2;
}

TPageRows::TPageRows(QTabWidget* pages, QWidget* parent) : QWidget(parent), pages_(pages) {
  setObjectName(pages->objectName() + QStringLiteral("Captions"));
  QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Fixed);
  policy.setHeightForWidth(true);
  setSizePolicy(policy);
  for (int i = 0; i < pages->count(); ++i) {
    auto* caption = new QToolButton(this);
    caption->setText(pages->tabText(i));
    caption->setCheckable(true);
    caption->setAutoExclusive(true);
    caption->setFocusPolicy(Qt::NoFocus);
    caption->setToolButtonStyle(Qt::ToolButtonTextOnly);
    connect(caption, &QToolButton::clicked, this, [this, i] { pages_->setCurrentIndex(i); });
    captions_.append(caption);
  }
  pages->tabBar()->hide();
  connect(pages, &QTabWidget::currentChanged, this, &TPageRows::OnPageChanged);
  pages->installEventFilter(this);
  OnPageChanged(pages->currentIndex());
}

void TPageRows::OnPageChanged(int index) {
  if (QToolButton* caption = captions_.value(index)) caption->setChecked(true);
}

bool TPageRows::eventFilter(QObject* watched, QEvent* event) {
  if (watched == pages_ && event->type() == QEvent::EnabledChange) setEnabled(pages_->isEnabled());
  return QWidget::eventFilter(watched, event);
}

int TPageRows::Arrange(int width, bool move) const {
  int x = kGap, y = kGap, rowHeight = 0;
  for (QToolButton* caption : captions_) {
    const QSize size = caption->sizeHint();
    if (x > kGap && x + size.width() > width) {
      x = kGap;
      y += rowHeight + kGap;
      rowHeight = 0;
    }
    if (move) caption->setGeometry(x, y, size.width(), size.height());
    x += size.width() + kGap;
    rowHeight = qMax(rowHeight, size.height());
  }
  return y + rowHeight + kGap;
}

int TPageRows::RowCount(int width) const {
  int rows = captions_.isEmpty() ? 0 : 1, x = kGap;
  for (QToolButton* caption : captions_) {
    const int w = caption->sizeHint().width();
    if (x > kGap && x + w > width) {
      ++rows;
      x = kGap;
    }
    x += w + kGap;
  }
  return rows;
}

int TPageRows::heightForWidth(int width) const { return Arrange(width, false); }

QSize TPageRows::sizeHint() const {
  int width = kGap;
  for (QToolButton* caption : captions_) width += caption->sizeHint().width() + kGap;
  return {width, heightForWidth(width)};
}

QSize TPageRows::minimumSizeHint() const {
  int widest = 0;
  for (QToolButton* caption : captions_) widest = qMax(widest, caption->sizeHint().width());
  // The height follows the width given (heightForWidth); one row is the least.
  return {widest + 2 * kGap, heightForWidth(QWIDGETSIZE_MAX)};
}

void TPageRows::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  // The rows the width needs decide the height (a main window's layout does
  // not ask its central widget's children for height-for-width).
  const int needed = Arrange(width(), true);
  if (minimumHeight() != needed) setFixedHeight(needed);
}

}  // namespace vestok
