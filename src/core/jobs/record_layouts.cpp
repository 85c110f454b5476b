#include "jobs/record_layouts.h"
#include "jobs/reply_guard.h"

#include <algorithm>
#include <array>

#include "jobs/record_numbers.h"
#include "tables/document_table.h"
#include "text/number_text.h"

namespace vestok {
namespace {

constexpr std::size_t kItemNameSent = 20;  // the register keeps 20 characters of a name
constexpr std::size_t kBarcodeLowDigits = 8;

// The tables share their layout in both variants; only the items differ.
JobKind TableOf(JobKind kind) { return kind >= kStandardJobKinds ? JobKind(kind - kStandardJobKinds) : kind; }

int NeedField(const DocumentTable& table, std::string_view name) {
  const int index = table.FieldIndex(name);
  if (index < 0) throw TableUsageError("no field " + std::string(name) + " in " + std::string(table.Name()));
  return index;
}

// The table's own text form of a value: decimal integers, the stored text,
// floats with the user's separator; no value gives empty text.
std::string FieldText(const DocumentTable& table, std::size_t row, int field, char separator) {
  switch (table.Fields()[std::size_t(field)].type) {
    case FieldType::Integer: {
      const auto value = table.IntegerAt(row, field);
      return value ? IntToText(*value) : std::string();
    }
    case FieldType::Float: {
      const auto value = table.FloatAt(row, field);
      return value ? FormatUploadFloat(*value, separator) : std::string();
    }
    case FieldType::Text:
      break;
  }
  return std::string(table.TextViewAt(row, field));
}

std::string ItemNameText(const DocumentTable& table, std::size_t row) {
  return std::string(table.TextViewAt(row, NeedField(table, "ItemName")).substr(0, kItemNameSent));
}

// An empty price goes out as 0, formatted like any other.
std::string PriceText(const DocumentTable& table, std::size_t row, char separator) {
  return FormatPrice(table.FloatAt(row, NeedField(table, "Price")).value_or(0.0), separator);
}

// Every field in table order; the items cut the name and format the price.
std::vector<std::string> TableLayoutFields(JobKind kind, const DocumentTable& table, std::size_t row, char separator) {
  std::vector<std::string> out;
  const int nameField = kind == tkItems ? NeedField(table, "ItemName") : -1;
  const int priceField = kind == tkItems ? NeedField(table, "Price") : -1;
  for (int field = 0; field < table.FieldCount(); ++field) {
    if (field == nameField)
      out.push_back(ItemNameText(table, row));
    else if (field == priceField)
      out.push_back(PriceText(table, row, separator));
    else
      out.push_back(FieldText(table, row, field, separator));
  }
  return out;
}

// The Standard item record: position, PLU, name, price, 0, stand, group, VAT,
// price type, 0, barcode high part, barcode low part.
std::vector<std::string> StandardItemFields(const DocumentTable& table, std::size_t row, char separator) {
  auto field = [&](std::string_view name) { return FieldText(table, row, NeedField(table, name), separator); };
  std::string barcode = field("Barcode");
  if (barcode.empty()) barcode = "0";
  std::string high = "0", low = barcode;
  if (barcode.size() > kBarcodeLowDigits) {
    high = barcode.substr(0, barcode.size() - kBarcodeLowDigits);
    low = barcode.substr(barcode.size() - kBarcodeLowDigits);
  }
  return {IntToText(std::int64_t(row) + 1),
          field("PLUCode"),
          ItemNameText(table, row),
          PriceText(table, row, separator),
          "0",
          field("Stand"),
          field("Group"),
          field("VAT"),
          field("PriceType"),
          "0",
          high,
          low};
}

std::vector<std::string> UploadFields(JobKind kind, const DocumentTable& table, std::size_t row, char separator) {
  if (kind == kStandardItems) return StandardItemFields(table, row, separator);
  return TableLayoutFields(TableOf(kind), table, row, separator);
}

}  // namespace

std::string UploadCommand(JobKind kind) {
  switch (kind) {
    case 0: case 100: return "W0";
    case 4: case 104: return "W2";
    case 5: return "W8";
    case 6: case 106: return "W4";
    case 7: case 107: return "W5";
    case 8: case 108: return "W6";
    case 9: case 109: return "W1;1";
    default: return {};
  }
}

std::string DownloadCommand(JobKind kind) {
  switch (kind) {
    case 0: return "I0";
    case 1: return "T0";
    case 2: return "R10";
    case 3: return "R3";
    case 4: case 104: return "R2";
    case 5: return "R8";
    case 6: case 106: return "R4";
    case 7: case 107: return "R5";
    case 8: case 108: return "R6";
    case 9: case 109: return "R1";
    case 100: case 101: return "R0";
    default: return {};
  }
}

std::string BuildUploadRecord(JobKind kind, const DocumentTable& table, std::size_t row, char separator) {
  std::string record = UploadCommand(kind);
  if (record.empty()) return record;
  record += ';';
  for (const std::string& field : UploadFields(kind, table, row, separator)) {
    record += field;
    record += ';';
  }
  return record;
}

bool UploadRecordSendable(JobKind kind, const DocumentTable& table, std::size_t row) {
  // The separator does not matter here: numbers never hold these characters.
  for (const std::string& field : UploadFields(kind, table, row, '.'))
    if (field.find_first_of(";\r\n") != std::string::npos) return false;
  return true;
}

std::string BuildRequest(std::string_view command, std::int32_t number) {
  std::string request(command);
  request += ';';
  request += IntToText(number);
  request += ';';
  return request;
}

std::string BuildDeleteCommand(std::int32_t pluCode) { return BuildRequest("C0", pluCode); }

bool IsAcknowledgement(std::string_view payload) { return ReplyText(payload) == "\nD"; }

bool IsEndReply(std::string_view payload) { return payload == "\nD" || payload == "\nE"; }

std::string NextToken(std::string& text) {
  const std::size_t sep = text.find(';');
  std::string field;
  if (sep == std::string::npos) {
    field.swap(text);
  } else {
    field = text.substr(0, sep);
    text.erase(0, sep + 1);
  }
  return field;
}

std::vector<std::string> ParseReply(JobKind kind, std::string_view payload) {
  std::string rest(payload);
  NextToken(rest);  // the first field of every reply is the register's own
  // f[1] .. f[21]: the reply's fields after the dropped one (f[0] unused).
  std::array<std::string, 22> f;
  for (std::size_t i = 1; i < f.size(); ++i) f[i] = NextToken(rest);

  switch (kind) {
    case 0:
      return {f[1], f[2], f[3], f[4], f[5], f[6], f[7], f[8]};
    case 1:
      return {f[1], f[10], f[11]};
    case 2: case 3: case 5: case 8: case 108:
      return {f[1], f[2]};
    case 4: case 104: case 6: case 106:
      return {f[1], f[2], f[3]};
    case 7: case 107:
      return {f[1], f[2], f[3], f[4], f[5], f[6], f[7], f[8]};
    case 9: case 109: {
      std::vector<std::string> v;
      for (std::size_t i = 2; i <= 10; ++i) v.push_back(f[i]);  // LogicalNo .. CommSpeed
      v.push_back("");                                          // Reserved1
      v.insert(v.end(), {f[12], f[13], f[14]});                  // Balance, ItemsNotProg, DiscOper
      v.insert(v.end(), {"", ""});                               // Reserved2, Reserved3
      v.insert(v.end(), {f[17], f[18], f[19]});                  // ShowTotInAdCurency .. NoVATPrices
      v.push_back("");                                          // Reserved4
      v.push_back(f[21]);                                       // NoPass
      constexpr std::array<std::size_t, 4> reserved = {9, 13, 14, 18};
      for (std::size_t i = 0; i < v.size(); ++i) {
        const bool isReserved = i == reserved[0] || i == reserved[1] || i == reserved[2] || i == reserved[3];
        if (!isReserved && v[i].empty()) v[i] = "0";
      }
      return v;
    }
    case 100:
      // PLUCode, ItemName, VAT, Barcode (both halves joined), Price, PriceType, Stand, Group.
      return {f[2], f[3], f[8], f[11] + f[12], f[4], f[10], f[6], f[7]};
    case 101:
      return {f[2], f[5], "0"};
    default:
      return {};
  }
}

void StoreReplyValues(DocumentTable& table, const std::vector<std::string>& values) {
  const std::size_t count = std::min<std::size_t>(values.size(), std::size_t(table.FieldCount()));
  for (std::size_t i = 0; i < count; ++i) {
    // A NUL ends a text as the table file reads it back: a reply's text is cut
    // there, so that what the table holds saves and loads again unchanged.
    const std::string& v = values[i];
    const bool text = table.Fields()[i].type == FieldType::Text;
    table.SetText(int(i), text ? std::string_view(v).substr(0, v.find('\0')) : std::string_view(v));
  }
}

}  // namespace vestok
