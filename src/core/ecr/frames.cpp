#include "ecr/frames.h"

#include "text/ascii.h"
#include "text/number_text.h"

namespace vestok {

std::string CheckBytes(std::string_view text) {
  const std::uint16_t crc = Crc16(text);
  return {static_cast<char>(crc >> 8), static_cast<char>(crc & 0xFF)};
}

std::string PrependFiller(std::string_view text, int count) {
  std::string out(static_cast<std::size_t>(count > 0 ? count : 0), FillerChar);
  out.append(text);
  return out;
}

std::string AppendFiller(std::string_view text, int count) {
  std::string out(text);
  out.append(static_cast<std::size_t>(count > 0 ? count : 0), FillerChar);
  return out;
}

std::string BuildDeselectFrame() {
  const std::string body(3, DeselectChar);
  return AppendFiller(PrependFiller(body, SelectFillerBefore), FillerAfter);
}

std::string BuildSelectFrame(int logicNo) {
  std::string body(2, SelectChar);
  if (logicNo >= 0 && logicNo < 10) body += '0';
  body += IntToText(logicNo);
  return AppendFiller(PrependFiller(body, SelectFillerBefore), FillerAfter);
}

std::string BuildCommandFrame(std::string_view text) {
  std::string checked = AsciiUpper(text);
  checked += FrameEnd;
  std::string body(1, FrameStart);
  body += checked;
  body += CheckBytes(checked);
  return AppendFiller(PrependFiller(body, CommandFillerBefore), FillerAfter);
}

ReplyCoverage CheckReplyCoverage(std::string_view reply) {
  if (reply.size() < MinReplyLength) return ReplyCoverage::None;
  const std::string_view checked = reply.substr(1);
  if (Crc16(checked) == 0) return ReplyCoverage::FromFirstByte;
  // The payload is everything before the last three bytes (CR and check).
  const std::size_t payloadEnd = checked.size() - 3;
  std::size_t lf = 0;
  while (lf < payloadEnd && checked[lf] == '\0') ++lf;
  if (lf < payloadEnd && checked[lf] == FrameStart && Crc16(checked.substr(lf + 1)) == 0)
    return ReplyCoverage::AfterLeadingLF;
  return ReplyCoverage::None;
}

bool CheckReply(std::string_view reply, bool verify) {
  if (reply.size() < MinReplyLength) return false;
  if (!verify) return true;
  return CheckReplyCoverage(reply) != ReplyCoverage::None;
}

std::string ReplyPayload(std::string_view reply) {
  if (reply.size() < 4) return {};
  return std::string(reply.substr(1, reply.size() - 4));
}

}  // namespace vestok
