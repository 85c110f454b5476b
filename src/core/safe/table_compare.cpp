#include "safe/table_compare.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <unordered_map>

#include "safe/upload_checks.h"
#include "text/number_text.h"

namespace vestok {
namespace {

std::string Upper(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
  return out;
}

// The Standard item record carries the barcode in two parts, which its
// download joins again with a "0" before a short one ("12345" comes back as
// "012345", an empty one as "00"): under "Standard" leading zeros do not count.
std::string_view StandardBarcode(std::string_view barcode) {
  const std::size_t first = barcode.find_first_not_of('0');
  return first == std::string_view::npos ? std::string_view() : barcode.substr(first);
}

class Normalizer {
 public:
  Normalizer(JobKind kind, const DocumentTable& table) : standard_(kind >= kStandardJobKinds) {
    if (table.Kind() == tkItems) {
      name_ = table.FieldIndex("ItemName");
      price_ = table.FieldIndex("Price");
      barcode_ = table.FieldIndex("Barcode");
    }
  }

  std::string Value(const DocumentTable& t, std::size_t row, int field) const {
    if (field == price_) {
      // "#.00": what the register keeps of a price; no value reads as 0.
      const double v = t.FloatAt(row, field).value_or(0.0);
      return IntToText(std::llround(v * 100.0));
    }
    const FieldDef& def = t.Fields()[std::size_t(field)];
    if (def.type != FieldType::Text) return t.TextAt(row, field);
    std::string_view text = t.TextViewAt(row, field);
    if (field == name_) text = text.substr(0, kItemNameSent);
    if (field == barcode_ && standard_) text = StandardBarcode(text);
    return Upper(text);
  }

 private:
  bool standard_;
  int name_ = -1, price_ = -1, barcode_ = -1;
};

}  // namespace

std::vector<std::size_t> TableComparison::RowsToSend() const {
  std::vector<std::size_t> rows = Added;
  for (const ChangedRow& c : Changed) rows.push_back(c.Row);
  std::sort(rows.begin(), rows.end());
  return rows;
}

TableComparison CompareTables(JobKind kind, const DocumentTable& table, const DocumentTable& reference,
                              ReferenceForm form) {
  TableComparison out;
  const Normalizer norm(kind, table);
  const int key = KeyField(table.Kind());
  std::vector<int> compared;
  for (int f = 0; f < table.FieldCount(); ++f)
    if (table.Fields()[std::size_t(f)].Shown()) compared.push_back(f);

  (void)form;  // both forms compare alike once normalized
  auto compareRow = [&](std::size_t row, std::size_t refRow) {
    ChangedRow c{row, refRow, {}};
    for (int f : compared)
      if (norm.Value(table, row, f) != norm.Value(reference, refRow, f)) c.Fields.push_back(f);
    if (!c.Fields.empty()) out.Changed.push_back(std::move(c));
  };

  if (key < 0) {
    const std::size_t n = std::min(table.RecordCount(), reference.RecordCount());
    for (std::size_t row = 0; row < n; ++row) compareRow(row, row);
    for (std::size_t row = n; row < table.RecordCount(); ++row) out.Added.push_back(row);
    for (std::size_t row = n; row < reference.RecordCount(); ++row) out.Missing.push_back(row);
    return out;
  }

  std::unordered_map<std::int32_t, std::size_t> refRows;
  for (std::size_t r = 0; r < reference.RecordCount(); ++r)
    if (const auto k = reference.IntegerAt(r, key)) refRows.emplace(*k, r);
  std::vector<bool> matched(reference.RecordCount(), false);
  for (std::size_t row = 0; row < table.RecordCount(); ++row) {
    const auto k = table.IntegerAt(row, key);
    if (!k) {
      out.Keyless.push_back(row);
      continue;
    }
    const auto it = refRows.find(*k);
    if (it == refRows.end() || matched[it->second]) {
      out.Added.push_back(row);
      continue;
    }
    matched[it->second] = true;
    compareRow(row, it->second);
  }
  for (std::size_t r = 0; r < reference.RecordCount(); ++r)
    if (!matched[r]) out.Missing.push_back(r);
  return out;
}

}  // namespace vestok

namespace vestok {

void ApplyRowsToCopy(DocumentTable& copy, const DocumentTable& table, const std::vector<std::size_t>& rows) {
  const int key = KeyField(table.Kind());
  for (std::size_t row : rows) {
    if (row >= table.RecordCount()) continue;
    std::size_t target = DocumentTable::npos;
    if (key < 0) {
      if (row < copy.RecordCount()) target = row;
    } else if (const auto k = table.IntegerAt(row, key)) {
      for (std::size_t r = 0; r < copy.RecordCount() && target == DocumentTable::npos; ++r)
        if (copy.IntegerAt(r, key) == k) target = r;
    }
    if (target == DocumentTable::npos) {
      copy.Append();
      copy.Post();
      target = copy.RecordCount() - 1;
    }
    for (int f = 0; f < table.FieldCount() && f < copy.FieldCount(); ++f) {
      if (table.IsNullAt(row, f))
        copy.SetNullAt(target, f);
      else
        copy.SetTextAt(target, f, table.TextAt(row, f));
    }
  }
}

}  // namespace vestok
