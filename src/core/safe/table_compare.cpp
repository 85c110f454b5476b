#include "safe/table_compare.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <optional>
#include <unordered_map>
#include <unordered_set>

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
  // The copy's first record of each number.
  std::unordered_map<std::int32_t, std::size_t> byKey;
  if (key >= 0)
    for (std::size_t r = 0; r < copy.RecordCount(); ++r)
      if (const auto k = copy.IntegerAt(r, key)) byKey.emplace(*k, r);
  for (std::size_t row : rows) {
    if (row >= table.RecordCount()) continue;
    std::size_t target = DocumentTable::npos;
    std::optional<std::int32_t> k;
    if (key < 0) {
      if (row < copy.RecordCount()) target = row;
    } else if ((k = table.IntegerAt(row, key))) {
      if (const auto it = byKey.find(*k); it != byKey.end()) target = it->second;
    }
    if (target == DocumentTable::npos) {
      copy.Append();
      copy.Post();
      target = copy.RecordCount() - 1;
      if (k) byKey.emplace(*k, target);
    }
    for (int f = 0; f < table.FieldCount() && f < copy.FieldCount(); ++f) {
      if (table.IsNullAt(row, f))
        copy.SetNullAt(target, f);
      else
        copy.SetTextAt(target, f, table.TextAt(row, f));
    }
  }
}

void RemoveRecordsFromCopy(DocumentTable& copy, const std::vector<std::int32_t>& numbers) {
  if (numbers.empty()) return;
  const int key = KeyField(copy.Kind());
  const std::unordered_set<std::int32_t> wanted(numbers.begin(), numbers.end());
  std::vector<std::size_t> doomed;
  for (std::size_t r = 0; r < copy.RecordCount(); ++r) {
    bool hit = false;
    if (key < 0) {
      hit = r == 0 && wanted.count(1) > 0;
    } else if (const auto k = copy.IntegerAt(r, key)) {
      hit = wanted.count(*k) > 0;
    }
    if (hit) doomed.push_back(r);
  }
  for (auto it = doomed.rbegin(); it != doomed.rend(); ++it) {
    copy.MoveTo(*it);
    copy.Delete();
  }
}

void ApplyUploadToCopy(DocumentTable& copy, const DocumentTable& table, const std::vector<std::size_t>& acknowledged,
                       const std::vector<std::size_t>& unknown) {
  std::vector<std::int32_t> lost;
  const int key = KeyField(table.Kind());
  std::size_t firstLostPosition = DocumentTable::npos;
  for (std::size_t row : unknown) {
    if (row >= table.RecordCount()) continue;
    if (key < 0)
      firstLostPosition = std::min(firstLostPosition, row);
    else if (const auto k = table.IntegerAt(row, key))
      lost.push_back(*k);
  }
  ApplyRowsToCopy(copy, table, acknowledged);
  RemoveRecordsFromCopy(copy, lost);
  // Matched by position: from the first unknown one on, the copy says nothing.
  while (firstLostPosition != DocumentTable::npos && copy.RecordCount() > firstLostPosition) {
    copy.MoveTo(copy.RecordCount() - 1);
    copy.Delete();
  }
}

void ApplyUploadToCopyByBookmarks(DocumentTable& copy, const DocumentTable& table,
                                  const std::vector<Bookmark>& acknowledged, const std::vector<Bookmark>& unknown) {
  auto rows = [&](const std::vector<Bookmark>& marks) {
    std::vector<std::size_t> out;
    for (Bookmark b : marks)
      if (const std::size_t row = table.RowOfBookmark(b); row != DocumentTable::npos) out.push_back(row);
    return out;
  };
  ApplyUploadToCopy(copy, table, rows(acknowledged), rows(unknown));
}

}  // namespace vestok
