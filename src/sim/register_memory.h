#pragma once
// The simulated register's own memory: per table a list of records, each the
// texts of its fields in the table's field order, kept in the order of their
// numbers. The register knows nothing of the program's tables; it keeps what
// the uploads sent, as text.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vestok {

// In the order of the program's TableKind, so that table files map one to one.
enum class SimTable : int {
  Items, ItemSales, GroupSales, StandSales, Operators, PayTypes, Discounts, ReceiptFormat, Header, Settings,
};
inline constexpr int SimTableCount = 10;

using SimRecord = std::vector<std::string>;

int SimFieldCount(SimTable table);
// Short lower-case name used by ecrsim ("items", "operators", ...).
const char* SimTableName(SimTable table);
// The field names of a table, as the program's table files head their columns.
const std::vector<std::string>& SimFieldNames(SimTable table);
// True for the tables that hold one record only (receipt format, operating
// parameters): it has the number 1 whatever its fields say.
bool IsSingleRecordTable(SimTable table);

class TRegisterMemory {
 public:
  // The record's number: its first field read as an integer (0 when it is no
  // number), or 1 in a single-record table.
  static std::int64_t RecordNumber(SimTable table, const SimRecord& record);

  // Pads or cuts the record to the table's field count, then replaces the
  // record with the same number or inserts it in number order.
  void Put(SimTable table, SimRecord record);
  // False when there was no record with that number.
  bool Erase(SimTable table, std::int64_t number);
  const SimRecord* Find(SimTable table, std::int64_t number) const;
  // The first record whose number is the one given or higher.
  const SimRecord* AtOrAfter(SimTable table, std::int64_t number) const;
  // The n-th record, 1 for the first.
  const SimRecord* Nth(SimTable table, std::int64_t n) const;
  const std::vector<SimRecord>& Records(SimTable table) const { return tables_[Index(table)]; }
  void Clear(SimTable table) { tables_[Index(table)].clear(); }

 private:
  std::vector<SimRecord>::const_iterator LowerBound(SimTable table, std::int64_t number) const;
  static std::size_t Index(SimTable table) { return static_cast<std::size_t>(table); }
  std::array<std::vector<SimRecord>, SimTableCount> tables_;
};

}  // namespace vestok
