// The exchange primitives against the simulated register over a
// pseudo-terminal; the frames on the wire are compared byte for byte.
#include <unistd.h>

#include "support/window_state_for_tests.h"
#include "ecr/exchange.h"
#include "jobs/record_layouts.h"
#include "ecr/frames.h"
#include "protocol/sim_line.h"

namespace vestok {
namespace {

const std::string Deselect = std::string(10, '\xFF') + "\x13\x13\x13" + std::string(5, '\xFF');
std::string Select(const char* digits) {
  return std::string(10, '\xFF') + "\x11\x11" + digits + std::string(5, '\xFF');
}
const std::string Ack = "\x06";

TSimRegister AnswersSelection(int k) {
  TSimRegister r;
  r.Faults.AnswerSelectionOn = k;
  return r;
}

class Exchange : public SimLineTest {
 protected:
  // Opens the link and selects register 1, waiting long enough for a slow answer.
  void OpenSelected() {
    ASSERT_TRUE(Open());
    ASSERT_EQ(SelectionHandshake(LinkPort, 1, 500), HandshakeResult::Ready);
    PurgeLink(LinkPort);
  }
};

TEST_F(Exchange, HandshakeSucceedsOnTheThirdSelectionWithThreeAttempts) {
  StartSim(OneRegister(AnswersSelection(3)));
  ASSERT_TRUE(Open());
  std::string answer;
  EXPECT_EQ(SelectionHandshake(LinkPort, 1, T, &answer), HandshakeResult::Ready);
  EXPECT_EQ(answer, "RO0000001;1;SIM;");
  const std::string expected = Deselect + Select("01") + Select("01") + Select("01") + Ack;
  EXPECT_EQ(ReceivedAfter(expected), expected);
}

TEST_F(Exchange, OneAttemptPerStepWithRetryCmdOneZeroOrNegative) {
  for (int retry : {1, 0, -1}) {
    SCOPED_TRACE(retry);
    LinkSettings.RetryCmd = retry;
    StartSim(OneRegister(AnswersSelection(2)));
    ASSERT_TRUE(Open());
    EXPECT_EQ(SelectionHandshake(LinkPort, 1, T), HandshakeResult::NoAnswer);
    const std::string failed = Deselect + Select("01");
    EXPECT_EQ(ReceivedAfter(failed), failed);

    // A step whose single attempt succeeds succeeds: the register now answers.
    sim->ClearTrace();
    sim->WithRegister(1, [](TSimRegister& r) { r.Faults.AnswerSelectionOn = 1; });
    // (A longer wait than T: a loaded machine may answer late, and this step only has to succeed.)
    EXPECT_EQ(SelectionHandshake(LinkPort, 1, 500), HandshakeResult::Ready);
    const std::string good = Deselect + Select("01") + Ack;
    EXPECT_EQ(ReceivedAfter(good), good);
    CloseLink(LinkPort);
    sim->Stop();
  }
}

TEST_F(Exchange, CommandStepSendsTheFrameAndReadsTheAcknowledgement) {
  StartSim();
  ASSERT_TRUE(Open());
  ASSERT_EQ(SelectionHandshake(LinkPort, 1, T), HandshakeResult::Ready);
  std::string payload;
  EXPECT_EQ(CommandStep(LinkPort, "w6;1;Magazin Central;", payload), CommandResult::Replied);
  EXPECT_EQ(payload, "\nD");
  const auto trace = sim->Trace();
  ASSERT_GE(trace.size(), 2u);
  EXPECT_EQ(trace[trace.size() - 2].kind, "command");
  EXPECT_EQ(trace[trace.size() - 2].text, "W6;1;MAGAZIN CENTRAL;");
  EXPECT_EQ(trace[trace.size() - 2].check, "ok");
  const std::string sent = "\n\nD\r" + CheckBytes("\nD\r");
  EXPECT_EQ(trace.back().bytes, sent);
}

TEST_F(Exchange, SendCommandThenDeselectAtOnceSendsBothFrames) {
  StartSim();
  ASSERT_TRUE(Open());
  EXPECT_TRUE(SendCommand(LinkPort, "T0"));
  EXPECT_TRUE(DeselectAll(LinkPort));
  const std::string expected = BuildCommandFrame("T0") + Deselect;
  EXPECT_EQ(ReceivedAfter(expected), expected);
}

TEST_F(Exchange, ReplyStoppingHalfWayIsGivenUpAfterRetryByteTimeouts) {
  StartSim();
  OpenSelected();
  sim->WithRegister(1, [](TSimRegister& r) { r.Faults.CutReplyAfter = 3; });  // before its CR
  ASSERT_TRUE(SendCommand(LinkPort, "R2;1;"));
  std::string payload = "unchanged";
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(ReceiveReply(LinkPort, payload));
  const long ms = ElapsedMs(start);
  EXPECT_EQ(payload, "unchanged");
  EXPECT_GE(ms, 10 * T - 5);
  EXPECT_LT(ms, 10 * T + 400);
}

TEST_F(Exchange, RetryByteZeroOrLessFailsEveryReplyAtOnce) {
  StartSim();
  ASSERT_TRUE(Open());
  for (int retry : {0, -3}) {
    LinkSettings.RetryByte = retry;
    std::string answer;
    EXPECT_EQ(SelectionHandshake(LinkPort, 1, T, &answer), HandshakeResult::BadAnswer);
    EXPECT_TRUE(answer.empty());
  }
}

TEST_F(Exchange, MissingCheckBytesAreReadAsNulsAndFailTheCheck) {
  StartSim();
  OpenSelected();
  // lead byte, "\nD", CR: no check bytes
  sim->WithRegister(1, [](TSimRegister& r) { r.Faults.CutReplyAfter = 4; });
  ASSERT_TRUE(SendCommand(LinkPort, "W6;1;X;"));
  std::string payload;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(ReceiveReply(LinkPort, payload));
  EXPECT_GE(ElapsedMs(start), 2 * T - 5);  // two more reads, not counted
  EXPECT_LT(ElapsedMs(start), 10 * T);
}

TEST_F(Exchange, WrongCheckBytesFailTheReply) {
  TSimRegister r;
  r.Faults.WrongCheck = true;
  StartSim(OneRegister(r));
  ASSERT_TRUE(Open());
  EXPECT_EQ(SelectionHandshake(LinkPort, 1, T), HandshakeResult::BadAnswer);
  // No acknowledgement follows a bad answer.
  const std::string expected = Deselect + Select("01");
  EXPECT_EQ(ReceivedAfter(expected), expected);
}

TEST_F(Exchange, LateReplyComesWithLeadingNuls) {
  LinkSettings.CableTimeout = 60;
  TSimRegister r;
  r.Faults.ReplyDelayMs = 170;  // two byte time-outs of 60 ms before the first byte
  TSimOptions o = OneRegister(r);
  o.LeadByte = '\0';
  StartSim(std::move(o));
  OpenSelected();
  ASSERT_TRUE(SendCommand(LinkPort, "W6;2;Y;"));
  std::string payload;
  ASSERT_TRUE(ReceiveReply(LinkPort, payload));
  ASSERT_GE(payload.size(), 3u);
  EXPECT_EQ(payload[0], '\0');
  EXPECT_EQ(payload.substr(payload.find_first_not_of('\0')), "\nD");
}

TEST_F(Exchange, LateReplyWithLfLeadByteIsStillRead) {
  // The register's LF lead byte lands in the payload behind the NULs; its
  // check bytes do not cover it, which the second coverage allows for.
  LinkSettings.CableTimeout = 60;
  TSimRegister r;
  r.Faults.ReplyDelayMs = 150;
  StartSim(OneRegister(r));
  OpenSelected();
  ASSERT_TRUE(SendCommand(LinkPort, "W6;2;Y;"));
  std::string payload;
  ASSERT_TRUE(ReceiveReply(LinkPort, payload));
  EXPECT_EQ(payload.substr(payload.find_first_not_of('\0')), "\n\nD");
  EXPECT_TRUE(IsAcknowledgement(payload));
}

TEST_F(Exchange, ZeroTimeoutSelectionFailsUnlessTheAnswerHasBegun) {
  LinkSettings.CableTimeout = 0;
  TSimRegister r;
  r.Faults.ReplyDelayMs = 200;
  StartSim(OneRegister(r));
  ASSERT_TRUE(Open());
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(SelectionHandshake(LinkPort, 1, 0), HandshakeResult::NoAnswer);
  EXPECT_LT(ElapsedMs(start), 150);
  const std::string expected = Deselect + Select("01") + Select("01") + Select("01");
  EXPECT_EQ(ReceivedAfter(expected), expected);
}

TEST_F(Exchange, CommandWaitsReadALateReplyWithinRetryCmdWaits) {
  TSimRegister r;
  r.Faults.ReplyDelayMs = 2 * T;  // within the three waits of T
  StartSim(OneRegister(r));
  ASSERT_TRUE(Open());
  ASSERT_EQ(SelectionHandshake(LinkPort, 1, 4 * T), HandshakeResult::Ready);
  std::string payload;
  EXPECT_EQ(CommandStep(LinkPort, "R6;1;", payload), CommandResult::Replied);
  EXPECT_EQ(payload, "\nE");  // an empty register: the end reply
}

TEST_F(Exchange, VanishedPortEndsTheReplyAfterRetryByteFailedReads) {
  LinkSettings.CableTimeout = 5000;  // a time-out would take far longer than a failure
  StartSim();
  ASSERT_TRUE(Open());
  ::close(LinkPort->Handle);  // the device is gone under the open port
  std::string payload = "unchanged";
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(ReceiveReply(LinkPort, payload));
  EXPECT_LT(ElapsedMs(start), 1000);
  EXPECT_EQ(payload, "unchanged");
  LinkPort->Handle = -1;
}

TEST_F(Exchange, SendsFailWhenTheLinkIsClosed) {
  EXPECT_FALSE(DeselectAll(LinkPort));
  EXPECT_FALSE(SelectEcr(LinkPort, 1));
  EXPECT_FALSE(SendCommand(LinkPort, "T0"));
  EXPECT_FALSE(SendRaw(LinkPort, "\x06"));
  std::string payload;
  EXPECT_FALSE(ReceiveReply(LinkPort, payload));
}

TEST_F(Exchange, AttemptLimitIsRetryCmdButAtLeastOne) {
  LinkSettings.RetryCmd = 4;
  EXPECT_EQ(AttemptLimit(LinkPort), 4);
  int calls = 0;
  EXPECT_FALSE(WithAttempts(LinkPort, [&] { return ++calls < 0; }));
  EXPECT_EQ(calls, 4);
  calls = 0;
  EXPECT_TRUE(WithAttempts(LinkPort, [&] { return ++calls == 2; }));
  EXPECT_EQ(calls, 2);
  LinkSettings.RetryCmd = 0;
  EXPECT_EQ(AttemptLimit(LinkPort), 1);
}

}  // namespace
}  // namespace vestok
