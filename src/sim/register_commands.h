#pragma once
// How the simulated register answers a command text: uploads ("W..."), download
// requests ("I0", "T0", "R..."), and the item deletion "C0". Written from the
// register's side of the record layouts, independently of the program's own
// layout code, so that each checks the other.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sim/register_memory.h"

namespace vestok {

// Which item upload layout "W0" carries, and how download numbers are read.
//  SeriaA:   "W0;PLU;name;VAT;barcode;price;price type;stand;group;dummy;";
//            a download answers the first record numbered at or after n.
//  Standard: "W0;pos;PLU;name;price;0;stand;group;VAT;price type;0;bc high;bc low;";
//            a download answers the n-th record.
//  Auto:     "W0" with twelve fields or more is Standard, else Seria A;
//            downloads as under Seria A ("R0" is always the n-th item).
enum class SimVariant { Auto, SeriaA, Standard };

struct TCommandRules {
  SimVariant Variant = SimVariant::Auto;
  char EndReply = 'E';                 // the end reply is LF and this letter
  std::optional<std::int32_t> RefusedPlu;  // "W0" and "C0" of this PLU are refused
  // Uploads and deletions of these record numbers (the PLU of an item, the
  // first field of any other record, 1 in a single-record table):
  std::vector<std::int32_t> RefusedRecords;  // refused with LF "E", nothing stored
  std::vector<std::int32_t> UnansweredRecords;  // stored (deleted) but answered with nothing
};

inline constexpr std::string_view AckPayload = "\nD";
inline constexpr std::string_view RefusalPayload = "\nE";

// The payload of the register's reply to one command text (already upper-cased
// by the sender). Uploads are stored and acknowledged with LF "D"; a record
// with the same number replaces the stored one, any other is added in number
// order. A download with no record for the number (or beyond it) gets the end
// reply. "C0" deletes the item and is acknowledged; an unknown PLU is
// acknowledged too, since the register then holds no such item. A refused PLU
// or record and an unknown command get LF "E". An empty payload: no reply at all.
std::string AnswerCommand(TRegisterMemory& memory, std::string_view text, const TCommandRules& rules);

// True for a command text that asks for a record (neither upload nor delete).
bool IsDownloadRequest(std::string_view text);

}  // namespace vestok
