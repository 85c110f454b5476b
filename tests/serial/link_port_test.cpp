// The process-wide link port over pseudo-terminals.
#include "support/window_state_for_tests.h"
#include "ecr/link_port.h"

#include <gtest/gtest.h>
#include <termios.h>

#include "pty_pair.h"

namespace vestok {
namespace {

using test::PtyPair;

class LinkPortTest : public ::testing::Test {
 protected:
  void TearDown() override { CloseLink(LinkPort); }
  PtyPair pty;
};

TEST_F(LinkPortTest, OpensRawEightNoneWithoutFlowControl) {
  termios before{};
  tcgetattr(pty.slave, &before);
  before.c_cflag |= CSTOPB | PARENB | CRTSCTS;
  before.c_iflag |= IXON | IXOFF;
  tcsetattr(pty.slave, TCSANOW, &before);

  ASSERT_TRUE(OpenLink(LinkPort, pty.path, 9600));
  ASSERT_TRUE(LinkPort && LinkPort->IsOpen);
  termios t{};
  tcgetattr(pty.slave, &t);
  EXPECT_EQ(cfgetospeed(&t), B9600);
  EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
  EXPECT_EQ(t.c_cflag & (PARENB | CRTSCTS), 0u);
  EXPECT_EQ(t.c_iflag & (IXON | IXOFF | ICRNL), 0u);
  EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
  EXPECT_EQ(t.c_oflag & OPOST, 0u);
  EXPECT_NE(t.c_cflag & CSTOPB, 0u);  // the stop bits are the port's own
}

TEST_F(LinkPortTest, OperationsRunOnTheLinkPort) {
  ASSERT_TRUE(OpenLink(LinkPort, pty.path, 4800));
  EXPECT_FALSE(WaitForData(LinkPort, 0));
  pty.Write("ab");
  EXPECT_TRUE(WaitForData(LinkPort, 1000));
  EXPECT_EQ(ReadLinkByte(LinkPort, 100), 'a');
  PurgeLink(LinkPort);
  EXPECT_EQ(ReadLinkByte(LinkPort, 0), 0);
  EXPECT_EQ(LinkPort->LastErrorCode, 9997);
  CloseLink(LinkPort);
  EXPECT_FALSE(LinkPort);
  CloseLink(LinkPort);  // nothing to do
  EXPECT_FALSE(WaitForData(LinkPort, 0));
  EXPECT_EQ(ReadLinkByte(LinkPort, 0), 0);
  PurgeLink(LinkPort);
}

TEST_F(LinkPortTest, SpeedZeroFailsAndLeavesThePortFree) {
  EXPECT_FALSE(OpenLink(LinkPort, pty.path, 0));
  EXPECT_FALSE(LinkPort);
  EXPECT_TRUE(OpenLink(LinkPort, pty.path, 9600));
}

TEST_F(LinkPortTest, HeldPortFailsAndCloseLinkLeavesTheHolderAlone) {
  TBlockSerial holder;
  holder.OpenPort(pty.path);
  ASSERT_EQ(holder.LastErrorCode, 0);
  EXPECT_FALSE(OpenLink(LinkPort, pty.path, 9600));
  EXPECT_FALSE(LinkPort);
  CloseLink(LinkPort);
  EXPECT_TRUE(holder.IsOpen);
  EXPECT_EQ(holder.SendBytes("still"), 5);
  EXPECT_EQ(pty.Read(5, 1000), "still");
}

TEST_F(LinkPortTest, OpeningAgainReleasesThePreviousPort) {
  PtyPair second;
  ASSERT_TRUE(OpenLink(LinkPort, pty.path, 9600));
  ASSERT_TRUE(OpenLink(LinkPort, second.path, 9600));
  TBlockSerial other;
  other.OpenPort(pty.path);
  EXPECT_EQ(other.LastErrorCode, 0);
}

}  // namespace
}  // namespace vestok
