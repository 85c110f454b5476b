#pragma once
#include <QMainWindow>
#include <string>

namespace vestok {

// The main window. For now a bare frame: it carries the batch request and, in
// batch mode, closes as soon as it has been shown.
class TfMain : public QMainWindow {
  Q_OBJECT
 public:
  explicit TfMain(QWidget* parent = nullptr);

  bool BatchMode = false;
  bool BatchSave = false;
  int BatchVariant = 0;
  std::string BatchFileName;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  bool shown_ = false;
};

}  // namespace vestok
