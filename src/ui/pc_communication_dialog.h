#pragma once
// TfPCCommunication: the link settings (port, speed, logical number, cable
// length) and the link test with its five live counters. "&OK" takes the
// settings into LinkSettings and writes the configuration file; "&Abandon"
// drops them. Both stop a running test first.
#include <memory>
#include <string>

#include "startup/config_path.h"
#include "tools/link_test.h"
#include "ui/port_tool_text.h"

class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QSpinBox;

namespace vestok {

class IDialogs;
class TTestThread;

class TfPCCommunication final : public TPortToolDialog {
  Q_OBJECT
 public:
  // `configPath` is the file "&OK" writes; `dialogs` answers the message
  // boxes (the real ones when none is given).
  explicit TfPCCommunication(QWidget* parent = nullptr, std::string configPath = ConfigFilePath(),
                             IDialogs* dialogs = nullptr);
  ~TfPCCommunication() override;

  bool TestRunning() const;

 public slots:
  void reject() override;  // "&Abandon", also Esc

 private:
  void BuildControls();
  // The left column (the link settings) and the right one (the test counters
  // and their buttons), built in this order, which the focus chain follows.
  QFormLayout* BuildSettings();
  QFormLayout* BuildCounters();
  void ShowSettings();
  void StartTest();
  void StopTest();
  void TakeOver();  // "&OK"
  void ShowCounters(const TLinkTestCounters& counters);
  void ShowIdle(bool idle);
  void ShowError(const QString& text);

  std::unique_ptr<TTestThread> thread_;

  QComboBox* cbSerialPort = nullptr;
  QComboBox* cbSpeed = nullptr;
  QSpinBox* seLogicNo = nullptr;
  QSlider* tbCableLength = nullptr;
  QLineEdit* eBlocksSent = nullptr;
  QLineEdit* eBlocksReceived = nullptr;
  QLineEdit* eCRCErrors = nullptr;
  QLineEdit* eByteTimeout = nullptr;
  QLineEdit* eBlockTimeout = nullptr;
  QPushButton* btStartTest = nullptr;
  QPushButton* btStopTest = nullptr;
  QPushButton* btOK = nullptr;
  QPushButton* btCancel = nullptr;
  QLabel* lStatus = nullptr;  // why the last test stopped
};

// What the main window's "&Comunicatie PC..." runs: the dialog, modal,
// created for this use and destroyed when it closes.
void ShowPCCommunicationDialog(QWidget* parent);

}  // namespace vestok
