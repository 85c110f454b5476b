// Sending, receiving, waiting and discarding over a pseudo-terminal, whose
// far end the test drives through the master descriptor.
#include <gtest/gtest.h>

#include <cerrno>
#include <thread>

#include "pty_pair.h"

namespace vestok {
namespace {
using namespace std::string_literals;

using test::MsSince;
using test::PtyPair;
using test::WaitQueued;
using Clock = std::chrono::steady_clock;

class SerialTransfer : public ::testing::Test {
 protected:
  void SetUp() override {
    port.OpenPort(pty.path);
    ASSERT_EQ(port.LastErrorCode, 0);
  }
  PtyPair pty;
  TBlockSerial port;
};

TEST_F(SerialTransfer, NothingReceivedTimesOut) {
  auto start = Clock::now();
  EXPECT_EQ(port.ReceiveByte(0), 0);
  EXPECT_EQ(port.LastErrorCode, 9997);
  EXPECT_EQ(port.LastErrorText, "Timeout during operation");
  EXPECT_LT(MsSince(start), 100);

  start = Clock::now();
  EXPECT_FALSE(port.WaitReadable(60));
  EXPECT_EQ(port.LastErrorCode, 0);
  EXPECT_GE(MsSince(start), 55);
}

TEST_F(SerialTransfer, BytesTogetherAreHandedOutOneByOneFromTheBuffer) {
  pty.Write("AB\0DE"s);
  ASSERT_TRUE(WaitQueued(port, 5));
  EXPECT_EQ(port.ReceiveByte(100), 'A');
  // Hang up the far end: the next four bytes must come from ReceiveBuffer
  // alone, since the platform now answers every call with an error.
  pty.CloseMaster();
  EXPECT_EQ(port.ReceiveByte(100), 'B');
  EXPECT_EQ(port.ReceiveByte(100), 0);  // a received 0x00 comes with code 0
  EXPECT_EQ(port.LastErrorCode, 0);
  EXPECT_EQ(port.ReceiveByte(100), 'D');
  EXPECT_EQ(port.ReceiveByte(100), 'E');
  EXPECT_EQ(port.LastErrorCode, 0);
  const auto start = Clock::now();
  EXPECT_EQ(port.ReceiveByte(5000), 0);
  EXPECT_EQ(port.LastErrorCode, EIO);
  EXPECT_LT(MsSince(start), 1000);
}

TEST_F(SerialTransfer, ByteArrivingDuringTheWaitIsReturned) {
  std::thread far([&] {
    poll(nullptr, 0, 30);
    pty.Write("Z");
  });
  const auto start = Clock::now();
  EXPECT_EQ(port.ReceiveByte(3000), 'Z');
  EXPECT_EQ(port.LastErrorCode, 0);
  EXPECT_LT(MsSince(start), 1500);
  far.join();
}

TEST_F(SerialTransfer, BytesPassUnchangedInBothDirections) {
  const std::string bytes = "\r\n\x11\x13\x03\x7f\xff\x00 ;"s;
  EXPECT_EQ(port.SendBytes(bytes), static_cast<int>(bytes.size()));
  EXPECT_EQ(port.LastErrorCode, 0);
  EXPECT_TRUE(port.WaitWritable(0));
  EXPECT_EQ(port.QueuedOutput(), 0);
  EXPECT_EQ(pty.Read(bytes.size(), 1000), bytes);

  pty.Write(bytes);
  std::string got;
  for (std::size_t i = 0; i < bytes.size(); ++i) got += static_cast<char>(port.ReceiveByte(1000));
  EXPECT_EQ(got, bytes);
  EXPECT_EQ(port.LastErrorCode, 0);
}

TEST_F(SerialTransfer, DiscardDropsReceivedBytesOnly) {
  pty.Write("XYZ");
  ASSERT_TRUE(WaitQueued(port, 3));
  EXPECT_EQ(port.ReceiveByte(100), 'X');  // Y and Z wait in ReceiveBuffer
  pty.Write("QQ");
  ASSERT_TRUE(WaitQueued(port, 2));
  EXPECT_TRUE(port.WaitReadable(0));
  port.DiscardQueues();
  EXPECT_EQ(port.LastErrorCode, 0);
  EXPECT_EQ(port.BufferedInput(), 0u);
  EXPECT_EQ(port.ReceiveByte(0), 0);
  EXPECT_EQ(port.LastErrorCode, 9997);
}

TEST_F(SerialTransfer, FrameFollowedAtOnceByDiscardArrivesWhole) {
  for (int round = 0; round < 500; ++round) {
    std::string frame(64, '\xff');
    for (int i = 5; i < 64; ++i) frame[i] = static_cast<char>('0' + (round + i) % 64);
    ASSERT_EQ(port.SendBytes(frame), 64);
    port.DiscardQueues();
    ASSERT_EQ(pty.Read(64, 1000), frame) << "round " << round;
  }
}

TEST_F(SerialTransfer, StuckSendIsAbandonedAfterTheCompletionTimeout) {
  port.SetCompletionTimeout(100);
  const std::string lots(1 << 20, 'x');  // far more than the far end, not reading, takes
  const auto start = Clock::now();
  const int sent = port.SendBytes(lots);
  EXPECT_EQ(port.LastErrorCode, 9997);
  EXPECT_LT(sent, static_cast<int>(lots.size()));
  EXPECT_LT(MsSince(start), 2000);
}

TEST_F(SerialTransfer, VanishedFarEndGivesErrorsAtOnce) {
  pty.CloseMaster();
  const auto start = Clock::now();
  EXPECT_FALSE(port.WaitReadable(5000));
  EXPECT_EQ(port.LastErrorCode, EIO);
  EXPECT_EQ(port.ReceiveByte(5000), 0);
  EXPECT_EQ(port.LastErrorCode, EIO);
  port.SendBytes("hello");
  EXPECT_EQ(port.LastErrorCode, EIO);
  EXPECT_FALSE(port.WaitWritable(5000));
  EXPECT_NE(port.LastErrorCode, 0);
  EXPECT_LT(MsSince(start), 1000);
  port.ClosePort();
  EXPECT_EQ(port.LastErrorCode, 0);
  EXPECT_FALSE(port.IsOpen);
}

}  // namespace
}  // namespace vestok
