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
bool SendFrame(TLink& link, const std::string& frame) {
  if (!link || !link->WaitWritable(0)) return false;
  PurgeLink(link);  // the port is idle: only stale input goes
  link->SendBytes(frame);
  return true;
}

}  // namespace

bool DeselectAll(TLink& link) {
  if (!SendFrame(link, BuildDeselectFrame())) return false;
  PurgeLink(link);  // the frame has left the port: a send completes only then
  return true;
}

bool SelectEcr(TLink& link, std::int16_t logicNo) { return SendFrame(link, BuildSelectFrame(logicNo)); }

bool SendCommand(TLink& link, const std::string& text) { return SendFrame(link, BuildCommandFrame(text)); }

bool SendRaw(TLink& link, const std::string& bytes) { return SendFrame(link, bytes); }

int ReplyTimeBoundMs(const TLinkSettings& settings, std::int32_t lineSpeed) {
  const std::int64_t timeouts = std::int64_t(std::max(settings.RetryByte, 0)) * std::max(settings.CableTimeout, 0);
  const std::int64_t onLine = lineSpeed > 0 ? std::int64_t(LongestRecordBytes) * 10 * 1000 / lineSpeed : 0;
  return int(std::min<std::int64_t>(timeouts + onLine + ReplyTimeMarginMs, std::numeric_limits<int>::max()));
}

bool ReceiveReply(TLink& link, std::string& payload) {
  if (!link) return false;
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(ReplyTimeBoundMs(link.Settings, link->LineSettings.Speed));
  std::string buffer;
  int failures = 0;
  // With RetryByte 0 or less the limit is reached before the first byte.
  while (failures < link.Settings.RetryByte) {
    const auto b = static_cast<char>(ReadLinkByte(link, link.Settings.CableTimeout));
    buffer += b;
    // A time-out counts, and so does any other failed read: a port that has
    // vanished fails every read at once and must still end the reply.
    if (link->LastErrorCode != 0)
      ++failures;
    else if (b == FrameEnd)
      break;
    if (buffer.size() >= MaxReplyLength) return false;
    if (std::chrono::steady_clock::now() > deadline) return false;
  }
  if (failures >= link.Settings.RetryByte) return false;
  for (int i = 0; i < 2; ++i) buffer += static_cast<char>(ReadLinkByte(link, link.Settings.CableTimeout));
  if (buffer.size() < MinReplyLength) return false;
  if (!CheckReply(buffer, link.Settings.CheckReply != 0)) return false;
  payload = ReplyPayload(buffer);
  return true;
}

int AttemptLimit(const TLink& link) { return link.Settings.RetryCmd > 0 ? link.Settings.RetryCmd : 1; }

HandshakeResult SelectionHandshake(TLink& link, std::int16_t logicNo, int waitMs, std::string* answer) {
  if (!WithAttempts(link, [&] { return DeselectAll(link); })) return HandshakeResult::DeselectFailed;
  const bool answered = WithAttempts(link, [&] {
    PurgeLink(link);
    SelectEcr(link, logicNo);  // its result is not consulted: only the answer counts
    return WaitForData(link, waitMs);
  });
  if (!answered) return HandshakeResult::NoAnswer;
  std::string reply;
  if (!ReceiveReply(link, reply)) return HandshakeResult::BadAnswer;
  if (!WithAttempts(link, [&] { return SendRaw(link, std::string(1, AckChar)); })) return HandshakeResult::AckFailed;
  if (answer) *answer = std::move(reply);
  return HandshakeResult::Ready;
}

CommandResult SendAndReceive(TLink& link, const std::string& text, std::string& payload) {
  if (!SendCommand(link, text)) return CommandResult::NotSent;
  for (int i = 0; i < AttemptLimit(link); ++i)
    if (WaitForData(link, link.Settings.CableTimeout)) break;
  return ReceiveReply(link, payload) ? CommandResult::Replied : CommandResult::NoReply;
}

CommandResult CommandStep(TLink& link, const std::string& text, std::string& payload) {
  PurgeLink(link);
  return SendAndReceive(link, text, payload);
}

}  // namespace vestok
