#pragma once
// The printed item list laid out as a banded A4 report: a title on the first
// page, the column header on every page, one detail band per item in table
// order. Positions are whole hundredths of a millimetre measured from the top
// left corner of the paper, so the layout is exact and needs no printer; the
// widths of texts come from the caller, who knows the font.
//
// No value is cut or changed. The columns start at their usual offsets; where
// the widest value of a column (or its heading) would reach the next one,
// that column moves right. When the widest values do not fit the page, the
// names wrap onto more lines first, then the detail font shrinks, down to
// 7 points (then the barcodes wrap too). Numbers never wrap.
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
inline constexpr int kReportColumnGap = 100;       // kept clear before the next column

inline constexpr std::string_view kItemListTitle = "LISTA DE PRODUSE";
inline constexpr double kReportFontPoints = 10.0;  // Arial, regular, black
inline constexpr double kReportMinDetailPoints = 7.0;

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
inline constexpr std::size_t kItemListNameColumn = 1;
inline constexpr std::size_t kItemListBarcodeColumn = 3;

// The widths of texts in the report's font, in hundredths of a millimetre.
class IReportTextMeasure {
 public:
  virtual ~IReportTextMeasure() = default;
  // The advance of `text` (Windows-1250) at `points`.
  virtual int Width(std::string_view text, double points) const = 0;
  // The distance from one line of text to the next at `points`.
  virtual int LineHeight(double points) const = 0;
  // A quick estimate of Width, within a few per cent of it, used to pick the
  // widest of many values before they are measured exactly.
  virtual int ApproximateWidth(std::string_view text, double points) const { return Width(text, points); }
};

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

// Where each column stands and how much room its texts have.
struct TReportColumnPlace {
  int offset = 0;      // from the left margin
  int width = 0;       // room for its texts, up to the next column's gap
  bool wraps = false;  // a text wider than `width` goes on onto more lines
};

struct TItemListLayout {
  std::array<TReportColumnPlace, kItemListColumns.size()> columns{};
  double detailPoints = kReportFontPoints;  // the headings keep kReportFontPoints
  int headerHeight = kReportHeaderHeight;
  std::vector<TReportPage> pages;
};

// One line of text to print, at `points`. A left-aligned text starts at
// `left` and fits in `width`; a centred one is centred in left .. left + width.
struct TReportText {
  int left = 0;
  int top = 0;
  int width = 0;
  bool centred = false;
  std::string text;  // Windows-1250
  double points = kReportFontPoints;
};

// The columns and pages of the item list for the records of `items` (a
// tItems table). An empty table still gives one page: the title and the
// column header. `decimalSeparator` is the one of the user's regional settings.
TItemListLayout LayoutItemList(const DocumentTable& items, const IReportTextMeasure& measure,
                               char decimalSeparator);

// The texts of page `page` of `layout`: the title, the headings and each
// item's values, a wrapped value as one text per line.
std::vector<TReportText> ItemListPageTexts(const DocumentTable& items, const TItemListLayout& layout,
                                           std::size_t page, const IReportTextMeasure& measure,
                                           char decimalSeparator);

// The text a value of `field` in `row` prints as: integers in decimal, the
// price with up to 15 significant digits and `decimalSeparator`, the price
// type as "Fix" / "Liber" / "Liber max", no value as nothing.
std::string ItemListValueText(const DocumentTable& items, std::size_t row, int field, char decimalSeparator);

// `text` broken into lines no wider than `width` at `points`: at blanks where
// it can, inside a word only when the word alone is wider. Never empty; no
// character is lost but the blanks a line ends at.
std::vector<std::string> WrapReportText(std::string_view text, int width, double points,
                                        const IReportTextMeasure& measure);

}  // namespace vestok
