// The PC communication dialog offscreen, against simulated registers.
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>

#include "support/window_state_for_tests.h"
#include "text/number_text.h"
#include "tools_fixture.h"
#include "ui/pc_communication_dialog.h"

namespace vestok {
namespace {

class PCCommunicationTest : public ToolsTest {
 protected:
  void Open() {
    dialog = std::make_unique<TfPCCommunication>(nullptr, configPath, &dialogs);
    dialog->show();
  }
  template <typename W>
  W* Get(const char* name) {
    W* w = dialog->findChild<W*>(QString::fromLatin1(name));
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  void Click(const char* name) { Get<QPushButton>(name)->click(); }
  int Counter(const char* name) { return Get<QLineEdit>(name)->text().toInt(); }
  bool Idle() { return Get<QPushButton>("btStartTest")->isEnabled() && !Get<QPushButton>("btStopTest")->isEnabled(); }
  void Choose(const char* box, const std::string& text) {
    auto* combo = Get<QComboBox>(box);
    const int i = combo->findText(QString::fromStdString(text));
    ASSERT_GE(i, 0) << text;
    combo->setCurrentIndex(i);
  }
  // The test runs until `enough` holds, then "Stop test".
  void TestUntil(const std::function<bool()>& enough) {
    Click("btStartTest");
    ASSERT_TRUE(ServeUntil([&] { return dialog->TestRunning() && enough(); }));
    Click("btStopTest");
    EXPECT_FALSE(dialog->TestRunning());
    EXPECT_TRUE(Idle());
  }

  void TearDown() override {
    dialog.reset();
    ToolsTest::TearDown();
  }

  std::unique_ptr<TfPCCommunication> dialog;
};

TEST_F(PCCommunicationTest, ShowsTheStoredSettingsWithoutACloseBox) {
  StartSim({Register(1)});
  LinkSettings.PortName = port;
  LinkSettings.Speed = 9600;
  LinkSettings.LogicNo = 42;
  LinkSettings.CableTimeout = 370;
  Open();
  EXPECT_EQ(dialog->windowTitle(), "Vestok - Comunicatie PC");
  EXPECT_FALSE(dialog->windowFlags() & Qt::WindowSystemMenuHint);
  EXPECT_FALSE(dialog->windowFlags() & Qt::WindowCloseButtonHint);
  EXPECT_EQ(Get<QComboBox>("cbSerialPort")->currentText().toStdString(), port);
  EXPECT_EQ(Get<QComboBox>("cbSpeed")->currentText(), "9600");
  EXPECT_EQ(Get<QSpinBox>("seLogicNo")->value(), 42);
  EXPECT_EQ(Get<QSlider>("tbCableLength")->value(), 37);
  EXPECT_EQ(Get<QSlider>("tbCableLength")->maximum(), 150);
  for (const char* name : {"eBlocksSent", "eBlocksReceived", "eCRCErrors", "eByteTimeout", "eBlockTimeout"}) {
    EXPECT_EQ(Get<QLineEdit>(name)->text(), "0") << name;
    EXPECT_TRUE(Get<QLineEdit>(name)->isReadOnly());
  }
  EXPECT_TRUE(Idle());
  EXPECT_TRUE(Get<QPushButton>("btOK")->isDefault());
}

TEST_F(PCCommunicationTest, APortOrSpeedTheListsLackLeavesTheirBoxEmpty) {
  StartSim({Register(1)});
  LinkSettings.PortName = "/dev/vestok-gone";
  LinkSettings.Speed = 19200;
  Open();
  EXPECT_EQ(Get<QComboBox>("cbSerialPort")->currentIndex(), -1);
  EXPECT_EQ(Get<QComboBox>("cbSpeed")->currentIndex(), -1);
  EXPECT_GE(Get<QComboBox>("cbSerialPort")->findText(QString::fromStdString(port)), 0);
}

TEST_F(PCCommunicationTest, CountersWithAndWithoutARegister) {
  StartSim({Register(1)});
  LinkSettings.PortName = port;
  LinkSettings.Speed = 9600;
  LinkSettings.CableTimeout = 20;
  Open();
  // Logical number 9 has no register: only blocks sent moves.
  Get<QSpinBox>("seLogicNo")->setValue(9);
  TestUntil([&] { return Counter("eBlocksSent") >= 3; });
  EXPECT_EQ(Counter("eBlocksReceived") + Counter("eCRCErrors") + Counter("eByteTimeout") + Counter("eBlockTimeout"), 0);

  // The next test starts from 0 and counts the register's answers.
  Get<QSpinBox>("seLogicNo")->setValue(1);
  TestUntil([&] { return Counter("eBlocksReceived") >= 3; });
  EXPECT_GE(Counter("eBlocksSent"), Counter("eBlocksReceived"));
  EXPECT_LE(Counter("eBlocksSent") - Counter("eBlocksReceived"), 1);
  EXPECT_EQ(Counter("eCRCErrors"), 0);
  EXPECT_EQ(Counter("eBlockTimeout"), 0);
}

TEST_F(PCCommunicationTest, ATestStoppedAtOnceEndsIdleWithAtMostOneBlock) {
  StartSim({Register(1)});
  LinkSettings.PortName = port;
  LinkSettings.Speed = 9600;
  LinkSettings.LogicNo = 9;  // no answer: one block lasts the 100 ms time-out
  LinkSettings.CableTimeout = 100;
  Open();
  for (int round = 0; round < 3; ++round) {
    Click("btStartTest");
    // "Stop test" is usable from the thread's first step on.
    ASSERT_TRUE(ServeUntil([&] { return Get<QPushButton>("btStopTest")->isEnabled(); }));
    Click("btStopTest");
    EXPECT_FALSE(dialog->TestRunning());
    EXPECT_TRUE(Idle());
    EXPECT_LE(Counter("eBlocksSent"), 1);
  }
}

TEST_F(PCCommunicationTest, CorruptCheckBytesAndEndlessAnswersAreCounted) {
  TSimRegister wrong = Register(1);
  wrong.Faults.WrongCheck = true;
  TSimRegister endless = Register(2);
  endless.Faults.CutReplyAfter = 3;
  StartSim({wrong, endless});
  LinkSettings.PortName = port;
  LinkSettings.Speed = 9600;
  LinkSettings.TestByte = 2;
  Open();
  Get<QSlider>("tbCableLength")->setValue(2);
  TestUntil([&] { return Counter("eCRCErrors") >= 2; });
  EXPECT_EQ(Counter("eCRCErrors"), Counter("eBlocksReceived"));

  Get<QSpinBox>("seLogicNo")->setValue(2);
  TestUntil([&] { return Counter("eBlockTimeout") >= 2; });
  EXPECT_EQ(Counter("eBlocksReceived"), 0);
  // Two byte time-outs per block time-out; the block in hand when Stop came
  // ends at its next failed read, so it may count fewer, or one more.
  EXPECT_GE(Counter("eByteTimeout"), 2 * Counter("eBlockTimeout") - 2);
  EXPECT_LE(Counter("eByteTimeout"), 2 * Counter("eBlockTimeout") + 1);
}

TEST_F(PCCommunicationTest, TheTestRunsWithTheDialogsValuesAndAbandonStoresNothing) {
  // The register answers only at 9600; the stored speed is 4800.
  StartSim({Register(1)}, 9600);
  LinkSettings.PortName = port;
  LinkSettings.Speed = 4800;
  WriteConfig("[Communication]\r\nBaud=2\r\n");
  Open();
  Choose("cbSpeed", "9600");
  Get<QSpinBox>("seLogicNo")->setValue(1);
  TestUntil([&] { return Counter("eBlocksReceived") >= 1; });
  Click("btCancel");
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(dialog->result(), QDialog::Rejected);
  EXPECT_EQ(LinkSettings.Speed, 4800);
  EXPECT_EQ(ConfigText(), "[Communication]\r\nBaud=2\r\n");
}

TEST_F(PCCommunicationTest, OkWhileATestRunsStopsItAndStoresTheSettings) {
  StartSim({Register(1)});
  LinkSettings.PortName = port;
  Open();
  Choose("cbSpeed", "9600");
  Get<QSpinBox>("seLogicNo")->setValue(7);
  Get<QSlider>("tbCableLength")->setValue(12);
  Click("btStartTest");
  ASSERT_TRUE(ServeUntil([&] { return Counter("eBlocksSent") >= 1; }));
  Click("btOK");
  EXPECT_FALSE(dialog->TestRunning());
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
  EXPECT_EQ(LinkSettings.PortName, port);
  EXPECT_EQ(LinkSettings.Speed, 9600);
  EXPECT_EQ(LinkSettings.LogicNo, 7);
  EXPECT_EQ(LinkSettings.CableTimeout, 120);
  EXPECT_EQ(ConfigValue("Port"), port);
  EXPECT_EQ(ConfigValue("Baud"), "4");
  EXPECT_EQ(ConfigValue("LogicNo"), "7");
  EXPECT_EQ(ConfigValue("CableLen"), "12");
}

TEST_F(PCCommunicationTest, OkWithAnEmptyBoxOrARefusedWriteTakesOverNothing) {
  StartSim({Register(1)});
  LinkSettings.PortName = "/dev/vestok-gone";
  LinkSettings.Speed = 19200;
  LinkSettings.LogicNo = 3;
  const TLinkSettings before = LinkSettings;
  const auto unchanged = [&] {
    return LinkSettings.PortName == before.PortName && LinkSettings.Speed == before.Speed &&
           LinkSettings.LogicNo == before.LogicNo && LinkSettings.CableTimeout == before.CableTimeout;
  };
  Open();
  Get<QSpinBox>("seLogicNo")->setValue(8);

  Click("btOK");  // no port, no speed
  Choose("cbSerialPort", port);
  Click("btOK");  // no speed
  ASSERT_EQ(dialogs.Messages().size(), 2u);
  EXPECT_EQ(dialogs.Messages()[0].Text, "Alegeti portul serial al casei de marcat!");
  EXPECT_EQ(dialogs.Messages()[1].Text, "Alegeti viteza de comunicatie!");
  EXPECT_EQ(dialogs.Messages()[1].Kind, TMessageKind::Error);
  EXPECT_TRUE(unchanged());
  EXPECT_TRUE(dialog->isVisible());

  // A file that cannot be written: the message of the write, nothing kept.
  configPath = "/proc/vestok-no-such-dir/Vestok.ini";
  dialog.reset();
  Open();
  Choose("cbSerialPort", port);
  Choose("cbSpeed", "4800");
  Click("btOK");
  ASSERT_EQ(dialogs.Messages().size(), 3u);
  EXPECT_EQ(dialogs.Messages()[2].Text.toStdString(), "Unable to write to " + configPath);
  EXPECT_TRUE(unchanged());
  EXPECT_TRUE(dialog->isVisible());
}

}  // namespace
}  // namespace vestok
