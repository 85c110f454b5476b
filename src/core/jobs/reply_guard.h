#pragma once
// What a download accepts as the reply to its request. The link carries no
// sequence number, so a reply that belongs to another frame (the answer to a
// repeated selection, a reply a register sent twice, one that came after its
// waits) can only be told by what it holds.
#include <cstdint>
#include <string>
#include <string_view>

#include "jobs/record_layouts.h"

namespace vestok {

// The payload as the register sent it: a reply that began late has a 0x00
// for each byte time-out in front, and when the register's lead byte is LF
// that LF stands in front of the payload's own LF too. Both are removed.
std::string_view ReplyText(std::string_view payload);

enum class ReplyFit {
  Record,     // a record of the kind, for the number asked
  EndReply,   // LF "D" or LF "E"
  NotARecord, // no value in the table's first field, or the register's answer to its selection
  OtherNumber // a record for a number the request did not ask for
};

// Judges `text` (ReplyText of the payload) as the reply to the request for
// `requested` under `kind`. `selectionAnswer` is the register's answer to the
// selection of this exchange (empty when unknown). Where the layout names the
// record: the Standard item replies ("R0;n;") carry the number asked; a
// "Seria A" record may be one at or after it, never one before.
ReplyFit JudgeDownloadReply(JobKind kind, std::int32_t requested, std::string_view text,
                            std::string_view selectionAnswer);

}  // namespace vestok
