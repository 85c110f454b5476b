#include "ui/pc_communication_dialog.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>
#include <vector>

#include "config/link_settings.h"
#include "ui/window_state.h"
#include "serial/serial_ports.h"
#include "text/number_text.h"
#include "ui/dialogs.h"
#include "ui/link_status_line.h"
#include "ui/link_test_thread.h"
#include "ui/port_tool_text.h"

namespace vestok {

namespace {

QLineEdit* CounterBox(QWidget* parent, const char* name) {
  auto* box = new QLineEdit(QStringLiteral("0"), parent);
  box->setObjectName(QString::fromLatin1(name));
  box->setReadOnly(true);
  box->setAlignment(Qt::AlignRight);
  return box;
}

// The designed choices, replaced by the machine's ports when they can be read.
std::vector<std::string> PortChoices() {
  std::vector<std::string> ports;
  for (int n = 1; n <= 8; ++n) ports.push_back("COM" + IntToText(n));
  ListSerialPorts(ports);
  return ports;
}

}  // namespace

TfPCCommunication::TfPCCommunication(QWidget* parent, std::string configPath, IDialogs* dialogs)
    : TPortToolDialog(parent, "fPCCommunication", QStringLiteral("Vestok - Comunicatie PC"), std::move(configPath), dialogs) {
  BuildControls();
  ShowSettings();
}

TfPCCommunication::~TfPCCommunication() { StopTest(); }

QFormLayout* TfPCCommunication::BuildSettings() {
  cbSerialPort = new QComboBox(this);
  cbSerialPort->setObjectName(QStringLiteral("cbSerialPort"));
  cbSpeed = new QComboBox(this);
  cbSpeed->setObjectName(QStringLiteral("cbSpeed"));
  cbSpeed->addItems({QStringLiteral("4800"), QStringLiteral("9600")});
  seLogicNo = new QSpinBox(this);
  seLogicNo->setObjectName(QStringLiteral("seLogicNo"));
  seLogicNo->setRange(1, 99);
  tbCableLength = CableLengthSlider(this);

  auto* settings = new QFormLayout;
  settings->addRow(QStringLiteral("Port serial:"), cbSerialPort);
  settings->addRow(QStringLiteral("Viteza:"), cbSpeed);
  settings->addRow(QStringLiteral("Numar logic casa:"), seLogicNo);
  settings->addRow(QStringLiteral("Lungime cablu:"), tbCableLength);
  return settings;
}

QFormLayout* TfPCCommunication::BuildCounters() {
  eBlocksSent = CounterBox(this, "eBlocksSent");
  eBlocksReceived = CounterBox(this, "eBlocksReceived");
  eCRCErrors = CounterBox(this, "eCRCErrors");
  eByteTimeout = CounterBox(this, "eByteTimeout");
  eBlockTimeout = CounterBox(this, "eBlockTimeout");
  btStartTest = new QPushButton(QStringLiteral("Test comunicatie"), this);
  btStartTest->setObjectName(QStringLiteral("btStartTest"));
  btStopTest = new QPushButton(QStringLiteral("Stop test"), this);
  btStopTest->setObjectName(QStringLiteral("btStopTest"));
  btStopTest->setEnabled(false);
  for (auto* button : {btStartTest, btStopTest}) button->setAutoDefault(false);

  auto* counters = new QFormLayout;
  counters->addRow(QStringLiteral("Blocuri trimise:"), eBlocksSent);
  counters->addRow(QStringLiteral("Blocuri primite:"), eBlocksReceived);
  counters->addRow(QStringLiteral("Erori CRC:"), eCRCErrors);
  counters->addRow(QStringLiteral("Timeout octet:"), eByteTimeout);
  counters->addRow(QStringLiteral("Timeout bloc:"), eBlockTimeout);
  auto* testButtons = new QHBoxLayout;
  testButtons->addWidget(btStartTest);
  testButtons->addWidget(btStopTest);
  counters->addRow(testButtons);
  return counters;
}

void TfPCCommunication::BuildControls() {
  QFormLayout* settings = BuildSettings();
  QFormLayout* counters = BuildCounters();

  auto* columns = new QHBoxLayout;
  columns->addLayout(settings, 1);
  columns->addSpacing(16);
  columns->addLayout(counters, 1);

  btOK = new QPushButton(QStringLiteral("&OK"), this);
  btOK->setObjectName(QStringLiteral("btOK"));
  btOK->setDefault(true);
  btCancel = new QPushButton(QStringLiteral("&Abandon"), this);
  btCancel->setObjectName(QStringLiteral("btCancel"));
  btCancel->setAutoDefault(false);
  auto* closing = new QHBoxLayout;
  closing->addStretch(1);
  closing->addWidget(btOK);
  closing->addWidget(btCancel);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(columns);
  layout->addWidget(lStatus = CreateLinkStatusLine(this));
  layout->addLayout(closing);

  connect(btStartTest, &QPushButton::clicked, this, &TfPCCommunication::StartTest);
  connect(btStopTest, &QPushButton::clicked, this, &TfPCCommunication::StopTest);
  connect(btOK, &QPushButton::clicked, this, &TfPCCommunication::TakeOver);
  connect(btCancel, &QPushButton::clicked, this, &TfPCCommunication::reject);
}

void TfPCCommunication::ShowSettings() {
  cbSerialPort->addItems(SortedPortNames(PortChoices()));
  // -1 (nothing chosen) for a port the machine does not have.
  cbSerialPort->setCurrentIndex(cbSerialPort->findText(ToolText(LinkSettings.PortName), Qt::MatchExactly));
  cbSpeed->setCurrentIndex(cbSpeed->findText(ToolText(IntToText(LinkSettings.Speed)), Qt::MatchExactly));
  seLogicNo->setValue(LinkSettings.LogicNo);
  tbCableLength->setValue(LinkSettings.CableTimeout / CableLenScale);
}

bool TfPCCommunication::TestRunning() const { return thread_ && !thread_->isFinished(); }

void TfPCCommunication::StartTest() {
  if (TestRunning()) return;
  thread_.reset();
  TLinkTestSetup setup;
  setup.PortName = ToolBytes(cbSerialPort->currentText());
  setup.Speed = LinkTestSpeed(ToolBytes(cbSpeed->currentText()));
  setup.LogicNo = static_cast<std::int16_t>(seLogicNo->value());
  setup.TimeoutMs = tbCableLength->value() * CableLenScale;
  setup.Blocks = LinkSettings.TestCmd;
  setup.ByteTimeoutLimit = LinkSettings.TestByte;

  TTestThreadDisplay display;
  display.Started = [this] { ShowIdle(false); };
  display.ShowCounters = [this](const TLinkTestCounters& counters) { ShowCounters(counters); };
  display.Finished = [this] {
    ShowIdle(true);
    LinkRunEnded(lStatus);
  };
  LinkRunStarting(lStatus);
  thread_ = std::make_unique<TTestThread>(std::move(setup), std::move(display));
  thread_->start();
}

void TfPCCommunication::StopTest() {
  if (thread_) thread_->StopAndWait();
}

void TfPCCommunication::ShowCounters(const TLinkTestCounters& c) {
  eBlocksSent->setText(QString::number(c.BlocksSent));
  eBlocksReceived->setText(QString::number(c.BlocksReceived));
  eCRCErrors->setText(QString::number(c.CRCErrors));
  eByteTimeout->setText(QString::number(c.ByteTimeouts));
  eBlockTimeout->setText(QString::number(c.BlockTimeouts));
}

void TfPCCommunication::ShowIdle(bool idle) {
  btStartTest->setEnabled(idle);
  btStopTest->setEnabled(!idle);
}

void TfPCCommunication::ShowError(const QString& text) {
  dialogs_->Message(this, TMessageKind::Error, text, TMessageButtons::Ok);
}

void TfPCCommunication::TakeOver() {
  // An empty box takes over nothing: a half-applied setting would leave the
  // program with a port and speed that do not belong together.
  if (cbSerialPort->currentText().isEmpty()) {
    ShowError(QStringLiteral("Alegeti portul serial al casei de marcat!"));
    return;
  }
  const auto speed = LinkTestSpeed(ToolBytes(cbSpeed->currentText()));
  if (!speed) {
    ShowError(QStringLiteral("Alegeti viteza de comunicatie!"));
    return;
  }
  const TLinkSettings before = LinkSettings;
  LinkSettings.PortName = ToolBytes(cbSerialPort->currentText());
  LinkSettings.Speed = *speed;
  LinkSettings.LogicNo = static_cast<std::uint8_t>(seLogicNo->value());
  LinkSettings.CableTimeout = tbCableLength->value() * CableLenScale;
  try {
    WriteLinkSettings(LinkSettings, configPath_);
  } catch (const ConfigWriteError& error) {
    // Settings the file did not take are not kept either.
    LinkSettings = before;
    ShowError(ToolText(error.what()));
    return;
  }
  StopTest();
  accept();
}

void TfPCCommunication::reject() {
  StopTest();
  QDialog::reject();
}

void ShowPCCommunicationDialog(QWidget* parent) {
  TfPCCommunication dialog(parent);
  dialog.exec();
}

}  // namespace vestok
