// Pictures of both dialogs for the documentation, written only when
// VESTOK_SCREENSHOT_DIR names a folder: the dialogs as they look after a scan
// and a link test against a simulated register.
#include <QComboBox>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>

#include "support/window_state_for_tests.h"
#include "tools_fixture.h"
#include "ui/detect_ecrs_dialog.h"
#include "ui/pc_communication_dialog.h"

namespace vestok {
namespace {

class ToolScreenshots : public ToolsTest {};

TEST_F(ToolScreenshots, WritesBothDialogsWhenAsked) {
  const char* dir = std::getenv("VESTOK_SCREENSHOT_DIR");
  if (!dir) GTEST_SKIP() << "VESTOK_SCREENSHOT_DIR not set";
  StartSim({Register(1, "RO4500123"), Register(3, "RO4500777")});
  LinkSettings.PortName = port;
  LinkSettings.Speed = 9600;
  LinkSettings.CableTimeout = 20;

  {
    TfPCCommunication pc(nullptr, configPath, &dialogs);
    pc.show();
    pc.findChild<QPushButton*>("btStartTest")->click();
    ServeUntil([] { return false; }, 400);
    pc.findChild<QPushButton*>("btStopTest")->click();
    pc.findChild<QSlider*>("tbCableLength")->setValue(50);
    ASSERT_TRUE(pc.grab().save(QString::fromUtf8(dir) + "/pc-communication.png"));
  }
  {
    TfDetectECRs detect(nullptr, configPath, &dialogs);
    detect.resize(560, 460);
    detect.show();
    detect.findChild<QSlider*>("tbCableLength")->setValue(2);
    auto* ports = detect.findChild<QListWidget*>("clbSerialPorts");
    ports->findItems(QString::fromStdString(port), Qt::MatchExactly).front()->setCheckState(Qt::Checked);
    detect.findChild<QListWidget*>("clbSpeed")->item(1)->setCheckState(Qt::Checked);
    detect.findChild<QSpinBox*>("seLogicTo")->setValue(5);
    detect.findChild<QPushButton*>("btStart")->click();
    ASSERT_TRUE(ServeUntil([&] { return !detect.ScanRunning(); }, 20000));
    detect.findChild<QListWidget*>("lbECRs")->setCurrentRow(0);
    detect.findChild<QSlider*>("tbCableLength")->setValue(50);
    ASSERT_TRUE(detect.grab().save(QString::fromUtf8(dir) + "/detect-ecrs.png"));
  }
}

}  // namespace
}  // namespace vestok
