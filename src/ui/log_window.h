#pragma once
// The log window: shows the lines of the last transfer, taken once when it is shown.
#include <QDialog>
#include <string>

class QPlainTextEdit;
class QPushButton;

namespace vestok {

class TOperationLog;

// The log as one text: each line followed by CR LF; an empty log gives "".
std::string LogText(const TOperationLog* log);

class TfLog : public QDialog {
  Q_OBJECT
 public:
  explicit TfLog(QWidget* parent = nullptr);

  QPlainTextEdit* mLog = nullptr;
  QPushButton* btCancel = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void FormShow();
  bool filled_ = false;
};

}  // namespace vestok
