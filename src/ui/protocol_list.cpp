#include "ui/protocol_list.h"

#include <QKeyEvent>
#include <QWheelEvent>

namespace vestok {

TProtocolList::TProtocolList(QWidget* parent) : QComboBox(parent) {
  setEditable(false);
  setFocusPolicy(Qt::ClickFocus);
}

void TProtocolList::wheelEvent(QWheelEvent* event) { event->ignore(); }

void TProtocolList::keyPressEvent(QKeyEvent* event) {
  const bool alt = event->modifiers() & Qt::AltModifier;
  switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_F4:
      showPopup();
      event->accept();
      return;
    case Qt::Key_Down:
    case Qt::Key_Up:
      if (alt) {
        showPopup();
        event->accept();
        return;
      }
      break;
    default:
      break;
  }
  // Nothing else changes the variant; Tab and the like go on to the window.
  QWidget::keyPressEvent(event);
}

}  // namespace vestok
