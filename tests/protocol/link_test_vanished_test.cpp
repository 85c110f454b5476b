// The link test on a line whose far end goes away: it stops at the loss
// instead of counting the remaining blocks as sent.
#include <gtest/gtest.h>

#include <chrono>

#include "support/window_state_for_tests.h"
#include "config/link_settings.h"
#include "ecr/link_port.h"
#include "pty_pair.h"
#include "tools/link_test.h"

namespace vestok {
namespace {

TEST(LinkTestOnAVanishedLine, EndsSoonAfterTheLossWithTheBlocksReallySent) {
  test::PtyPair pty;
  TLinkTestSetup setup;
  setup.PortName = pty.path;
  setup.Speed = 9600;
  setup.TimeoutMs = 20;
  setup.Blocks = 999999;
  setup.ByteTimeoutLimit = 3;
  int updates = 0;
  TLinkTestHooks hooks;
  hooks.CountersChanged = [&](const TLinkTestCounters& c) {
    ++updates;
    if (c.BlocksSent == 3 && pty.master >= 0) pty.CloseMaster();  // the cable is pulled during block 3
  };
  const auto start = std::chrono::steady_clock::now();
  const TLinkTestCounters counters = RunLinkTest(LinkPort, setup, hooks);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  EXPECT_LE(counters.BlocksSent, 4);
  EXPECT_LT(updates, 100);
  EXPECT_FALSE(LinkPort);
}

}  // namespace
}  // namespace vestok
