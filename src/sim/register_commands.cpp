#include "sim/register_commands.h"

#include <algorithm>
#include <vector>

#include "text/ascii.h"
#include "text/number_text.h"

namespace vestok {
namespace {

// A record text split at every ';'. The ';' that ends the record does not open
// another field.
std::vector<std::string> SplitFields(std::string_view text) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  while (true) {
    const std::size_t semi = text.find(';', start);
    if (semi == std::string_view::npos) {
      if (start < text.size()) fields.emplace_back(text.substr(start));
      break;
    }
    fields.emplace_back(text.substr(start, semi - start));
    start = semi + 1;
  }
  return fields;
}

std::string JoinRecord(std::string_view command, const std::vector<std::string>& fields) {
  std::string out(command);
  out += ';';
  for (const auto& f : fields) {
    out += f;
    out += ';';
  }
  return out;
}

// fields[from], fields[from + 1], ... ; missing ones are empty.
SimRecord Slice(const std::vector<std::string>& fields, std::size_t from, std::size_t count) {
  SimRecord out(count);
  for (std::size_t i = 0; i < count && from + i < fields.size(); ++i) out[i] = fields[from + i];
  return out;
}

std::optional<std::int32_t> Number(std::string_view text) { return ParseInt32(TrimBlanks(text)); }

// The Standard layout splits a barcode into a high part and its last eight
// characters; "0" stands for an empty part.
void SplitBarcode(const std::string& barcode, std::string& high, std::string& low) {
  const std::string_view code = barcode.empty() ? std::string_view("0") : std::string_view(barcode);
  const std::size_t split = code.size() <= 8 ? 0 : code.size() - 8;
  high = split == 0 ? std::string(1, '0') : std::string(code.substr(0, split));
  low = std::string(code.substr(split));
}

std::string JoinBarcode(const std::string& high, const std::string& low) {
  if (high == "0" || high.empty()) return low == "0" ? std::string() : low;
  return high + low;
}

struct UploadTarget {
  std::string_view command;
  SimTable table;
};
constexpr UploadTarget Uploads[] = {
    {"W2", SimTable::Operators}, {"W8", SimTable::PayTypes}, {"W4", SimTable::Discounts},
    {"W5", SimTable::ReceiptFormat}, {"W6", SimTable::Header},
};

struct DownloadSource {
  std::string_view command;
  SimTable table;
};
constexpr DownloadSource Downloads[] = {
    {"I0", SimTable::Items},     {"T0", SimTable::ItemSales},  {"R10", SimTable::GroupSales},
    {"R3", SimTable::StandSales}, {"R2", SimTable::Operators}, {"R8", SimTable::PayTypes},
    {"R4", SimTable::Discounts}, {"R5", SimTable::ReceiptFormat}, {"R6", SimTable::Header},
    {"R1", SimTable::Settings},
};

bool IsRefused(const TCommandRules& rules, std::string_view plu) {
  return rules.RefusedPlu && Number(plu).value_or(0) == *rules.RefusedPlu;
}

bool Listed(const std::vector<std::int32_t>& numbers, std::int64_t number) {
  return std::find(numbers.begin(), numbers.end(), number) != numbers.end();
}

// Stores the record unless its number is refused; the answer as the rules say.
std::string Store(TRegisterMemory& memory, SimTable table, SimRecord record, const TCommandRules& rules) {
  const std::int64_t number = TRegisterMemory::RecordNumber(table, record);
  if (Listed(rules.RefusedRecords, number)) return std::string(RefusalPayload);
  memory.Put(table, std::move(record));
  return Listed(rules.UnansweredRecords, number) ? std::string() : std::string(AckPayload);
}

std::string UploadItem(TRegisterMemory& memory, const std::vector<std::string>& f, const TCommandRules& rules) {
  const bool standard = rules.Variant == SimVariant::Standard ||
                        (rules.Variant == SimVariant::Auto && f.size() >= 13);
  SimRecord item;
  if (standard) {
    // pos;PLU;name;price;0;stand;group;VAT;price type;0;high;low
    const SimRecord s = Slice(f, 1, 12);
    item = {s[1], s[2], s[7], JoinBarcode(s[10], s[11]), s[3], s[8], s[5], s[6], ""};
  } else {
    item = Slice(f, 1, 9);
  }
  if (IsRefused(rules, item[0])) return std::string(RefusalPayload);
  return Store(memory, SimTable::Items, std::move(item), rules);
}

std::string Upload(TRegisterMemory& memory, const std::vector<std::string>& f, const TCommandRules& rules) {
  const std::string& command = f[0];
  if (command == "W0") return UploadItem(memory, f, rules);
  if (command == "W1") {
    // "W1;1;" and the twenty operating parameters: record 1 is the only one.
    if (f.size() < 2 || Number(f[1]) != 1) return std::string(RefusalPayload);
    return Store(memory, SimTable::Settings,
                 Slice(f, 2, static_cast<std::size_t>(SimFieldCount(SimTable::Settings))), rules);
  }
  for (const auto& u : Uploads) {
    if (command != u.command) continue;
    return Store(memory, u.table, Slice(f, 1, static_cast<std::size_t>(SimFieldCount(u.table))), rules);
  }
  return std::string(RefusalPayload);
}

std::string SoldQuantity(const TRegisterMemory& memory, const std::string& plu) {
  const SimRecord* sale = memory.Find(SimTable::ItemSales, Number(plu).value_or(0));
  return sale && !(*sale)[1].empty() ? (*sale)[1] : "0";
}

// "R0;n;PLU;name;price;sold qty;stand;group;VAT;0;price type;bc high;bc low;":
// the reply that the Standard item and item sales downloads both read.
std::string StandardItemReply(const TRegisterMemory& memory, std::int32_t n, const SimRecord& item) {
  std::string high, low;
  SplitBarcode(item[3], high, low);
  return JoinRecord("R0", {IntToText(n), item[0], item[1], item[4], SoldQuantity(memory, item[0]), item[6],
                           item[7], item[2], "0", item[5], high, low});
}

std::string RecordReply(const TRegisterMemory& memory, std::string_view command, SimTable table,
                        const SimRecord& record) {
  if (table == SimTable::Settings) {
    std::vector<std::string> fields{"1"};
    fields.insert(fields.end(), record.begin(), record.end());
    return JoinRecord(command, fields);
  }
  if (table == SimTable::Items) return JoinRecord(command, Slice(record, 0, 8));  // no dummy
  if (table == SimTable::ItemSales) {
    // PLU, the item's own eight fields after its PLU, quantity, value.
    const SimRecord* item = memory.Find(SimTable::Items, Number(record[0]).value_or(0));
    std::vector<std::string> fields{record[0]};
    for (std::size_t i = 1; i <= 8; ++i) fields.push_back(item ? (*item)[i] : std::string());
    fields.push_back(record[1]);
    fields.push_back(record[2]);
    return JoinRecord(command, fields);
  }
  return JoinRecord(command, record);
}

std::string Download(const TRegisterMemory& memory, const std::vector<std::string>& f, const TCommandRules& rules) {
  const std::string end{'\n', rules.EndReply};
  const auto n = f.size() >= 2 ? Number(f[1]) : std::nullopt;
  if (!n) return end;
  if (f[0] == "R0") {
    const SimRecord* item = memory.Nth(SimTable::Items, *n);
    return item ? StandardItemReply(memory, *n, *item) : end;
  }
  for (const auto& d : Downloads) {
    if (f[0] != d.command) continue;
    const SimRecord* record = rules.Variant == SimVariant::Standard ? memory.Nth(d.table, *n)
                                                                    : memory.AtOrAfter(d.table, *n);
    return record ? RecordReply(memory, d.command, d.table, *record) : end;
  }
  return std::string(RefusalPayload);
}

}  // namespace

std::string AnswerCommand(TRegisterMemory& memory, std::string_view text, const TCommandRules& rules) {
  const std::vector<std::string> f = SplitFields(text);
  if (f.empty()) return std::string(RefusalPayload);
  if (f[0] == "C0") {
    if (f.size() < 2 || IsRefused(rules, f[1])) return std::string(RefusalPayload);
    const std::int32_t plu = Number(f[1]).value_or(0);
    if (Listed(rules.RefusedRecords, plu)) return std::string(RefusalPayload);
    memory.Erase(SimTable::Items, plu);
    return Listed(rules.UnansweredRecords, plu) ? std::string() : std::string(AckPayload);
  }
  if (!f[0].empty() && f[0][0] == 'W') return Upload(memory, f, rules);
  return Download(memory, f, rules);
}

bool IsDownloadRequest(std::string_view text) {
  return !text.empty() && text[0] != 'W' && !text.starts_with("C0");
}

}  // namespace vestok
