#include "ecr/exchange.h"

#include <algorithm>
#include <chrono>
#include <limits>

#include "config/link_settings.h"
#include "ecr/frames.h"
#include "ecr/link_port.h"

namespace vestok {
namespace {

// The port must be idle at the moment of sending; a send that is refused does
// not go out at all.
bool SendFrame(const std::string& frame) {
  if (!LinkPort || !LinkPort->WaitWritable(0)) return false;
  PurgeLink();  // the port is idle: only stale input goes
  LinkPort->SendBytes(frame);
  return true;
}

}  // namespace

bool DeselectAll() {
  if (!SendFrame(BuildDeselectFrame())) return false;
  PurgeLink();  // the frame has left the port: a send completes only then
  return true;
}

bool SelectEcr(std::int16_t logicNo) { return SendFrame(BuildSelectFrame(logicNo)); }

bool SendCommand(const std::string& text) { return SendFrame(BuildCommandFrame(text)); }

bool SendRaw(const std::string& bytes) { return SendFrame(bytes); }

int ReplyTimeBoundMs(std::int32_t lineSpeed) {
  const std::int64_t timeouts = std::int64_t(std::max(LinkSettings.RetryByte, 0)) * std::max(LinkSettings.CableTimeout, 0);
  const std::int64_t onLine = lineSpeed > 0 ? std::int64_t(LongestRecordBytes) * 10 * 1000 / lineSpeed : 0;
  return int(std::min<std::int64_t>(timeouts + onLine + ReplyTimeMarginMs, std::numeric_limits<int>::max()));
}

bool ReceiveReply(std::string& payload) {
  if (!LinkPort) return false;
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(ReplyTimeBoundMs(LinkPort->LineSettings.Speed));
  std::string buffer;
  int failures = 0;
  // With RetryByte 0 or less the limit is reached before the first byte.
  while (failures < LinkSettings.RetryByte) {
    const auto b = static_cast<char>(ReadLinkByte(LinkSettings.CableTimeout));
    buffer += b;
    // A time-out counts, and so does any other failed read: a port that has
    // vanished fails every read at once and must still end the reply.
    if (LinkPort->LastErrorCode != 0)
      ++failures;
    else if (b == FrameEnd)
      break;
    if (buffer.size() >= MaxReplyLength) return false;
    if (std::chrono::steady_clock::now() > deadline) return false;
  }
  if (failures >= LinkSettings.RetryByte) return false;
  for (int i = 0; i < 2; ++i) buffer += static_cast<char>(ReadLinkByte(LinkSettings.CableTimeout));
  if (buffer.size() < MinReplyLength) return false;
  if (!CheckReply(buffer)) return false;
  payload = ReplyPayload(buffer);
  return true;
}

int AttemptLimit() { return LinkSettings.RetryCmd > 0 ? LinkSettings.RetryCmd : 1; }

HandshakeResult SelectionHandshake(std::int16_t logicNo, int waitMs, std::string* answer) {
  if (!WithAttempts([] { return DeselectAll(); })) return HandshakeResult::DeselectFailed;
  const bool answered = WithAttempts([&] {
    PurgeLink();
    SelectEcr(logicNo);  // its result is not consulted: only the answer counts
    return WaitForData(waitMs);
  });
  if (!answered) return HandshakeResult::NoAnswer;
  std::string reply;
  if (!ReceiveReply(reply)) return HandshakeResult::BadAnswer;
  if (!WithAttempts([] { return SendRaw(std::string(1, AckChar)); })) return HandshakeResult::AckFailed;
  if (answer) *answer = std::move(reply);
  return HandshakeResult::Ready;
}

CommandResult SendAndReceive(const std::string& text, std::string& payload) {
  if (!SendCommand(text)) return CommandResult::NotSent;
  for (int i = 0; i < AttemptLimit(); ++i)
    if (WaitForData(LinkSettings.CableTimeout)) break;
  return ReceiveReply(payload) ? CommandResult::Replied : CommandResult::NoReply;
}

CommandResult CommandStep(const std::string& text, std::string& payload) {
  PurgeLink();
  return SendAndReceive(text, payload);
}

}  // namespace vestok
