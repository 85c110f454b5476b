#include "report/item_list_layout.h"

#include "tables/float_text.h"
#include "tables/price_type.h"
#include "text/number_text.h"

namespace vestok {

std::vector<TReportPage> LayoutItemList(const DocumentTable& items) {
  std::vector<TReportPage> pages(1);
  int y = kReportMargin;
  pages.back().bands.push_back({TReportBandKind::Title, y, kReportTitleHeight, 0});
  y += kReportTitleHeight;
  pages.back().bands.push_back({TReportBandKind::ColumnHeader, y, kReportHeaderHeight, 0});
  y += kReportHeaderHeight;

  const std::size_t count = items.IsOpen() ? items.RecordCount() : 0;
  for (std::size_t row = 0; row < count; ++row) {
    if (y + kReportDetailHeight > kReportBottom) {
      pages.emplace_back();
      y = kReportMargin;
      pages.back().bands.push_back({TReportBandKind::ColumnHeader, y, kReportHeaderHeight, 0});
      y += kReportHeaderHeight;
    }
    pages.back().bands.push_back({TReportBandKind::Detail, y, kReportDetailHeight, row});
    y += kReportDetailHeight;
  }
  return pages;
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

namespace {

// How far a column's text may reach: up to the next column, the last one up
// to the right margin.
int ColumnWidth(std::size_t column) {
  const int end = column + 1 < kItemListColumns.size() ? kItemListColumns[column + 1].offset : kReportPrintableWidth;
  return end - kItemListColumns[column].offset;
}

}  // namespace

std::vector<TReportText> ItemListPageTexts(const DocumentTable& items, const TReportPage& page,
                                           char decimalSeparator) {
  std::array<int, kItemListColumns.size()> fields{};
  for (std::size_t c = 0; c < kItemListColumns.size(); ++c) fields[c] = items.FieldIndex(kItemListColumns[c].field);

  std::vector<TReportText> texts;
  for (const TReportBand& band : page.bands) {
    switch (band.kind) {
      case TReportBandKind::Title:
        texts.push_back({kReportMargin, band.top + kReportTitleTextTop, kReportPrintableWidth, true,
                         std::string(kItemListTitle)});
        break;
      case TReportBandKind::ColumnHeader:
        for (std::size_t c = 0; c < kItemListColumns.size(); ++c)
          texts.push_back({kReportMargin + kItemListColumns[c].offset, band.top + kReportHeaderTextTop,
                           ColumnWidth(c), false, std::string(kItemListColumns[c].heading)});
        break;
      case TReportBandKind::Detail:
        for (std::size_t c = 0; c < kItemListColumns.size(); ++c) {
          if (fields[c] < 0) continue;
          std::string text = ItemListValueText(items, band.record, fields[c], decimalSeparator);
          if (text.empty()) continue;
          texts.push_back({kReportMargin + kItemListColumns[c].offset, band.top + kReportDetailTextTop,
                           ColumnWidth(c), false, std::move(text)});
        }
        break;
    }
  }
  return texts;
}

}  // namespace vestok
