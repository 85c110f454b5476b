// The log window shows the operation log once, as it was when shown.
#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "ui/window_state.h"
#include "ui/log_window.h"
#include "ui_test_support.h"

namespace vestok {
namespace {

class LogWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::EnsureApplication();
    OperationLog = std::make_unique<TOperationLog>();
  }
  void TearDown() override { OperationLog.reset(); }
};

TEST_F(LogWindowTest, AnEmptyLogGivesAnEmptyBox) {
  EXPECT_EQ(LogText(OperationLog.get()), "");
  EXPECT_EQ(LogText(nullptr), "");
  TfLog log;
  log.show();
  EXPECT_EQ(log.mLog->toPlainText(), "");
  EXPECT_EQ(log.windowTitle(), "Vestok - Log ultima operatie");
  EXPECT_EQ(log.btCancel->text(), "&Inchide");
  EXPECT_TRUE(log.mLog->isReadOnly());
  EXPECT_EQ(log.size(), QSize(434, 327));
}

TEST_F(LogWindowTest, LinesAppearInOrderTakenOnceWhenShown) {
  OperationLog->Add("Incarcare articole");
  OperationLog->Add("Articol 1 din 2: cod \xBA");  // Windows-1250 text
  OperationLog->Add("Incarcare articole incheiata fara erori");
  EXPECT_EQ(LogText(OperationLog.get()),
            "Incarcare articole\r\nArticol 1 din 2: cod \xBA\r\nIncarcare articole incheiata fara erori\r\n");
  TfLog log;
  log.show();
  const QStringList lines = log.mLog->toPlainText().split('\n');
  ASSERT_EQ(lines.size(), 4);  // the text ends with a line break
  EXPECT_EQ(lines[0], "Incarcare articole");
  EXPECT_EQ(lines[1], QString::fromUtf8("Articol 1 din 2: cod ş"));
  EXPECT_EQ(lines[2], "Incarcare articole incheiata fara erori");
  OperationLog->Add("later");
  QCoreApplication::processEvents();
  EXPECT_FALSE(log.mLog->toPlainText().contains("later"));
}

TEST_F(LogWindowTest, EscAndTheButtonClose) {
  TfLog log;
  log.show();
  ASSERT_TRUE(log.isVisible());
  QTest::keyClick(&log, Qt::Key_Escape);
  EXPECT_FALSE(log.isVisible());
  TfLog second;
  second.show();
  second.btCancel->click();
  EXPECT_FALSE(second.isVisible());
}

}  // namespace
}  // namespace vestok
