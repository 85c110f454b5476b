#pragma once
// TfDetectECRs: finds the registers that answer on the ticked ports, speeds
// and logical numbers, lists them, and takes the chosen one (with the cable
// length set here) into LinkSettings and the configuration file.
#include <memory>
#include <optional>
#include <string>

#include "startup/config_path.h"
#include "tools/detect_scan.h"
#include "ui/port_tool_text.h"

class QGridLayout;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QProgressBar;
class QPushButton;
class QSlider;
class QSpinBox;

namespace vestok {

class IDialogs;
class TDetectThread;

class TfDetectECRs final : public TPortToolDialog {
  Q_OBJECT
 public:
  // `configPath` is the file "&Selecteaza" writes; `dialogs` answers the
  // message boxes (the real ones when none is given).
  explicit TfDetectECRs(QWidget* parent = nullptr, std::string configPath = ConfigFilePath(),
                        IDialogs* dialogs = nullptr);
  ~TfDetectECRs() override;

  bool ScanRunning() const;
  int TickedPorts() const { return tickedPorts_; }
  int TickedSpeeds() const { return tickedSpeeds_; }
  // The register an entry of lbECRs stands for, from the data kept with it.
  static std::optional<TDetectFound> EntryRegister(const QListWidgetItem* item);

 public slots:
  void reject() override;  // "&Iesire", also Esc

 private:
  void BuildControls();
  // The upper part: the two check lists and, beside them, the cable length,
  // the range of logic numbers and the scan buttons.
  QGridLayout* LayOutChoices();
  void StartScan();
  void StopScan();
  void SelectEntry();  // "&Selecteaza", also a double click
  TDetectScanSetup ScanStarted();
  void ScanFinished();
  void AddFound(const TDetectFound& found);
  static std::optional<std::string> TickedEntry(const QListWidget* list, int index);
  void CountTick(QListWidgetItem* item, int& count);

  std::unique_ptr<TDetectThread> thread_;
  int tickedPorts_ = 0;
  int tickedSpeeds_ = 0;

  QListWidget* clbSerialPorts = nullptr;
  QListWidget* clbSpeed = nullptr;
  QSlider* tbCableLength = nullptr;
  QSpinBox* seLogicFrom = nullptr;
  QSpinBox* seLogicTo = nullptr;
  QListWidget* lbECRs = nullptr;
  QProgressBar* Gauge = nullptr;
  QLineEdit* eAction = nullptr;
  QPushButton* btStart = nullptr;
  QPushButton* btStop = nullptr;
  QPushButton* btSave = nullptr;
  QPushButton* btCancel = nullptr;
  QLabel* lStatus = nullptr;  // why the link failed during the last scan
};

// What the main window's "&Selectare / detectare case..." runs: the dialog,
// modal, created for this use and destroyed when it closes.
void ShowDetectECRsDialog(QWidget* parent);

}  // namespace vestok
