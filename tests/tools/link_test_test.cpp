// The link test's block algorithm against simulated registers.
#include <atomic>
#include <chrono>

#include "support/window_state_for_tests.h"
#include "ecr/frames.h"
#include "tools/link_test.h"
#include "tools_fixture.h"

namespace vestok {

void PrintTo(const TLinkTestCounters& c, std::ostream* os) {
  *os << "{sent " << c.BlocksSent << ", received " << c.BlocksReceived << ", crc " << c.CRCErrors << ", byte "
      << c.ByteTimeouts << ", block " << c.BlockTimeouts << "}";
}

namespace {

class LinkTestTest : public ToolsTest {
 protected:
  TLinkTestSetup Setup(int blocks, int timeoutMs = 100) const {
    TLinkTestSetup s;
    s.PortName = port;
    s.Speed = 9600;
    s.LogicNo = 1;
    s.TimeoutMs = timeoutMs;
    s.Blocks = blocks;
    s.ByteTimeoutLimit = 3;
    return s;
  }
  TLinkTestCounters Counters(std::int32_t sent, std::int32_t received, std::int32_t crc, std::int32_t byteTimeouts,
                             std::int32_t blockTimeouts) {
    return TLinkTestCounters{sent, received, crc, byteTimeouts, blockTimeouts};
  }
};

TEST_F(LinkTestTest, SpeedTextIsReadAsAnIntegerAndAnEmptyBoxGivesNone) {
  EXPECT_EQ(LinkTestSpeed("9600"), 9600);
  EXPECT_EQ(LinkTestSpeed("  4800"), 4800);
  EXPECT_FALSE(LinkTestSpeed(""));
  EXPECT_FALSE(LinkTestSpeed("96OO"));
}

TEST_F(LinkTestTest, NoRegisterOnTheLineCountsOnlyTheBlocksSent) {
  StartSim({Register(5)});  // nobody answers logical number 1
  std::vector<TLinkTestCounters> shown;
  TLinkTestHooks hooks;
  hooks.CountersChanged = [&](const TLinkTestCounters& c) { shown.push_back(c); };
  EXPECT_EQ(RunLinkTest(LinkPort, Setup(4), hooks), Counters(4, 0, 0, 0, 0));
  // Every change is shown, and blocks sent rises one at a time.
  ASSERT_EQ(shown.size(), 4u);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(shown[i].BlocksSent, i + 1);
  EXPECT_FALSE(LinkPort) << "the link is closed after the test";
}

TEST_F(LinkTestTest, ASoundRegisterAnswersEveryBlock) {
  StartSim({Register(1)});
  EXPECT_EQ(RunLinkTest(LinkPort, Setup(5), {}), Counters(5, 5, 0, 0, 0));
  // Each block selects, acknowledges and deselects: 5 selection frames of
  // logical number 1 and 5 acknowledgements reach the register.
  const auto count = [&](const std::string& what) {
    const std::string received = sim->ReceivedBytes();
    std::size_t n = 0;
    for (std::size_t at = received.find(what); at != std::string::npos; at = received.find(what, at + 1)) ++n;
    return n;
  };
  const std::size_t frames = 5 * (BuildSelectFrame(1).size() + 1 + BuildDeselectFrame().size());
  sim->WaitForReceived(frames, 2000);
  EXPECT_EQ(count("\x11\x11" "01"), 5u);
  EXPECT_EQ(count("\x06"), 5u);
}

TEST_F(LinkTestTest, CorruptOrShortAnswersCountAsCrcErrors) {
  TSimRegister wrong = Register(1);
  wrong.Faults.WrongCheck = true;
  TSimRegister shortAnswer = Register(2);
  // Lead byte, one payload byte, CR and two sound check bytes: 5 bytes.
  shortAnswer.AnswerPayload = "7";
  StartSim({wrong, shortAnswer});
  EXPECT_EQ(RunLinkTest(LinkPort, Setup(3), {}), Counters(3, 3, 3, 0, 0));
  auto setup = Setup(2);
  setup.LogicNo = 2;
  EXPECT_EQ(RunLinkTest(LinkPort, setup, {}), Counters(2, 2, 2, 0, 0));
}

TEST_F(LinkTestTest, AnAnswerThatNeverEndsIsABlockTimeoutAfterTestByteByteTimeouts) {
  TSimRegister cut = Register(1);
  cut.Faults.CutReplyAfter = 4;  // no CR ever comes
  StartSim({cut});
  EXPECT_EQ(RunLinkTest(LinkPort, Setup(2), {}), Counters(2, 0, 0, 6, 2));
}

TEST_F(LinkTestTest, StopIsReadBeforeEachBlockAndWithinANeverEndingAnswer) {
  TSimRegister cut = Register(1);
  cut.Faults.CutReplyAfter = 4;
  StartSim({cut});
  auto setup = Setup(999999);
  setup.ByteTimeoutLimit = 1000;  // 20 s of byte time-outs per block
  std::atomic<bool> stop{false};
  TLinkTestHooks hooks;
  hooks.StopRequested = [&] { return stop.load(); };
  hooks.CountersChanged = [&](const TLinkTestCounters& c) {
    if (c.ByteTimeouts >= 2) stop = true;
  };
  const auto start = std::chrono::steady_clock::now();
  const auto result = RunLinkTest(LinkPort, setup, hooks);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  // The block under way is finished: the answer that has stopped coming ends
  // at its next byte time-out, as a block time-out.
  EXPECT_EQ(result, Counters(1, 0, 0, 3, 1));

  stop = true;
  EXPECT_EQ(RunLinkTest(LinkPort, setup, hooks), Counters(0, 0, 0, 0, 0));
}

TEST_F(LinkTestTest, StopFinishesTheBlockInHand) {
  StartSim({Register(1)});
  std::atomic<bool> stop{false};
  TLinkTestHooks hooks;
  hooks.StopRequested = [&] { return stop.load(); };
  hooks.CountersChanged = [&](const TLinkTestCounters& c) {
    if (c.BlocksSent == 3) stop = true;  // while the third answer is awaited
  };
  EXPECT_EQ(RunLinkTest(LinkPort, Setup(999999), hooks), Counters(3, 3, 0, 0, 0));
}

TEST_F(LinkTestTest, NoSpeedOrAPortThatCannotBeOpenedSendsNothing) {
  StartSim({Register(1)});
  auto setup = Setup(3);
  setup.Speed.reset();
  EXPECT_EQ(RunLinkTest(LinkPort, setup, {}), Counters(0, 0, 0, 0, 0));
  setup = Setup(3);
  setup.PortName = "/dev/vestok-no-such-port";
  EXPECT_EQ(RunLinkTest(LinkPort, setup, {}), Counters(0, 0, 0, 0, 0));
  EXPECT_TRUE(sim->ReceivedBytes().empty());
}

TEST_F(LinkTestTest, CableLengthZeroMakesEveryWaitReturnAtOnce) {
  StartSim({Register(1)});
  const auto start = std::chrono::steady_clock::now();
  const auto result = RunLinkTest(LinkPort, Setup(20, 0), {});
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  EXPECT_EQ(result.BlocksSent, 20);
}

}  // namespace
}  // namespace vestok
