// A port whose device goes away while it is open: the far end of the
// pseudo-terminal is closed. Every operation then fails at once (no wait runs
// its full time-out) and the port says that its device is gone until it is
// closed; a plain time-out on a sound port never says so.
#include <gtest/gtest.h>

#include <chrono>

#include "support/window_state_for_tests.h"
#include "ecr/link_port.h"
#include "pty_pair.h"

namespace vestok {
namespace {

using test::MsSince;
using test::PtyPair;

TEST(DeviceGone, ATimeOutOnASoundPortIsNoLoss) {
  PtyPair pty;
  TBlockSerial port;
  port.OpenPort(pty.path);
  ASSERT_TRUE(port.IsOpen);
  EXPECT_EQ(port.ReceiveByte(10), 0);
  EXPECT_EQ(port.LastErrorCode, ErrTimeout);
  EXPECT_FALSE(port.WaitReadable(10));
  EXPECT_FALSE(port.DeviceGone());
}

TEST(DeviceGone, ClosedFarEndFailsEveryOperationAtOnceUntilTheClose) {
  PtyPair pty;
  TBlockSerial port;
  port.OpenPort(pty.path);
  ASSERT_TRUE(port.IsOpen);
  pty.CloseMaster();

  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(port.ReceiveByte(1000), 0);
  EXPECT_NE(port.LastErrorCode, 0);
  EXPECT_NE(port.LastErrorCode, ErrTimeout);
  EXPECT_TRUE(port.DeviceGone());
  EXPECT_FALSE(port.WaitReadable(1000));
  port.SendBytes("x");
  EXPECT_NE(port.LastErrorCode, 0);
  EXPECT_LT(MsSince(start), 500);
  EXPECT_TRUE(port.DeviceGone());

  port.ClosePort();
  EXPECT_FALSE(port.DeviceGone());
  EXPECT_EQ(port.LastErrorCode, 0);
}

TEST(DeviceGone, LinkLostFollowsTheLinkPort) {
  EXPECT_FALSE(LinkLost(LinkPort));  // no link at all
  PtyPair pty;
  ASSERT_TRUE(OpenLink(LinkPort, pty.path, 9600));
  EXPECT_FALSE(LinkLost(LinkPort));
  pty.CloseMaster();
  EXPECT_FALSE(WaitForData(LinkPort, 1000));
  EXPECT_TRUE(LinkLost(LinkPort));
  CloseLink(LinkPort);
  EXPECT_FALSE(LinkLost(LinkPort));
  // A new link on a sound port starts sound.
  PtyPair other;
  ASSERT_TRUE(OpenLink(LinkPort, other.path, 9600));
  EXPECT_FALSE(LinkLost(LinkPort));
  CloseLink(LinkPort);
}

}  // namespace
}  // namespace vestok
