#include "ui/log_window.h"

#include <QPlainTextEdit>
#include <QPushButton>

#include "ui/window_state.h"
#include "text/cp1250.h"

namespace vestok {

std::string LogText(const TOperationLog* log) {
  std::string text;
  if (log == nullptr) return text;
  for (const std::string& line : log->Lines()) {
    text += line;
    text += "\r\n";
  }
  return text;
}

TfLog::TfLog(QWidget* parent) : QDialog(parent) {
  setObjectName("fLog");
  setWindowTitle("Vestok - Log ultima operatie");
  // A fixed dialog frame with no buttons in its title bar.
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  setFixedSize(434, 327);

  mLog = new QPlainTextEdit(this);
  mLog->setObjectName("mLog");
  mLog->setReadOnly(true);
  mLog->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  mLog->setLineWrapMode(QPlainTextEdit::NoWrap);
  mLog->setGeometry(32, 32, 369, 225);

  // The lower area is 55 pixels high; the button sits in it near the right edge.
  btCancel = new QPushButton("&Inchide", this);
  btCancel->setObjectName("btCancel");
  btCancel->setGeometry(434 - 32 - 105, 327 - 55 + (55 - 25) / 2, 105, 25);
  btCancel->setAutoDefault(false);
  // Esc rejects the dialog, which is what this button does too.
  connect(btCancel, &QPushButton::clicked, this, &QDialog::reject);
}

void TfLog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (filled_) return;
  filled_ = true;
  FormShow();
}

void TfLog::FormShow() {
  // The box shows the log as it is now; it is not refreshed while open.
  QString text = QString::fromStdU16String(Cp1250ToUtf16(LogText(OperationLog.get())));
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  mLog->setPlainText(text);
}

}  // namespace vestok
