#include "jobs/reply_guard.h"

#include <vector>

#include "ecr/frames.h"
#include "text/ascii.h"
#include "text/number_text.h"

namespace vestok {

std::string_view ReplyText(std::string_view payload) {
  std::size_t at = 0;
  while (at < payload.size() && payload[at] == '\0') ++at;
  // No reply of a register begins with two LF: the first is its lead byte.
  if (at > 0 && payload.substr(at).starts_with("\n\n")) ++at;
  return payload.substr(at);
}

ReplyFit JudgeDownloadReply(JobKind kind, std::int32_t requested, std::string_view text,
                            std::string_view selectionAnswer) {
  if (IsEndReply(text)) return ReplyFit::EndReply;
  if (!selectionAnswer.empty() && text == ReplyText(selectionAnswer)) return ReplyFit::NotARecord;
  const std::vector<std::string> values = ParseReply(kind, text);
  if (values.empty() || TrimBlanks(values[0]).empty()) return ReplyFit::NotARecord;
  // The field after the register's own first one: the number asked for in the
  // Standard item replies, the record's own number in the "Seria A" ones
  // (but for the operating parameters, whose first field is always 1).
  std::string rest(text);
  NextToken(rest);
  const auto number = ParseInt32(TrimBlanks(NextToken(rest)));
  if (kind == kStandardItems || kind == kStandardItemSales) {
    if (number != requested) return ReplyFit::OtherNumber;
  } else if (kind < kStandardJobKinds && kind != 9) {
    if (!number || *number < requested) return ReplyFit::OtherNumber;
  }
  return ReplyFit::Record;
}

}  // namespace vestok
