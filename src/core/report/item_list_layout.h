#pragma once
// The printed item list laid out as a banded A4 report: a title on the first
// page, the column header on every page, one detail band per item in table
// order. Positions are whole hundredths of a millimetre measured from the top
// left corner of the paper, so the layout is exact and needs no printer.
#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "tables/document_table.h"

namespace vestok {

// Paper and bands, in hundredths of a millimetre.
inline constexpr int kReportPaperWidth = 21000;   // A4 portrait
inline constexpr int kReportPaperHeight = 29700;
inline constexpr int kReportMargin = 1270;         // on all four sides
inline constexpr int kReportPrintableWidth = 18468;
inline constexpr int kReportBottom = kReportPaperHeight - kReportMargin;
inline constexpr int kReportTitleHeight = 1058;
inline constexpr int kReportHeaderHeight = 1058;
inline constexpr int kReportDetailHeight = 661;
inline constexpr int kReportTitleTextTop = 212;    // below the band's top
inline constexpr int kReportHeaderTextTop = 212;
inline constexpr int kReportDetailTextTop = 79;

inline constexpr std::string_view kItemListTitle = "LISTA DE PRODUSE";
inline constexpr double kReportFontPoints = 10.0;  // Arial, regular, black

// One column: its heading and value start at `offset` from the left margin.
struct TReportColumn {
  int offset;
  std::string_view heading;
  std::string_view field;  // the tItems field printed in it
};
inline constexpr std::array<TReportColumn, 8> kItemListColumns = {{
    {212, "Cod PLU", "PLUCode"},
    {2328, "Denumire articol", "ItemName"},
    {7832, "TVA", "VAT"},
    {9525, "Cod bare", "Barcode"},
    {12700, "Pret", "Price"},
    {14605, "Tip pret", "PriceType"},
    {16087, "Stand", "Stand"},
    {17568, "Grup", "Group"},
}};

enum class TReportBandKind { Title, ColumnHeader, Detail };

struct TReportBand {
  TReportBandKind kind;
  int top;             // of the band, from the top of the paper
  int height;
  std::size_t record;  // the item's row, for a detail band
};

struct TReportPage {
  std::vector<TReportBand> bands;
};

// One text to print. Left-aligned texts start at `left` and may use at most
// `width` (up to the next column's offset, or the right margin for the last
// column); a longer text is cut there rather than printed over its neighbour.
// A centred text is centred in left .. left + width.
struct TReportText {
  int left = 0;
  int top = 0;
  int width = 0;
  bool centred = false;
  std::string text;  // Windows-1250
};

// The pages of the item list for the records of `items` (a tItems table).
// An empty table still gives one page: the title and the column header.
std::vector<TReportPage> LayoutItemList(const DocumentTable& items);

// The texts of one page: the title, the headings and each item's values.
// `decimalSeparator` is the one of the user's regional settings.
std::vector<TReportText> ItemListPageTexts(const DocumentTable& items, const TReportPage& page,
                                           char decimalSeparator);

// The text a value of `field` in `row` prints as: integers in decimal, the
// price with up to 15 significant digits and `decimalSeparator`, the price
// type as "Fix" / "Liber" / "Liber max", no value as nothing.
std::string ItemListValueText(const DocumentTable& items, std::size_t row, int field, char decimalSeparator);

}  // namespace vestok
