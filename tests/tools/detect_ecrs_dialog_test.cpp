// The detection dialog offscreen, against simulated registers.
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTest>

#include "support/window_state_for_tests.h"
#include "tools_fixture.h"
#include "ui/detect_ecrs_dialog.h"

namespace vestok {
namespace {

class DetectECRsTest : public ToolsTest {
 protected:
  void Open() {
    dialog = std::make_unique<TfDetectECRs>(nullptr, configPath, &dialogs);
    dialog->show();
    Get<QSlider>("tbCableLength")->setValue(5);  // 50 ms per selection
  }
  template <typename W>
  W* Get(const char* name) {
    W* w = dialog->findChild<W*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  void Click(const char* name) { Get<QPushButton>(name)->click(); }
  void Tick(const char* list, const QString& text, bool ticked = true) {
    const auto items = Get<QListWidget>(list)->findItems(text, Qt::MatchExactly);
    ASSERT_EQ(items.size(), 1) << text.toStdString();
    items.front()->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
  }
  void Range(int from, int to) {
    Get<QSpinBox>("seLogicFrom")->setValue(from);
    Get<QSpinBox>("seLogicTo")->setValue(to);
  }
  // Ticks the simulator's port and one speed, scans and waits for the end.
  void Scan(const QString& speed, int from, int to) {
    Tick("clbSerialPorts", QString::fromStdString(port));
    Tick("clbSpeed", speed);
    Range(from, to);
    Click("btStart");
    ASSERT_TRUE(ServeUntil([&] { return !dialog->ScanRunning(); }, 20000));
  }
  QStringList Entries() {
    QStringList texts;
    auto* list = Get<QListWidget>("lbECRs");
    for (int i = 0; i < list->count(); ++i) texts << list->item(i)->text();
    return texts;
  }
  bool Idle() { return Get<QPushButton>("btStart")->isEnabled() && !Get<QPushButton>("btStop")->isEnabled(); }
  QString Entry(const std::string& fiscal, const char* speed, int n) {
    return QString::fromStdString(fiscal + " - " + port + " [" + speed + "], nr logic: " + std::to_string(n));
  }

  void TearDown() override {
    dialog.reset();
    ToolsTest::TearDown();
  }

  std::unique_ptr<TfDetectECRs> dialog;
};

TEST_F(DetectECRsTest, OpensIdleWithNothingTickedAndTheCableLengthOfTheSettings) {
  StartSim({Register(1)});
  LinkSettings.CableTimeout = 730;
  dialog = std::make_unique<TfDetectECRs>(nullptr, configPath, &dialogs);
  EXPECT_EQ(dialog->windowTitle(), "Vestok - Selectare / detectare case de marcat");
  EXPECT_FALSE(dialog->windowFlags() & Qt::WindowCloseButtonHint);
  EXPECT_EQ(Get<QSlider>("tbCableLength")->value(), 73);
  EXPECT_EQ(Get<QSpinBox>("seLogicFrom")->value(), 1);
  EXPECT_EQ(Get<QSpinBox>("seLogicTo")->value(), 10);
  EXPECT_EQ(Get<QListWidget>("lbECRs")->toolTip(), "Case de marcat detectate");
  auto* speeds = Get<QListWidget>("clbSpeed");
  ASSERT_EQ(speeds->count(), 4);
  EXPECT_EQ(speeds->item(0)->text(), "  4800");
  EXPECT_EQ(speeds->item(3)->text(), "38400");
  EXPECT_FALSE(Get<QListWidget>("clbSerialPorts")->findItems(QString::fromStdString(port), Qt::MatchExactly).isEmpty());
  EXPECT_TRUE(Idle());
  EXPECT_TRUE(Get<QPushButton>("btSave")->isDefault());
  EXPECT_EQ(dialog->TickedPorts() + dialog->TickedSpeeds(), 0);
}

TEST_F(DetectECRsTest, TickCountsFollowTickingAndClearing) {
  StartSim({Register(1)});
  Open();
  Tick("clbSpeed", "  4800");
  Tick("clbSpeed", "19200");
  Tick("clbSpeed", "  4800", false);
  Tick("clbSerialPorts", QString::fromStdString(port));
  Get<QListWidget>("clbSpeed")->item(2)->setText("19200");  // not a tick
  EXPECT_EQ(dialog->TickedSpeeds(), 1);
  EXPECT_EQ(dialog->TickedPorts(), 1);
}

TEST_F(DetectECRsTest, TwoRegistersAreListedInTheOrderTheyAnswer) {
  StartSim({Register(7, "RO777"), Register(3, "RO333")});
  Open();
  std::vector<int> gauge;
  QStringList actions;
  QObject::connect(Get<QProgressBar>("Gauge"), &QProgressBar::valueChanged, [&](int v) { gauge.push_back(v); });
  QObject::connect(Get<QLineEdit>("eAction"), &QLineEdit::textChanged, [&](const QString& t) { actions << t; });
  Scan("  9600", 1, 10);
  EXPECT_EQ(Entries(), QStringList({Entry("RO333", "9600", 3), Entry("RO777", "9600", 7)}));
  ASSERT_EQ(actions.size(), 10);
  EXPECT_EQ(actions.front().toStdString(), "Incerc " + port + " [9600] - nr logic: 1");
  EXPECT_EQ(actions.back().toStdString(), "Incerc " + port + " [9600] - nr logic: 10");
  EXPECT_EQ(gauge.back(), 100);
  EXPECT_TRUE(Idle());

  // Three combinations: 33, 67, 100; a new scan empties the list first.
  gauge.clear();
  Get<QProgressBar>("Gauge")->setValue(0);
  gauge.clear();
  Range(5, 7);
  Click("btStart");
  ASSERT_TRUE(ServeUntil([&] { return !dialog->ScanRunning(); }));
  EXPECT_EQ(gauge, (std::vector<int>{33, 67, 100}));
  EXPECT_EQ(Entries(), QStringList({Entry("RO777", "9600", 7)}));
}

TEST_F(DetectECRsTest, StopKeepsTheRegistersFoundSoFar) {
  StartSim({Register(1, "RO1"), Register(2, "RO2")});
  Open();
  Tick("clbSerialPorts", QString::fromStdString(port));
  Tick("clbSpeed", "  9600");
  Range(1, 99);
  Click("btStart");
  ASSERT_TRUE(ServeUntil([&] { return Entries().size() >= 2; }));
  Click("btStop");
  EXPECT_FALSE(dialog->ScanRunning());
  EXPECT_TRUE(Idle());
  EXPECT_EQ(Entries(), QStringList({Entry("RO1", "9600", 1), Entry("RO2", "9600", 2)}));
  EXPECT_LT(Get<QProgressBar>("Gauge")->value(), 100);
}

TEST_F(DetectECRsTest, SelectTakesOverTheEntryEvenWithBlanksInItsFiscalNumber) {
  StartSim({Register(4, "AB 12 - X [1]")});
  LinkSettings.PortName = "COM1";
  Open();
  Scan("  9600", 3, 5);
  ASSERT_EQ(Entries().size(), 1);
  Get<QSlider>("tbCableLength")->setValue(35);
  auto* list = Get<QListWidget>("lbECRs");
  // A double click on the entry is "&Selecteaza".
  const QRect rect = list->visualItemRect(list->item(0));
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, rect.center());
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
  EXPECT_EQ(LinkSettings.PortName, port);
  EXPECT_EQ(LinkSettings.Speed, 9600);
  EXPECT_EQ(LinkSettings.LogicNo, 4);
  EXPECT_EQ(LinkSettings.CableTimeout, 350);
  EXPECT_EQ(ConfigValue("Port"), port);
  EXPECT_EQ(ConfigValue("Baud"), "4");
  EXPECT_EQ(ConfigValue("LogicNo"), "4");
  EXPECT_EQ(ConfigValue("CableLen"), "35");
}

TEST_F(DetectECRsTest, ARegisterAt19200IsStored) {
  StartSim({Register(2, "RO19")}, 19200);
  Open();
  Scan("19200", 2, 2);
  ASSERT_EQ(Entries(), QStringList({Entry("RO19", "19200", 2)}));
  Get<QListWidget>("lbECRs")->setCurrentRow(0);
  Click("btSave");
  EXPECT_EQ(LinkSettings.Speed, 19200);
  EXPECT_EQ(ConfigValue("Baud"), "8");
}

TEST_F(DetectECRsTest, SelectWithoutAnEntryRewritesTheSettingsItHeld) {
  StartSim({Register(1)});
  LinkSettings.PortName = "COM2";
  LinkSettings.Speed = 4800;
  LinkSettings.LogicNo = 6;
  LinkSettings.CableTimeout = 500;
  WriteConfig("[Communication]\r\nPort=1\r\nTestCmd=5\r\n");
  Open();
  Get<QSlider>("tbCableLength")->setValue(99);
  Click("btSave");
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
  EXPECT_EQ(LinkSettings.CableTimeout, 500);
  EXPECT_EQ(ConfigValue("Port"), "2");
  EXPECT_EQ(ConfigValue("LogicNo"), "6");
  EXPECT_EQ(ConfigValue("CableLen"), "50");
  EXPECT_EQ(ConfigValue("TestCmd"), "5");
}

TEST_F(DetectECRsTest, ExitDuringAScanStopsItAndStoresNothing) {
  StartSim({Register(1, "RO1")});
  const TLinkSettings before = LinkSettings;
  Open();
  Tick("clbSerialPorts", QString::fromStdString(port));
  Tick("clbSpeed", "  9600");
  Range(1, 99);
  Click("btStart");
  ASSERT_TRUE(ServeUntil([&] { return Entries().size() >= 1; }));
  Get<QListWidget>("lbECRs")->setCurrentRow(0);
  Click("btCancel");
  EXPECT_FALSE(dialog->ScanRunning());
  EXPECT_EQ(dialog->result(), QDialog::Rejected);
  EXPECT_EQ(LinkSettings.PortName, before.PortName);
  EXPECT_EQ(ConfigText(), "");
}

}  // namespace
}  // namespace vestok
