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

  // One byte of the answer. Only a byte time-out is counted as one; any other
  // failed read (a line error, a port that has gone away) is left to the
  // trace, but still counts toward the block's limit: a vanished port fails
  // every read at once and must still end the answer.
  char ReadByte(int& blockTimeouts) {
    const auto b = static_cast<char>(ReadLinkByte(link_, setup_.TimeoutMs));
    if (link_ && link_->LastErrorCode != 0) {
      ++blockTimeouts;
      if (link_->LastErrorCode == ErrTimeout) Count(&TLinkTestCounters::ByteTimeouts);
    }
    return b;
  }

  // Stop finishes the block in hand: its answer is still read to its CR, but
  // an answer that has stopped coming then ends at its next failed read (a
  // block time-out) instead of after all its byte time-outs, and one that
  // never ends after MaxReplyLength more bytes.
  AnswerEnd ReadUpToFrameEnd(std::string& answer) {
    int blockTimeouts = 0;
    std::size_t afterStop = 0;
    for (;;) {
      const int before = blockTimeouts;
      const char b = ReadByte(blockTimeouts);
      answer += b;
      if (b == FrameEnd) return AnswerEnd::FrameEnd;  // a failed read gives 0, never CR
      if (blockTimeouts >= setup_.ByteTimeoutLimit) return AnswerEnd::TooManyTimeouts;
      if (afterStop > 0 || Stopped()) {
        if (afterStop > 0 && blockTimeouts > before) return AnswerEnd::TooManyTimeouts;
        if (++afterStop > MaxReplyLength) return AnswerEnd::Stopped;
      }
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
    const bool good = answer.size() > 5 && CheckReply(answer, link_.Settings.CheckReply != 0);
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
