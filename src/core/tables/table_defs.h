#pragma once
// The ten document tables of one cash register: their numbering (TableKind),
// their fields in file and record order, and the titles their grids show.
#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace vestok {

enum class FieldType : std::uint8_t { Integer, Float, Text };

// One field of a table. Names and titles point at static text.
struct FieldDef {
  std::string_view name;
  FieldType type = FieldType::Integer;
  int width = 0;  // text(n): n, the longest text the field keeps; 0 for numbers
  // The grid's column title (for tSettings: the label on the ECR settings
  // page); empty for a field that is never shown (reserved and dummy fields).
  std::string_view title;

  constexpr bool Shown() const { return !title.empty(); }
};

// A byte naming a table: 0 to 9 in the order below, 255 when no page is active.
using TableKind = std::uint8_t;

inline constexpr TableKind tkItems = 0;
inline constexpr TableKind tkItemSales = 1;
inline constexpr TableKind tkGroupSales = 2;
inline constexpr TableKind tkStandSales = 3;
inline constexpr TableKind tkOperators = 4;
inline constexpr TableKind tkPayType = 5;
inline constexpr TableKind tkDisc = 6;
inline constexpr TableKind tkRecFmt = 7;
inline constexpr TableKind tkHeadFoot = 8;
inline constexpr TableKind tkSettings = 9;
inline constexpr TableKind tkNone = 255;
inline constexpr int kTableCount = 10;

struct TableDef {
  TableKind kind = tkNone;
  std::string_view name;  // the component name, "tItems" ... "tSettings"
  std::span<const FieldDef> fields;
  bool editable = true;  // false for the three sales reports (read-only grids)
};

// The definition of table `kind` (0 to 9). Throws std::out_of_range for any
// other number, 255 included.
const TableDef& TableDefinition(TableKind kind);

// All ten definitions, indexed by TableKind.
std::span<const TableDef> AllTableDefinitions();

// The table of the page shown: main page 0 -> its sub-page (0..3), 1 -> 4 +
// sub-page, 2 -> 7 + sub-page, 3 -> 9, anything else (no active page) -> 255.
// A sub-page index outside its page's range also gives 255.
TableKind TableKindOfPage(int mainPage, int subPage);

// What CurrentFileName holds for a table without a file, and what the status
// bar shows for it.
inline constexpr std::string_view kNoCurrentFile = "<Nu exista fisier curent>";

}  // namespace vestok
