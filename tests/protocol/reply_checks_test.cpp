// Which replies the reader takes: check bytes over either coverage, and a
// reply bounded in time as well as in length.
#include <gtest/gtest.h>

#include "support/window_state_for_tests.h"
#include "ecr/exchange.h"
#include "ecr/frames.h"
#include "jobs/record_layouts.h"
#include "protocol/sim_line.h"

namespace vestok {
namespace {

std::string Reply(char lead, const std::string& payload, const std::string& checked) {
  return std::string(1, lead) + payload + FrameEnd + CheckBytes(checked + FrameEnd);
}

TEST(ReplyCoverage, EitherCoverageIsTakenAndNeitherIsRefused) {
  const std::string end = "\nE";
  EXPECT_EQ(CheckReplyCoverage(Reply('\n', end, end)), ReplyCoverage::FromFirstByte);
  EXPECT_EQ(CheckReplyCoverage(Reply('\n', end, "E")), ReplyCoverage::AfterLeadingLF);
  // A reply that began late: byte time-outs in front, the register's lead LF in the payload.
  EXPECT_EQ(CheckReplyCoverage(std::string(2, '\0') + Reply('\n', "R0;1;", "R0;1;")), ReplyCoverage::AfterLeadingLF);
  EXPECT_EQ(CheckReplyCoverage(Reply('\n', "R0;1;", "R0;2;")), ReplyCoverage::None);
  EXPECT_EQ(CheckReplyCoverage(Reply('\n', "E", "E").substr(0, 5)), ReplyCoverage::None);
  EXPECT_FALSE(CheckReply(Reply('\n', "R0;1;", "R0;2;")));
  // "CheckReply=0": every reply of the length rule
  EXPECT_TRUE(CheckReply(Reply('\n', "R0;1;", "R0;2;"), false));
  EXPECT_FALSE(CheckReply("\n12\r", false));
}

class ReplyChecks : public SimLineTest {};

TEST_F(ReplyChecks, ARegisterWhoseCheckLeavesOutTheLeadingLfIsUnderstood) {
  TSimOptions options;
  options.CheckAfterLeadingLF = true;
  StartSim(std::move(options));
  ASSERT_TRUE(Open());
  std::string answer;
  ASSERT_EQ(SelectionHandshake(LinkPort, 1, T, &answer), HandshakeResult::Ready);
  EXPECT_EQ(answer, "RO0000001;1;SIM;");
  std::string payload;
  ASSERT_EQ(CommandStep(LinkPort, "W6;2;Y;", payload), CommandResult::Replied);
  EXPECT_TRUE(IsAcknowledgement(payload));
  ASSERT_EQ(SendAndReceive(LinkPort, "R6;9;", payload), CommandResult::Replied);
  EXPECT_TRUE(IsEndReply(payload));
}

TEST_F(ReplyChecks, AReplyThatTricklesIsGivenUpAtItsTimeBound) {
  LinkSettings.RetryByte = 3;
  TSimRegister r;
  r.AnswerPayload = std::string(300, 'x');
  r.Faults.ByteGapMs = T - 10;  // every byte just inside the byte time-out
  StartSim(OneRegister(r));
  ASSERT_TRUE(Open());
  const int bound = ReplyTimeBoundMs(LinkSettings, 9600);
  EXPECT_EQ(bound, 3 * T + 512 * 10 * 1000 / 9600 + ReplyTimeMarginMs);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(SelectionHandshake(LinkPort, 1, T), HandshakeResult::BadAnswer);  // the whole answer takes 6 s
  EXPECT_LT(ElapsedMs(start), bound + 1500);
}

}  // namespace
}  // namespace vestok
