// Replies that no sound register sends, played on a bare pseudo-terminal:
// noise, a lone CR, a line that streams bytes and never ends a reply. The
// reader gives each up as a failed reply, in bounded time, and a sound reply
// of unusual length is still taken.
#include <gtest/gtest.h>
#include <poll.h>

#include <atomic>
#include <chrono>
#include <random>
#include <thread>

#include "support/window_state_for_tests.h"
#include "config/link_settings.h"
#include "ecr/exchange.h"
#include "ecr/frames.h"
#include "ecr/link_port.h"
#include "pty_pair.h"

namespace vestok {
namespace {

using test::MsSince;
using test::PtyPair;

class GarbledReply : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = LinkSettings;
    LinkSettings.CableTimeout = 20;
    LinkSettings.RetryByte = 3;
    ASSERT_TRUE(OpenLink(LinkPort, pty.path, 9600));
  }
  void TearDown() override {
    StopStreaming();
    CloseLink(LinkPort);
    LinkSettings = saved_;
  }

  // The far end sends `byte` without pause until StopStreaming.
  void StreamForever(char byte) {
    streaming_ = true;
    streamer_ = std::thread([this, byte] {
      const std::string chunk(256, byte);
      while (streaming_) {
        pollfd p{pty.master, POLLOUT, 0};
        if (poll(&p, 1, 10) > 0 && write(pty.master, chunk.data(), chunk.size()) > 0) streamed_ += chunk.size();
      }
    });
  }
  void StopStreaming() {
    streaming_ = false;
    if (streamer_.joinable()) streamer_.join();
  }

  // The payload followed by CR and its check bytes, behind a lead byte.
  static std::string SoundReply(const std::string& payload) {
    return "\n" + payload + "\r" + CheckBytes(payload + "\r");
  }

  PtyPair pty;
  std::atomic<std::size_t> streamed_{0};

 private:
  TLinkSettings saved_;
  std::atomic<bool> streaming_{false};
  std::thread streamer_;
};

TEST_F(GarbledReply, EndlessFillerWithoutCrIsGivenUpNearTheLengthLimit) {
  StreamForever('\xFF');
  std::string payload = "unchanged";
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(ReceiveReply(LinkPort, payload));
  EXPECT_LT(MsSince(start), 2000);
  EXPECT_EQ(payload, "unchanged");
  StopStreaming();
  EXPECT_GE(streamed_.load(), MaxReplyLength);
  // The next exchange starts on a clean line.
  PurgeLink(LinkPort);
}

TEST_F(GarbledReply, EndlessPrintableStreamIsGivenUpToo) {
  StreamForever('A');
  std::string payload;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(ReceiveReply(LinkPort, payload));
  EXPECT_LT(MsSince(start), 2000);
}

TEST_F(GarbledReply, SoundReplyOfSomeHundredBytesIsStillTaken) {
  const std::string longest(1000, 'Z');
  pty.Write(SoundReply(longest));
  std::string payload;
  ASSERT_TRUE(ReceiveReply(LinkPort, payload));
  EXPECT_EQ(payload, longest);
}

TEST_F(GarbledReply, LoneCrAndShortRepliesFail) {
  for (const std::string& bytes : {std::string("\r"), std::string("\r\r\r"), std::string("\nD\r")}) {
    PurgeLink(LinkPort);
    pty.Write(bytes);
    std::string payload = "unchanged";
    EXPECT_FALSE(ReceiveReply(LinkPort, payload)) << bytes.size();
    EXPECT_EQ(payload, "unchanged");
  }
}

TEST_F(GarbledReply, NoiseNeverCrashesAndEachReadEndsInBoundedTime) {
  std::mt19937 random(12345);
  for (int round = 0; round < 40; ++round) {
    PurgeLink(LinkPort);
    std::string noise(std::size_t(random() % 300), '\0');
    for (char& c : noise) c = static_cast<char>(random() & 0xFF);
    pty.Write(noise);
    std::string payload;
    const auto start = std::chrono::steady_clock::now();
    if (ReceiveReply(LinkPort, payload)) {
      // Noise that happens to form a sound reply must at least look like one.
      EXPECT_EQ(payload.find('\r'), std::string::npos);
    }
    EXPECT_LT(MsSince(start), 1000) << "round " << round;
  }
}

}  // namespace
}  // namespace vestok
