#include "ui/status_panels.h"

#include <QEvent>
#include <QPainter>
#include <QStyle>

namespace vestok {

TStatusTipFilter::TStatusTipFilter(QObject* window) : QObject(window) { window->installEventFilter(this); }

bool TStatusTipFilter::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::StatusTip) return true;
  return QObject::eventFilter(watched, event);
}

TStatusPanel::TStatusPanel(bool elideMiddle, QWidget* parent) : QLabel(parent), elide_(elideMiddle) {
  setTextFormat(Qt::PlainText);
  setFrameShape(QFrame::Panel);
  setFrameShadow(QFrame::Sunken);
}

void TStatusPanel::SetPanelText(const QString& text) {
  setText(text);
  if (elide_) setToolTip(text);
  if (grows_ && !elide_) {
    const int needed = PanelWidthFor(*this, {text});
    if (needed > minimumWidth()) setFixedWidth(needed);
  }
  update();
}

QSize TStatusPanel::minimumSizeHint() const {
  if (!elide_) return QLabel::minimumSizeHint();
  // An eliding panel can be narrow: its text is cut to fit.
  return QSize(fontMetrics().horizontalAdvance(QStringLiteral("M...M")) + 2 * frameWidth() + 2 * margin(),
               QLabel::minimumSizeHint().height());
}

QString TStatusPanel::ShownText() const {
  if (!elide_) return text();
  const int room = contentsRect().width() - 2 * margin() - 2 * indent();
  return fontMetrics().elidedText(text(), Qt::ElideMiddle, qMax(0, room));
}

void TStatusPanel::paintEvent(QPaintEvent* event) {
  if (!elide_) {
    QLabel::paintEvent(event);
    return;
  }
  QPainter painter(this);
  drawFrame(&painter);
  const QRect room = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
  style()->drawItemText(&painter, room, int(Qt::AlignLeft | Qt::AlignVCenter), palette(), isEnabled(), ShownText(),
                        foregroundRole());
}

int PanelWidthFor(const QLabel& panel, const QStringList& texts) {
  int widest = 0;
  for (const QString& text : texts) widest = qMax(widest, panel.fontMetrics().horizontalAdvance(text));
  return widest + 2 * panel.frameWidth() + 2 * panel.margin() + 8;
}

}  // namespace vestok
