#include "tools/link_test.h"

#include "ecr/exchange.h"
#include "ecr/frames.h"
#include "ecr/link_port.h"
#include "text/ascii.h"
#include "text/number_text.h"

namespace vestok {

namespace {

enum class AnswerEnd { FrameEnd, TooManyTimeouts, Stopped };

class TLinkTestRun {
 public:
  TLinkTestRun(TLink& link, const TLinkTestSetup& setup, const TLinkTestHooks& hooks)
      : link_(link), setup_(setup), hooks_(hooks) {}

  TLinkTestCounters Run() {
    if (!setup_.Speed || !OpenLink(link_, setup_.PortName, *setup_.Speed)) return counters_;
    for (std::int32_t block = 1; block <= setup_.Blocks; ++block) {
      // A port whose device has gone away would count the rest of the blocks
      // as sent in a spin of counter updates, sending nothing.
      if (Stopped() || LinkLost(link_)) break;
      RunBlock();
    }
    CloseLink(link_);
    return counters_;
  }

 private:
  bool Stopped() const { return hooks_.StopRequested && hooks_.StopRequested(); }

  void Count(std::int32_t TLinkTestCounters::*counter) {
    ++(counters_.*counter);
    if (hooks_.CountersChanged) hooks_.CountersChanged(counters_);
  }

  void RunBlock() {
    PurgeLink(link_);
    SelectEcr(link_, setup_.LogicNo);
    Count(&TLinkTestCounters::BlocksSent);
    if (WaitForData(link_, setup_.TimeoutMs)) ReadAnswer();
    SendRaw(link_, std::string(1, AckChar));
    DeselectAll(link_);
  }

  // One byte of the answer; a read that fails counts as a byte time-out.
  // Besides the time-out itself that is a port that has gone away: it fails
  // every read at once, and counting it is what ends such an answer.
  char ReadByte(int& blockTimeouts) {
    const auto b = static_cast<char>(ReadLinkByte(link_, setup_.TimeoutMs));
    if (link_ && link_->LastErrorCode != 0) {
      ++blockTimeouts;
      Count(&TLinkTestCounters::ByteTimeouts);
    }
    return b;
  }

  AnswerEnd ReadUpToFrameEnd(std::string& answer) {
    int blockTimeouts = 0;
    for (;;) {
      const char b = ReadByte(blockTimeouts);
      answer += b;
      if (b == FrameEnd) return AnswerEnd::FrameEnd;  // a failed read gives 0, never CR
      if (blockTimeouts >= setup_.ByteTimeoutLimit) return AnswerEnd::TooManyTimeouts;
      // An answer that never ends would hold Stop for TestByte byte
      // time-outs; the user's Stop ends it here instead, counting nothing more.
      if (Stopped()) return AnswerEnd::Stopped;
    }
  }

  void ReadAnswer() {
    std::string answer;
    const AnswerEnd end = ReadUpToFrameEnd(answer);
    if (end == AnswerEnd::TooManyTimeouts) Count(&TLinkTestCounters::BlockTimeouts);
    if (end != AnswerEnd::FrameEnd) return;
    // The two check bytes; one that does not come in time is a 0 byte and no
    // byte time-out.
    for (int i = 0; i < 2; ++i) answer += static_cast<char>(ReadLinkByte(link_, setup_.TimeoutMs));
    Count(&TLinkTestCounters::BlocksReceived);
    // CheckReply itself passes over the lead byte and checks the rest.
    const bool good = answer.size() > 5 && CheckReply(answer);
    if (!good) Count(&TLinkTestCounters::CRCErrors);
  }

  TLink& link_;
  const TLinkTestSetup& setup_;
  const TLinkTestHooks& hooks_;
  TLinkTestCounters counters_;
};

}  // namespace

std::optional<std::int32_t> LinkTestSpeed(const std::string& text) { return ParseInt32(TrimBlanks(text)); }

TLinkTestCounters RunLinkTest(TLink& link, const TLinkTestSetup& setup, const TLinkTestHooks& hooks) {
  return TLinkTestRun(link, setup, hooks).Run();
}

}  // namespace vestok
