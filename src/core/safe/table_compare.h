#pragma once
// A table in the window held against the same table as a register holds it
// (just downloaded, or the copy kept after the last exchange): which rows are
// new, which changed and in which fields, and which records the register has
// that the table lacks. Rows are matched by the table's key field; the two
// single-record tables by position.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "jobs/record_layouts.h"
#include "tables/document_table.h"

namespace vestok {

struct ChangedRow {
  std::size_t Row = 0;          // of the table compared
  std::size_t ReferenceRow = 0; // of the reference
  std::vector<int> Fields;      // the fields that differ
};

struct TableComparison {
  std::vector<std::size_t> Added;    // rows whose key the reference lacks
  std::vector<ChangedRow> Changed;   // rows whose compared fields differ
  std::vector<std::size_t> Missing;  // reference rows whose key the table lacks
  std::vector<std::size_t> Keyless;  // rows without a key value (never matched)

  // Added and changed rows, in table order: what an upload of the differences sends.
  std::vector<std::size_t> RowsToSend() const;
  bool Same() const { return Added.empty() && Changed.empty() && Missing.empty() && Keyless.empty(); }
};

// Where the reference came from: a download from the register holds the
// values as the register returned them; a copy kept after an upload holds
// the rows as the window had them.
enum class ReferenceForm { Downloaded, AsSent };

// Compares the fields a register keeps and returns (the shown ones), each in
// the form the upload sends it: texts in capitals (the link raises a to z),
// the item name cut to 20 characters, the price to two decimals. `kind` is
// the JobKind of the upload (under "Standard" the barcode as the register
// joins it back).
TableComparison CompareTables(JobKind kind, const DocumentTable& table, const DocumentTable& reference,
                              ReferenceForm form);

}  // namespace vestok

namespace vestok {

// After `rows` of `table` went up without errors: the register's copy takes
// them, each replacing the copy's record with its key (or, in a
// single-record table, its position) or going to the copy's end.
void ApplyRowsToCopy(DocumentTable& copy, const DocumentTable& table, const std::vector<std::size_t>& rows);

// The copy loses the records with these numbers (their key field: an item's
// PLU, an operator's number, ...): what a delete removed, or records whose
// state in the register a run left unknown. Every record with the number
// goes. In a single-record table number 1 is its record.
void RemoveRecordsFromCopy(DocumentTable& copy, const std::vector<std::int32_t>& numbers);

// After an upload: the copy takes exactly the rows of `table` the register
// acknowledged, and loses the records of the rows that were sent without an
// acknowledgement (refused, unanswered, stopped on): the register may hold
// them or not. Rows given by number in `table`, or by bookmark (bookmarks of
// rows no longer in the table are passed over). Rows neither acknowledged
// nor sent leave the copy as it is. A download of chosen records is applied
// the same way: `acknowledged` the rows it received whole, `unknown` the rows
// asked for that did not come back.
void ApplyUploadToCopy(DocumentTable& copy, const DocumentTable& table, const std::vector<std::size_t>& acknowledged,
                       const std::vector<std::size_t>& unknown);
void ApplyUploadToCopyByBookmarks(DocumentTable& copy, const DocumentTable& table,
                                  const std::vector<Bookmark>& acknowledged, const std::vector<Bookmark>& unknown);

}  // namespace vestok
