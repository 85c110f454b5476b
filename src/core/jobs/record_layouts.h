#pragma once
// The record texts a transfer job exchanges with the register: the command of
// each JobKind, the upload record of a table row, the download request, the
// delete command, the fixed replies, and the fields of a download reply.
// Pure text work; framing and check bytes belong to the link.
//
// JobKind = ProtocolVariant * 100 + TableKind: 0..9 are the "Seria A"
// layouts, 100..109 the "Standard" ones.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vestok {

class DocumentTable;

using JobKind = std::uint8_t;

inline constexpr JobKind kStandardJobKinds = 100;  // first "Standard" JobKind
inline constexpr JobKind kStandardItems = 100;     // the Standard item record
inline constexpr JobKind kStandardItemSales = 101;

// The command of a JobKind; empty when the kind has no upload / download.
std::string UploadCommand(JobKind kind);
std::string DownloadCommand(JobKind kind);

// The whole upload command of row `row` (0-based) of `table`: the command, ";"
// and every field's text form followed by ";" (JobKind 100: the twelve fields
// of the Standard item record, the first being the row's position, row + 1).
// Numbers use `separator` as their decimal point.
std::string BuildUploadRecord(JobKind kind, const DocumentTable& table, std::size_t row, char separator);

// False when a text the record of this row would carry holds ";", CR or LF:
// the register would split the record at it (nothing is escaped on the wire),
// so such a row must not be sent.
bool UploadRecordSendable(JobKind kind, const DocumentTable& table, std::size_t row);

// "I0;1;": the command, ";", the number in decimal, ";".
std::string BuildRequest(std::string_view command, std::int32_t number);
// "C0;125;".
std::string BuildDeleteCommand(std::int32_t pluCode);

// LF "D" once the leading NUL bytes of the payload are removed.
bool IsAcknowledgement(std::string_view payload);
// LF "D" or LF "E", exactly as received.
bool IsEndReply(std::string_view payload);

// Removes the first field (up to the first ";", which goes too) from `text`
// and returns it; without a ";" the whole text is the field and `text`
// becomes empty.
std::string NextToken(std::string& text);

// The values of one download reply for field 0, 1, ... of the kind's table.
// The list stops where the layout stops (tItems.Dummy gets none); missing
// reply fields give empty values, which the operating parameters turn into
// "0" (their reserved fields stay empty). Empty for a kind without download.
std::vector<std::string> ParseReply(JobKind kind, std::string_view payload);

// Writes the values into the current record of `table`, value i into field i,
// as text: empty leaves a field without value (an empty text for a text
// field), numbers are read with the user's decimal separator, texts end at
// a NUL byte (as a table file reads them) and are cut to the field's width. Throws FieldConversionError for a value that is no
// number of its field's type; the caller cancels the record's pending change.
void StoreReplyValues(DocumentTable& table, const std::vector<std::string>& values);

}  // namespace vestok
