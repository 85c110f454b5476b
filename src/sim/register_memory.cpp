#include "sim/register_memory.h"

#include <algorithm>

#include "text/ascii.h"
#include "text/number_text.h"

namespace vestok {
namespace {

struct TableInfo {
  const char* name;
  std::vector<std::string> fields;
};

const std::array<TableInfo, SimTableCount>& Tables() {
  static const std::array<TableInfo, SimTableCount> tables = {{
      {"items", {"PLUCode", "ItemName", "VAT", "Barcode", "Price", "PriceType", "Stand", "Group", "Dummy"}},
      {"item-sales", {"PLUCode", "Qty", "Value"}},
      {"group-sales", {"GroupNo", "Value"}},
      {"stand-sales", {"StandNo", "Value"}},
      {"operators", {"OpNumber", "Name", "Passw"}},
      {"pay-types", {"PayTypeNo", "Text"}},
      {"discounts", {"RowNum", "Allowed", "Value"}},
      {"receipt-format",
       {"PrintLogo", "NoTextRowsAtEnd", "Reserved1", "PrintTax", "Reserved2", "SepTotWithBLines", "NoLocRec",
        "NoIntRec"}},
      {"header", {"Line", "Text"}},
      {"settings",
       {"LogicalNo", "ScalesType", "OpenDrawer", "InputAmount", "NoChangeToCheque", "PowerSave", "ProgWhileInRec",
        "CommType", "CommSpeed", "Reserved1", "Balance", "ItemsNotProg", "DiscOper", "Reserved2", "Reserved3",
        "ShowTotInAdCurency", "MainCurency", "NoVATPrices", "Reserved4", "NoPass"}},
  }};
  return tables;
}

}  // namespace

int SimFieldCount(SimTable table) {
  return static_cast<int>(Tables()[static_cast<std::size_t>(table)].fields.size());
}
const char* SimTableName(SimTable table) { return Tables()[static_cast<std::size_t>(table)].name; }
const std::vector<std::string>& SimFieldNames(SimTable table) {
  return Tables()[static_cast<std::size_t>(table)].fields;
}
bool IsSingleRecordTable(SimTable table) {
  return table == SimTable::ReceiptFormat || table == SimTable::Settings;
}

std::int64_t TRegisterMemory::RecordNumber(SimTable table, const SimRecord& record) {
  if (IsSingleRecordTable(table)) return 1;
  if (record.empty()) return 0;
  return ParseInt32(TrimBlanks(record.front())).value_or(0);
}

// The records of a table are kept in number order with unique numbers, so a
// record is found by binary search: a register of 100,000 items answers as
// fast as one of ten.
std::vector<SimRecord>::const_iterator TRegisterMemory::LowerBound(SimTable table, std::int64_t number) const {
  const auto& list = tables_[Index(table)];
  return std::lower_bound(list.begin(), list.end(), number, [table](const SimRecord& r, std::int64_t n) {
    return RecordNumber(table, r) < n;
  });
}

void TRegisterMemory::Put(SimTable table, SimRecord record) {
  record.resize(static_cast<std::size_t>(SimFieldCount(table)));
  auto& list = tables_[Index(table)];
  const std::int64_t number = RecordNumber(table, record);
  const auto it = list.begin() + (LowerBound(table, number) - list.cbegin());
  if (it != list.end() && RecordNumber(table, *it) == number)
    *it = std::move(record);
  else
    list.insert(it, std::move(record));
}

bool TRegisterMemory::Erase(SimTable table, std::int64_t number) {
  auto& list = tables_[Index(table)];
  const auto it = list.begin() + (LowerBound(table, number) - list.cbegin());
  if (it == list.end() || RecordNumber(table, *it) != number) return false;
  list.erase(it);
  return true;
}

const SimRecord* TRegisterMemory::Find(SimTable table, std::int64_t number) const {
  const auto it = LowerBound(table, number);
  return it != tables_[Index(table)].end() && RecordNumber(table, *it) == number ? &*it : nullptr;
}

const SimRecord* TRegisterMemory::AtOrAfter(SimTable table, std::int64_t number) const {
  const auto it = LowerBound(table, number);
  return it != tables_[Index(table)].end() ? &*it : nullptr;
}

const SimRecord* TRegisterMemory::Nth(SimTable table, std::int64_t n) const {
  const auto& list = tables_[Index(table)];
  if (n < 1 || n > static_cast<std::int64_t>(list.size())) return nullptr;
  return &list[static_cast<std::size_t>(n - 1)];
}

}  // namespace vestok
