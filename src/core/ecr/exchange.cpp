#include "ecr/exchange.h"

#include "ecr/frames.h"
#include "ecr/link_port.h"

namespace vestok {
namespace {

// The port must be idle at the moment of sending; a send that is refused does
// not go out at all.
bool SendFrame(TLink& link, const std::string& frame) {
  if (!link || !link->WaitWritable(0)) return false;
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

bool ReceiveReply(TLink& link, std::string& payload) {
  if (!link) return false;
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
  }
  if (failures >= link.Settings.RetryByte) return false;
  for (int i = 0; i < 2; ++i) buffer += static_cast<char>(ReadLinkByte(link, link.Settings.CableTimeout));
  if (buffer.size() < MinReplyLength) return false;
  if (!CheckReply(buffer)) return false;
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
