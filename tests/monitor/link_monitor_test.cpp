// The line monitor watching the link while a fiscal number query runs on a
// worker thread, as the detection runs it.
#include <gtest/gtest.h>

#include <mutex>
#include <thread>

#include "ecr/fiscal_number.h"
#include "support/window_state_for_tests.h"
#include "monitor/link_monitor.h"
#include "protocol/sim_line.h"
#include "pty_pair.h"
#include "tools/link_test.h"

namespace vestok {
namespace {

// The monitor of the tests' link, as the window keeps one for its own.
TLinkMonitor& TestMonitor() {
  static TLinkMonitor monitor;
  return monitor;
}

class TCollect final : public ILinkMonitorSink {
 public:
  void MonitorLines(const std::vector<TMonitorLine>& lines) override {
    std::lock_guard lock(mutex);
    all.insert(all.end(), lines.begin(), lines.end());
  }
  std::vector<TMonitorLine> Lines() {
    TestMonitor().Drain();
    std::lock_guard lock(mutex);
    return all;
  }
  std::mutex mutex;
  std::vector<TMonitorLine> all;
};

class LinkMonitorTest : public SimLineTest {
 protected:
  void SetUp() override {
    SimLineTest::SetUp();
    TestMonitor().Attach(LinkPort);
    TestMonitor().AddSink(&sink);
  }
  void TearDown() override {
    TestMonitor().RemoveSink(&sink);
    TestMonitor().Detach(LinkPort);
    SimLineTest::TearDown();
  }
  TCollect sink;
};

TEST_F(LinkMonitorTest, SeesEveryByteOfAQueryOnAWorkerThreadAsTheRegisterDid) {
  StartSim();
  std::uint8_t result = 255;
  std::string fiscal;
  std::thread worker([&] { result = ReadFiscalNumber(LinkPort, sim->SlavePath(), 9600, 1, T, fiscal); });
  worker.join();
  ASSERT_EQ(result, 0);

  std::string toRegister, fromRegister, kinds;
  for (const TMonitorLine& line : sink.Lines()) {
    if (line.Direction == TMonitorDirection::ToRegister) toRegister += line.Bytes;
    if (line.Direction == TMonitorDirection::FromRegister) fromRegister += line.Bytes;
    if (line.Kind != TMonitorKind::Purge) kinds += std::string(MonitorKindName(line.Kind)) + ' ';
  }
  EXPECT_EQ(kinds, "open deselect select reply ack deselect close ");
  EXPECT_EQ(toRegister, ReceivedAfter(toRegister));
  EXPECT_EQ(fromRegister, sim->SentBytes());
}

TEST_F(LinkMonitorTest, APortThatIsMissingIsReportedWithItsReason) {
  std::thread worker([] { EXPECT_FALSE(OpenLink(LinkPort, "/dev/vestok-no-such-port", 9600)); });
  worker.join();
  const auto lines = sink.Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].Kind, TMonitorKind::Open);
  EXPECT_EQ(lines[1].Kind, TMonitorKind::Error);
  EXPECT_EQ(lines[1].Text, "portul nu exista (dispozitivul lipseste sau nu este conectat)");
  EXPECT_EQ(TestMonitor().LastFailure(),
            "Portul /dev/vestok-no-such-port nu poate fi deschis: " + lines[1].Text);
}

TEST_F(LinkMonitorTest, ALinkTestWhoseCableIsPulledNamesTheLoss) {
  test::PtyPair pty;
  TLinkTestSetup setup;
  setup.PortName = pty.path;
  setup.Speed = 9600;
  setup.TimeoutMs = 20;
  setup.ByteTimeoutLimit = 3;
  TLinkTestHooks hooks;
  hooks.CountersChanged = [&](const TLinkTestCounters& c) {
    if (c.BlocksSent == 2 && pty.master >= 0) pty.CloseMaster();
  };
  TestMonitor().ClearLastFailure();
  std::thread worker([&] { RunLinkTest(LinkPort, setup, hooks); });
  worker.join();
  int errors = 0, selects = 0;
  for (const TMonitorLine& line : sink.Lines()) {
    errors += line.Kind == TMonitorKind::Error;
    selects += line.Kind == TMonitorKind::Select;
    if (line.Kind == TMonitorKind::Error) {
      EXPECT_EQ(line.Text, "dispozitivul a disparut in timpul lucrului (cablu sau adaptor scos)");
    }
  }
  EXPECT_EQ(selects, 2);
  EXPECT_GE(errors, 1);
  EXPECT_LE(errors, 3);  // one line for the loss, not one per failed call
  EXPECT_EQ(TestMonitor().LastFailure(),
            "Legatura cu casa de marcat s-a pierdut: dispozitivul a disparut in timpul lucrului (cablu sau adaptor "
            "scos)");
}

}  // namespace
}  // namespace vestok
