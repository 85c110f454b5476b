#include "report/item_list_layout.h"

#include <algorithm>
#include <optional>

#include "tables/float_text.h"
#include "tables/price_type.h"
#include "text/number_text.h"

namespace vestok {

namespace {

constexpr std::size_t kColumns = kItemListColumns.size();
constexpr double kPointsStep = 0.5;

bool IsBlank(char c) { return c == ' '; }

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

// The widest word of `text` (the narrowest a wrapping column can be and
// still break it only at blanks).
int WidestWord(std::string_view text, double points, const IReportTextMeasure& measure) {
  int widest = 0;
  while (!text.empty()) {
    const std::size_t end = std::min(text.find(' '), text.size());
    widest = std::max(widest, measure.Width(text.substr(0, end), points));
    text.remove_prefix(std::min(end + 1, text.size()));
  }
  return widest;
}

std::array<int, kColumns> ColumnFields(const DocumentTable& items) {
  std::array<int, kColumns> fields{};
  for (std::size_t c = 0; c < kColumns; ++c) fields[c] = items.FieldIndex(kItemListColumns[c].field);
  return fields;
}

// What the columns need: the widest value of each (found at the report's
// font; the same text is the widest at a smaller one) and the headings.
struct TColumnNeeds {
  std::array<std::string, kColumns> widestValue;
  std::array<int, kColumns> heading{};      // whole, at the headings' font
  std::array<int, kColumns> headingWord{};  // its widest word
};

// How many of a column's widest values (by the estimate) are measured exactly.
constexpr std::size_t kWidestCandidates = 6;

TColumnNeeds MeasureColumns(const DocumentTable& items, const IReportTextMeasure& measure, char separator) {
  TColumnNeeds needs;
  const auto fields = ColumnFields(items);
  // Per column the widest values by the estimate, widest first.
  std::array<std::vector<std::pair<int, std::string>>, kColumns> candidates;
  const std::size_t count = items.IsOpen() ? items.RecordCount() : 0;
  for (std::size_t row = 0; row < count; ++row)
    for (std::size_t c = 0; c < kColumns; ++c) {
      if (fields[c] < 0) continue;
      std::string text = ItemListValueText(items, row, fields[c], separator);
      if (text.empty()) continue;
      auto& best = candidates[c];
      const int estimate = measure.ApproximateWidth(text, kReportFontPoints);
      if (best.size() == kWidestCandidates && estimate <= best.back().first) continue;
      const auto at = std::find_if(best.begin(), best.end(), [&](const auto& b) { return b.first < estimate; });
      best.insert(at, {estimate, std::move(text)});
      if (best.size() > kWidestCandidates) best.pop_back();
    }
  for (std::size_t c = 0; c < kColumns; ++c) {
    int widest = 0;
    for (auto& [estimate, text] : candidates[c]) {
      const int width = measure.Width(text, kReportFontPoints);
      if (width > widest) {
        widest = width;
        needs.widestValue[c] = text;
      }
    }
    needs.heading[c] = measure.Width(kItemListColumns[c].heading, kReportFontPoints);
    needs.headingWord[c] = WidestWord(kItemListColumns[c].heading, kReportFontPoints, measure);
  }
  return needs;
}

// Whether `text` fits `width` at `points`; the estimate answers where it is clearly short.
bool FitsWidth(std::string_view text, int width, double points, const IReportTextMeasure& measure) {
  if (measure.ApproximateWidth(text, points) * 105 / 100 + 10 <= width) return true;
  return measure.Width(text, points) <= width;
}

// The columns at `points`, each wrapping column held to `limit` where one is
// given (nullopt: as wide as its widest text). A column stands at its usual
// offset unless the column before would reach it (then it moves right) or
// the columns after it would not fit the page (then it moves left).
std::array<TReportColumnPlace, kColumns> PlaceColumns(const TColumnNeeds& needs, const IReportTextMeasure& measure,
                                                      double points,
                                                      const std::array<std::optional<int>, kColumns>& limit) {
  std::array<TReportColumnPlace, kColumns> places{};
  std::array<int, kColumns> need{};
  for (std::size_t c = 0; c < kColumns; ++c) {
    const int value = needs.widestValue[c].empty() ? 0 : measure.Width(needs.widestValue[c], points);
    need[c] = std::max(value, needs.heading[c]);
    if (limit[c] && *limit[c] < need[c]) {
      need[c] = *limit[c];
      places[c].wraps = true;
    }
  }
  // The latest start of each column that leaves room for those after it.
  std::array<int, kColumns> latest{};
  int next = kReportPrintableWidth + kReportColumnGap;
  for (std::size_t c = kColumns; c-- > 0;) {
    latest[c] = next - kReportColumnGap - need[c];
    next = latest[c];
  }
  int end = -kReportColumnGap;  // where the column before ends
  for (std::size_t c = 0; c < kColumns; ++c) {
    const int earliest = std::max(0, end + kReportColumnGap);
    places[c].offset = std::max(earliest, std::min(kItemListColumns[c].offset, latest[c]));
    places[c].width = need[c];
    end = places[c].offset + need[c];
  }
  // Each text may use the room up to the next column.
  for (std::size_t c = 0; c + 1 < kColumns; ++c)
    places[c].width = std::max(places[c].width, places[c + 1].offset - kReportColumnGap - places[c].offset);
  places[kColumns - 1].width = std::max(places[kColumns - 1].width, kReportPrintableWidth - places[kColumns - 1].offset);
  return places;
}

bool Fits(const std::array<TReportColumnPlace, kColumns>& places, const TColumnNeeds& needs,
          const IReportTextMeasure& measure, double points) {
  const std::size_t last = kColumns - 1;
  const int value = needs.widestValue[last].empty() ? 0 : measure.Width(needs.widestValue[last], points);
  return places[last].offset + std::max(value, needs.heading[last]) <= kReportPrintableWidth;
}

// The widest limit in [low, high] for column `column` at which the columns
// fit, given the other limits; nullopt when not even `low` fits.
std::optional<int> WidestFittingLimit(const TColumnNeeds& needs, const IReportTextMeasure& measure, double points,
                                      std::array<std::optional<int>, kColumns> limit, std::size_t column, int low,
                                      int high) {
  auto fitsAt = [&](int width) {
    limit[column] = width;
    return Fits(PlaceColumns(needs, measure, points, limit), needs, measure, points);
  };
  if (high < low || !fitsAt(low)) return std::nullopt;
  while (low < high) {
    const int mid = low + (high - low + 1) / 2;
    if (fitsAt(mid))
      low = mid;
    else
      high = mid - 1;
  }
  return low;
}

int NarrowestWrap(const TColumnNeeds& needs, const IReportTextMeasure& measure, std::size_t column, double points) {
  return std::max(needs.headingWord[column], measure.Width("WWWWW", points));
}

std::size_t LinesOf(std::string_view text, const TReportColumnPlace& place, double points,
                    const IReportTextMeasure& measure) {
  if (!place.wraps || FitsWidth(text, place.width, points, measure)) return 1;
  return WrapReportText(text, place.width, points, measure).size();
}

}  // namespace

std::vector<std::string> WrapReportText(std::string_view text, int width, double points,
                                        const IReportTextMeasure& measure) {
  std::vector<std::string> lines;
  std::string_view rest = text;
  while (!rest.empty()) {
    if (measure.Width(rest, points) <= width) {
      lines.emplace_back(rest);
      break;
    }
    // The longest start that fits (at least one character).
    std::size_t low = 1, high = rest.size();
    while (low < high) {
      const std::size_t mid = low + (high - low + 1) / 2;
      if (measure.Width(rest.substr(0, mid), points) <= width)
        low = mid;
      else
        high = mid - 1;
    }
    std::size_t cut = low;
    if (!IsBlank(rest[cut])) {
      const std::size_t blank = rest.substr(0, cut).rfind(' ');
      if (blank != std::string_view::npos && !TrimBlanks(rest.substr(0, blank)).empty()) cut = blank;
    }
    std::string_view line = rest.substr(0, cut);
    while (!line.empty() && IsBlank(line.back())) line.remove_suffix(1);
    lines.emplace_back(line);
    rest.remove_prefix(cut);
    while (!rest.empty() && IsBlank(rest.front())) rest.remove_prefix(1);
  }
  if (lines.empty()) lines.emplace_back();
  return lines;
}

TItemListLayout LayoutItemList(const DocumentTable& items, const IReportTextMeasure& measure,
                               char decimalSeparator) {
  TItemListLayout layout;
  const TColumnNeeds needs = MeasureColumns(items, measure, decimalSeparator);

  // The usual font and offsets where the widest values allow them; then the
  // names wrap, then the font shrinks; at the smallest font the barcodes wrap too.
  bool placed = false;
  for (double points = kReportFontPoints; points >= kReportMinDetailPoints && !placed; points -= kPointsStep) {
    std::array<std::optional<int>, kColumns> limit{};
    auto places = PlaceColumns(needs, measure, points, limit);
    if (!Fits(places, needs, measure, points)) {
      const std::size_t name = kItemListNameColumn;
      const int whole = std::max(measure.Width(needs.widestValue[name], points), needs.heading[name]);
      const auto fitting =
          WidestFittingLimit(needs, measure, points, limit, name, NarrowestWrap(needs, measure, name, points), whole);
      if (!fitting && points - kPointsStep >= kReportMinDetailPoints) continue;
      limit[name] = fitting ? *fitting : NarrowestWrap(needs, measure, name, points);
      if (!fitting) {
        const std::size_t barcode = kItemListBarcodeColumn;
        const int wide = std::max(measure.Width(needs.widestValue[barcode], points), needs.heading[barcode]);
        const int narrow = NarrowestWrap(needs, measure, barcode, points);
        const auto codes = WidestFittingLimit(needs, measure, points, limit, barcode, narrow, wide);
        limit[barcode] = codes ? *codes : narrow;
      }
      places = PlaceColumns(needs, measure, points, limit);
    }
    layout.columns = places;
    layout.detailPoints = points;
    placed = true;
  }

  // A heading wraps where its column does.
  std::size_t headingLines = 1;
  for (std::size_t c = 0; c < kColumns; ++c)
    headingLines = std::max(headingLines, LinesOf(kItemListColumns[c].heading, layout.columns[c], kReportFontPoints, measure));
  layout.headerHeight = kReportHeaderHeight + int(headingLines - 1) * measure.LineHeight(kReportFontPoints);

  const auto fields = ColumnFields(items);
  const int lineHeight = measure.LineHeight(layout.detailPoints);
  layout.pages.resize(1);
  int y = kReportMargin;
  layout.pages.back().bands.push_back({TReportBandKind::Title, y, kReportTitleHeight, 0});
  y += kReportTitleHeight;
  layout.pages.back().bands.push_back({TReportBandKind::ColumnHeader, y, layout.headerHeight, 0});
  y += layout.headerHeight;

  const std::size_t count = items.IsOpen() ? items.RecordCount() : 0;
  for (std::size_t row = 0; row < count; ++row) {
    std::size_t lines = 1;
    for (std::size_t c = 0; c < kColumns; ++c)
      if (layout.columns[c].wraps && fields[c] >= 0)
        lines = std::max(lines, LinesOf(ItemListValueText(items, row, fields[c], decimalSeparator), layout.columns[c],
                                        layout.detailPoints, measure));
    const int height = kReportDetailHeight + int(lines - 1) * lineHeight;
    if (y + height > kReportBottom) {
      layout.pages.emplace_back();
      y = kReportMargin;
      layout.pages.back().bands.push_back({TReportBandKind::ColumnHeader, y, layout.headerHeight, 0});
      y += layout.headerHeight;
    }
    layout.pages.back().bands.push_back({TReportBandKind::Detail, y, height, row});
    y += height;
  }
  return layout;
}

std::string ItemListValueText(const DocumentTable& items, std::size_t row, int field, char decimalSeparator) {
  const FieldDef& def = items.Fields()[std::size_t(field)];
  if (def.name == "PriceType")
    return std::string(PriceTypeText(items.HasStoredRecord(), items.IntegerAt(row, field)));
  switch (def.type) {
    case FieldType::Integer: {
      const auto value = items.IntegerAt(row, field);
      return value ? IntToText(*value) : std::string();
    }
    case FieldType::Float: {
      const auto value = items.FloatAt(row, field);
      return value ? FloatToText(*value, decimalSeparator) : std::string();
    }
    case FieldType::Text:
      return std::string(items.TextViewAt(row, field));
  }
  return {};
}

std::vector<TReportText> ItemListPageTexts(const DocumentTable& items, const TItemListLayout& layout,
                                           std::size_t page, const IReportTextMeasure& measure,
                                           char decimalSeparator) {
  std::vector<TReportText> texts;
  if (page >= layout.pages.size()) return texts;
  const auto fields = ColumnFields(items);
  // One text per line of a value, below one another.
  auto add = [&](std::size_t c, int top, std::string_view value, double points) {
    const TReportColumnPlace& place = layout.columns[c];
    const int left = kReportMargin + place.offset;
    if (!place.wraps || FitsWidth(value, place.width, points, measure)) {
      texts.push_back({left, top, place.width, false, std::string(value), points});
      return;
    }
    const int lineHeight = measure.LineHeight(points);
    const auto lines = WrapReportText(value, place.width, points, measure);
    for (std::size_t i = 0; i < lines.size(); ++i)
      texts.push_back({left, top + int(i) * lineHeight, place.width, false, lines[i], points});
  };
  for (const TReportBand& band : layout.pages[page].bands) {
    switch (band.kind) {
      case TReportBandKind::Title:
        texts.push_back({kReportMargin, band.top + kReportTitleTextTop, kReportPrintableWidth, true,
                         std::string(kItemListTitle), kReportFontPoints});
        break;
      case TReportBandKind::ColumnHeader:
        for (std::size_t c = 0; c < kColumns; ++c)
          add(c, band.top + kReportHeaderTextTop, kItemListColumns[c].heading, kReportFontPoints);
        break;
      case TReportBandKind::Detail:
        for (std::size_t c = 0; c < kColumns; ++c) {
          if (fields[c] < 0) continue;
          const std::string text = ItemListValueText(items, band.record, fields[c], decimalSeparator);
          if (!text.empty()) add(c, band.top + kReportDetailTextTop, text, layout.detailPoints);
        }
        break;
    }
  }
  return texts;
}

}  // namespace vestok
