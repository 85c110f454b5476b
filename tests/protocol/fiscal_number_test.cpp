// The fiscal number query end to end against the simulated register.
#include "support/window_state_for_tests.h"
#include "ecr/fiscal_number.h"
#include "ecr/frames.h"
#include "protocol/sim_line.h"

namespace vestok {
namespace {

const std::string Deselect = std::string(10, '\xFF') + "\x13\x13\x13" + std::string(5, '\xFF');
std::string Select(const char* digits) {
  return std::string(10, '\xFF') + "\x11\x11" + digits + std::string(5, '\xFF');
}

TSimRegister Answering(std::string payload, int logicNo = 1) {
  TSimRegister r;
  r.LogicNo = logicNo;
  r.AnswerPayload = std::move(payload);
  return r;
}

using FiscalNumber = SimLineTest;

TEST_F(FiscalNumber, QueryOnTheWireAndItsResult) {
  TSimRegister r;
  r.FiscalNumber = "1234";
  r.AnswerTail = "6";
  r.LogicNo = 5;
  StartSim(OneRegister(r));
  std::string fiscal = "old";
  EXPECT_EQ(ReadFiscalNumber(LinkPort, sim->SlavePath(), 9600, 5, T, fiscal), 0);
  EXPECT_EQ(fiscal, "1234");
  EXPECT_FALSE(LinkPort);
  const std::string expected = Deselect + Select("05") + "\x06" + Deselect;
  EXPECT_EQ(ReceivedAfter(expected), expected);
  const std::string answer = "\n1234;5;6\r" + CheckBytes("1234;5;6\r");
  EXPECT_EQ(sim->SentBytes(), answer);
}

TEST_F(FiscalNumber, TakesThePayloadUpToItsFirstSemicolon) {
  const struct {
    const char* payload;
    const char* fiscal;
  } cases[] = {{"AB 12;x;y", "AB 12"}, {"NOSEMICOLON", "NOSEMICOLON"}, {";starts", ""}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.payload);
    StartSim(OneRegister(Answering(c.payload)));
    std::string fiscal = "old";
    EXPECT_EQ(ReadFiscalNumber(LinkPort, sim->SlavePath(), 9600, 1, T, fiscal), 0);
    EXPECT_EQ(fiscal, c.fiscal);
    sim->Stop();
  }
}

TEST_F(FiscalNumber, MissingPortGivesThreeAndAnotherPortStillOpens) {
  StartSim();
  std::string fiscal = "old";
  EXPECT_EQ(ReadFiscalNumber(LinkPort, "/dev/no-such-register-port", 9600, 1, T, fiscal), 3);
  EXPECT_EQ(fiscal, "old");
  EXPECT_FALSE(LinkPort);
  EXPECT_EQ(ReadFiscalNumber(LinkPort, sim->SlavePath(), 9600, 1, T, fiscal), 0);
  EXPECT_EQ(fiscal, "RO0000001");
}

TEST_F(FiscalNumber, AnswerOnTheSecondSelectionIsStillRead) {
  TSimRegister r;
  r.Faults.AnswerSelectionOn = 2;
  StartSim(OneRegister(r));
  std::string fiscal;
  EXPECT_EQ(ReadFiscalNumber(LinkPort, sim->SlavePath(), 9600, 1, T, fiscal), 0);
  const std::string expected = Deselect + Select("01") + Select("01") + "\x06" + Deselect;
  EXPECT_EQ(ReceivedAfter(expected), expected);
}

TEST_F(FiscalNumber, SingleAttemptSucceedsWithRetryCmdOne) {
  LinkSettings.RetryCmd = 1;
  StartSim();
  std::string fiscal;
  EXPECT_EQ(ReadFiscalNumber(LinkPort, sim->SlavePath(), 9600, 1, T, fiscal), 0);
  EXPECT_EQ(fiscal, "RO0000001");
}

TEST_F(FiscalNumber, FailuresGiveFourAndKeepTheOldNumber) {
  TSimOptions o;
  o.Registers.push_back(Answering("X;", 2));  // the line holds only register 2
  StartSim(std::move(o));
  std::string fiscal = "old";
  EXPECT_EQ(ReadFiscalNumber(LinkPort, sim->SlavePath(), 9600, 1, T, fiscal), 4);
  EXPECT_EQ(fiscal, "old");
  EXPECT_FALSE(LinkPort);
  // Three selection attempts, no acknowledgement, no final deselection.
  const std::string expected = Deselect + Select("01") + Select("01") + Select("01");
  EXPECT_EQ(ReceivedAfter(expected), expected);

  sim->ClearTrace();
  sim->WithRegister(2, [](TSimRegister& r) { r.Faults.WrongCheck = true; });
  EXPECT_EQ(ReadFiscalNumber(LinkPort, sim->SlavePath(), 9600, 2, T, fiscal), 4);
  EXPECT_EQ(fiscal, "old");
  const std::string badAnswer = Deselect + Select("02");
  EXPECT_EQ(ReceivedAfter(badAnswer), badAnswer);
}

TEST_F(FiscalNumber, EachRegisterOnTheLineAnswersItsOwnNumber) {
  TSimOptions o;
  o.Registers.push_back(Answering("F1;", 1));
  o.Registers.push_back(Answering("F7;", 7));
  StartSim(std::move(o));
  std::string fiscal;
  EXPECT_EQ(ReadFiscalNumber(LinkPort, sim->SlavePath(), 9600, 7, T, fiscal), 0);
  EXPECT_EQ(fiscal, "F7");
  EXPECT_EQ(ReadFiscalNumber(LinkPort, sim->SlavePath(), 9600, 1, T, fiscal), 0);
  EXPECT_EQ(fiscal, "F1");
}

}  // namespace
}  // namespace vestok
