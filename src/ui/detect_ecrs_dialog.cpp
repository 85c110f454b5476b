#include "ui/detect_ecrs_dialog.h"

#include <QByteArray>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>
#include <vector>

#include "config/link_settings.h"
#include "ui/window_state.h"
#include "serial/serial_ports.h"
#include "ui/detect_thread.h"
#include "ui/dialogs.h"
#include "ui/link_status_line.h"
#include "ui/port_tool_text.h"

namespace vestok {

namespace {

// Where an entry of lbECRs keeps the register it stands for: its text is for
// reading only (a fiscal number may hold blanks).
constexpr int FiscalNumberRole = Qt::UserRole;
constexpr int PortRole = Qt::UserRole + 1;
constexpr int SpeedRole = Qt::UserRole + 2;
constexpr int LogicNoRole = Qt::UserRole + 3;
// The check state an entry of a check list had before its last change.
constexpr int TickedRole = Qt::UserRole + 4;

QByteArray Bytes(const std::string& text) { return QByteArray(text.data(), static_cast<qsizetype>(text.size())); }
std::string FromBytes(const QByteArray& bytes) { return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())); }

QListWidget* CheckList(QWidget* parent, const char* name, const QStringList& entries) {
  auto* list = new QListWidget(parent);
  list->setObjectName(QString::fromLatin1(name));
  for (const QString& text : entries) {
    auto* item = new QListWidgetItem(text, list);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
    item->setData(TickedRole, false);
  }
  return list;
}

QSpinBox* LogicNumberBox(QWidget* parent, const char* name, int value) {
  auto* box = new QSpinBox(parent);
  box->setObjectName(QString::fromLatin1(name));
  box->setRange(1, 99);
  box->setValue(value);
  return box;
}

QPushButton* Button(QWidget* parent, const char* name, const QString& caption) {
  auto* button = new QPushButton(caption, parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setAutoDefault(false);
  return button;
}

}  // namespace

TfDetectECRs::TfDetectECRs(QWidget* parent, std::string configPath, IDialogs* dialogs)
    : TPortToolDialog(parent, "fDetectECRs", QStringLiteral("Vestok - Selectare / detectare case de marcat"), std::move(configPath), dialogs) {
  BuildControls();
}

TfDetectECRs::~TfDetectECRs() { StopScan(); }

QGridLayout* TfDetectECRs::LayOutChoices() {
  auto* choices = new QGridLayout;
  choices->addWidget(new QLabel(QStringLiteral("Porturi:"), this), 0, 0);
  choices->addWidget(new QLabel(QStringLiteral("Viteze:"), this), 0, 1);
  choices->addWidget(clbSerialPorts, 1, 0);
  choices->addWidget(clbSpeed, 1, 1);

  auto* range = new QHBoxLayout;
  range->addWidget(new QLabel(QStringLiteral("Numar logic de la:"), this));
  range->addWidget(seLogicFrom);
  range->addWidget(new QLabel(QStringLiteral("pana la:"), this));
  range->addWidget(seLogicTo);
  range->addStretch(1);
  auto* scanButtons = new QHBoxLayout;
  scanButtons->addWidget(btStart);
  scanButtons->addWidget(btStop);
  scanButtons->addStretch(1);
  auto* scanSide = new QVBoxLayout;
  scanSide->addWidget(new QLabel(QStringLiteral("Lungime cablu:"), this));
  scanSide->addWidget(tbCableLength);
  scanSide->addLayout(range);
  scanSide->addLayout(scanButtons);
  scanSide->addStretch(1);
  choices->addLayout(scanSide, 0, 2, 2, 1);
  choices->setColumnStretch(2, 1);
  return choices;
}

void TfDetectECRs::BuildControls() {
  std::vector<std::string> ports;  // stays empty when the port list cannot be read
  ListSerialPorts(ports);
  clbSerialPorts = CheckList(this, "clbSerialPorts", SortedPortNames(ports));
  // The two lower speeds carry two leading blanks, so that they sort first.
  clbSpeed = CheckList(this, "clbSpeed",
                       {QStringLiteral("  4800"), QStringLiteral("  9600"), QStringLiteral("19200"),
                        QStringLiteral("38400")});
  connect(clbSerialPorts, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) { CountTick(item, tickedPorts_); });
  connect(clbSpeed, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) { CountTick(item, tickedSpeeds_); });

  tbCableLength = CableLengthSlider(this);
  tbCableLength->setValue(LinkSettings.CableTimeout / CableLenScale);
  seLogicFrom = LogicNumberBox(this, "seLogicFrom", 1);
  seLogicTo = LogicNumberBox(this, "seLogicTo", 10);

  lbECRs = new QListWidget(this);
  lbECRs->setObjectName(QStringLiteral("lbECRs"));
  lbECRs->setToolTip(QStringLiteral("Case de marcat detectate"));
  lbECRs->setSelectionMode(QAbstractItemView::SingleSelection);
  Gauge = new QProgressBar(this);
  Gauge->setObjectName(QStringLiteral("Gauge"));
  Gauge->setRange(0, 100);
  Gauge->setValue(0);
  eAction = new QLineEdit(this);
  eAction->setObjectName(QStringLiteral("eAction"));
  eAction->setReadOnly(true);

  btStart = Button(this, "btStart", QStringLiteral("Detecteaza"));
  btStop = Button(this, "btStop", QStringLiteral("Opreste"));
  btStop->setEnabled(false);
  btSave = Button(this, "btSave", QStringLiteral("&Selecteaza"));
  btSave->setDefault(true);
  btCancel = Button(this, "btCancel", QStringLiteral("&Iesire"));

  QGridLayout* choices = LayOutChoices();

  auto* action = new QHBoxLayout;
  action->addWidget(new QLabel(QStringLiteral("Operatie curenta:"), this));
  action->addWidget(eAction, 1);
  auto* closing = new QHBoxLayout;
  closing->addStretch(1);
  closing->addWidget(btSave);
  closing->addWidget(btCancel);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(choices);
  layout->addWidget(lbECRs, 1);
  layout->addWidget(new QLabel(QStringLiteral("Selectati una dintre casele detectate"), this));
  layout->addWidget(Gauge);
  layout->addLayout(action);
  layout->addWidget(lStatus = CreateLinkStatusLine(this));
  layout->addLayout(closing);

  connect(btStart, &QPushButton::clicked, this, &TfDetectECRs::StartScan);
  connect(btStop, &QPushButton::clicked, this, &TfDetectECRs::StopScan);
  connect(btSave, &QPushButton::clicked, this, &TfDetectECRs::SelectEntry);
  connect(lbECRs, &QListWidget::itemDoubleClicked, this, &TfDetectECRs::SelectEntry);
  connect(btCancel, &QPushButton::clicked, this, &TfDetectECRs::reject);
}

void TfDetectECRs::CountTick(QListWidgetItem* item, int& count) {
  const bool ticked = item->checkState() == Qt::Checked;
  if (ticked == item->data(TickedRole).toBool()) return;  // another change than the tick
  item->setData(TickedRole, ticked);
  count += ticked ? 1 : -1;
}

std::optional<std::string> TfDetectECRs::TickedEntry(const QListWidget* list, int index) {
  const QListWidgetItem* item = list->item(index);
  if (!item || item->checkState() != Qt::Checked) return std::nullopt;
  return ToolBytes(item->text());
}

bool TfDetectECRs::ScanRunning() const { return thread_ && !thread_->isFinished(); }

void TfDetectECRs::StartScan() {
  if (ScanRunning()) return;
  thread_.reset();
  TDetectThreadDisplay display;
  display.Started = [this] { return ScanStarted(); };
  display.TickedPort = [this](int index) { return TickedEntry(clbSerialPorts, index); };
  display.TickedSpeed = [this](int index) { return TickedEntry(clbSpeed, index); };
  display.Trying = [this](const std::string& text, int progress) {
    eAction->setText(ToolText(text));
    Gauge->setValue(progress);
  };
  display.Found = [this](const TDetectFound& found) { AddFound(found); };
  display.Finished = [this] {
    ScanFinished();
    LinkRunEnded(lStatus);
  };
  LinkRunStarting(lStatus);
  thread_ = std::make_unique<TDetectThread>(std::move(display));
  thread_->start();
}

TDetectScanSetup TfDetectECRs::ScanStarted() {
  btStart->setEnabled(false);
  btStop->setEnabled(true);
  lbECRs->clear();
  TDetectScanSetup setup;
  setup.LogicFrom = seLogicFrom->value();
  setup.LogicTo = seLogicTo->value();
  setup.TimeoutMs = tbCableLength->value() * CableLenScale;
  setup.TickedPorts = tickedPorts_;
  setup.TickedSpeeds = tickedSpeeds_;
  setup.PortCount = clbSerialPorts->count();
  setup.SpeedCount = clbSpeed->count();
  return setup;
}

void TfDetectECRs::ScanFinished() {
  btStart->setEnabled(true);
  btStop->setEnabled(false);
}

void TfDetectECRs::AddFound(const TDetectFound& found) {
  auto* item = new QListWidgetItem(ToolText(DetectEntryText(found)), lbECRs);
  item->setData(FiscalNumberRole, Bytes(found.FiscalNumber));
  item->setData(PortRole, Bytes(found.PortName));
  item->setData(SpeedRole, found.Speed);
  item->setData(LogicNoRole, static_cast<int>(found.LogicNo));
}

std::optional<TDetectFound> TfDetectECRs::EntryRegister(const QListWidgetItem* item) {
  if (!item || !item->data(PortRole).isValid()) return std::nullopt;
  TDetectFound found;
  found.FiscalNumber = FromBytes(item->data(FiscalNumberRole).toByteArray());
  found.PortName = FromBytes(item->data(PortRole).toByteArray());
  found.Speed = item->data(SpeedRole).toInt();
  found.LogicNo = static_cast<std::int16_t>(item->data(LogicNoRole).toInt());
  return found;
}

void TfDetectECRs::StopScan() {
  if (thread_) thread_->StopAndWait();
}

void TfDetectECRs::SelectEntry() {
  StopScan();
  const TLinkSettings before = LinkSettings;
  const QList<QListWidgetItem*> selected = lbECRs->selectedItems();
  if (!selected.isEmpty()) {
    if (const auto found = EntryRegister(selected.front())) {
      LinkSettings.PortName = found->PortName;
      LinkSettings.Speed = found->Speed;
      LinkSettings.LogicNo = static_cast<std::uint8_t>(found->LogicNo);
      LinkSettings.CableTimeout = tbCableLength->value() * CableLenScale;
    }
  }
  try {
    WriteLinkSettings(LinkSettings, configPath_);
  } catch (const ConfigWriteError& error) {
    // Settings the file did not take are not kept either; the dialog stays
    // open so that another entry can be chosen.
    LinkSettings = before;
    dialogs_->Message(this, TMessageKind::Error, ToolText(error.what()), TMessageButtons::Ok);
    return;
  }
  accept();
}

void TfDetectECRs::reject() {
  StopScan();
  QDialog::reject();
}

void ShowDetectECRsDialog(QWidget* parent) {
  TfDetectECRs dialog(parent);
  dialog.exec();
}

}  // namespace vestok
