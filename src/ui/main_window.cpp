#include "ui/main_window.h"

#include <QTimer>

namespace vestok {

TfMain::TfMain(QWidget* parent) : QMainWindow(parent) {
  setObjectName("fMain");
  setWindowTitle("Vestok ver. 4.5.1 by Quorlan Engineering for Selvara Exim");
  resize(800, 600);
  setMinimumWidth(130);
}

void TfMain::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (shown_) return;
  shown_ = true;
  if (BatchMode) QTimer::singleShot(0, this, &QWidget::close);
}

}  // namespace vestok
