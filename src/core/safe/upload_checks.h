#pragma once
// The checks a table's rows pass before an upload sends a byte of them: texts
// that cannot cross the link intact, an item name the register will cut, an
// empty or repeated key, a price type outside its values, a number the
// record's text form cannot carry, a text that lost characters the code
// page lacks on its way in (DocumentTable::CodePageLosses). Each finding
// names the row, the field and the reason, in the window's language.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "jobs/record_layouts.h"
#include "tables/document_table.h"

namespace vestok {

enum class FindingLevel { Warning, Error };

struct CheckFinding {
  std::size_t Row = 0;  // 0-based row of the table
  int Field = -1;       // field index; -1 for the row as a whole
  FindingLevel Level = FindingLevel::Error;
  std::string Reason;   // Windows-1250
};

// The field that numbers a table's records in the register (PLUCode,
// OpNumber, ...); -1 for the single-record tables (receipt format, settings)
// and the sales reports.
int KeyField(TableKind kind);

// The longest item name the register keeps.
inline constexpr std::size_t kItemNameSent = 20;

// Checks `rows` (0-based, in the order they would be sent), or every row of
// the table when `rows` is null. Duplicate keys are looked for among the rows
// checked. Findings come in row order.
std::vector<CheckFinding> CheckUploadRows(JobKind kind, const DocumentTable& table,
                                          const std::vector<std::size_t>* rows = nullptr);

bool HasErrors(const std::vector<CheckFinding>& findings);
// The rows (sorted, unique) with at least one error.
std::vector<std::size_t> RowsWithErrors(const std::vector<CheckFinding>& findings);
// `rows` (or every row) without those holding an error, in their order.
std::vector<std::size_t> RowsWithoutErrors(const DocumentTable& table, const std::vector<CheckFinding>& findings,
                                           const std::vector<std::size_t>* rows = nullptr);

// One log line: "Eroare rand 3, Cod PLU: camp cheie gol".
std::string FindingLine(const DocumentTable& table, const CheckFinding& finding);

}  // namespace vestok
