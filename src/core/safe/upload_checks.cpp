#include "safe/upload_checks.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

#include "tables/price_type.h"
#include "text/number_text.h"
#include "text/utf8.h"

namespace vestok {
namespace {

// Bytes the link cannot carry inside a text: ";" separates the record's
// fields, CR and LF belong to the frame, 0x06, 0x11 and 0x13 are control
// characters of the line.
struct Forbidden {
  char byte;
  std::string_view shown;
};
constexpr Forbidden kForbidden[] = {{';', ";"},      {'\r', "CR"},     {'\n', "LF"},
                                    {'\x06', "0x06"}, {'\x11', "0x11"}, {'\x13', "0x13"}};

// Whole-number part digits the text form of a float keeps before it turns to
// the exponent form, which no record layout reads.
constexpr double kFloatLimit = 1e15;

std::string FieldLabel(const DocumentTable& table, int field) {
  if (field < 0) return {};
  const FieldDef& def = table.Fields()[std::size_t(field)];
  return std::string(def.Shown() ? def.title : def.name);
}

}  // namespace

int KeyField(TableKind kind) {
  switch (kind) {
    case tkItems:
    case tkOperators:
    case tkPayType:
    case tkDisc:
    case tkHeadFoot:
      return 0;
    default:
      return -1;
  }
}

std::vector<CheckFinding> CheckUploadRows(JobKind kind, const DocumentTable& table,
                                          const std::vector<std::size_t>* rows) {
  std::vector<std::size_t> all;
  if (rows == nullptr) {
    all.resize(table.RecordCount());
    for (std::size_t i = 0; i < all.size(); ++i) all[i] = i;
    rows = &all;
  }
  const TableKind tk = table.Kind();
  const int key = KeyField(tk);
  const int nameField = tk == tkItems ? table.FieldIndex("ItemName") : -1;
  const int priceTypeField = tk == tkItems ? table.FieldIndex("PriceType") : -1;
  (void)kind;

  // Texts that came in with characters the code page lacks, by field and
  // text: a cell still holding one was never mended.
  std::unordered_map<std::string, const DocumentTable::CodePageLoss*> losses;
  for (const DocumentTable::CodePageLoss& loss : table.CodePageLosses())
    losses.emplace(std::to_string(loss.Field) + ':' + loss.Stored, &loss);

  std::vector<CheckFinding> out;
  std::unordered_map<std::int32_t, std::size_t> firstOfKey;
  auto add = [&](std::size_t row, int field, FindingLevel level, std::string reason) {
    out.push_back({row, field, level, std::move(reason)});
  };
  for (std::size_t row : *rows) {
    if (row >= table.RecordCount()) continue;
    for (int f = 0; f < table.FieldCount(); ++f) {
      const FieldDef& def = table.Fields()[std::size_t(f)];
      if (def.type == FieldType::Text) {
        std::string_view text = table.TextViewAt(row, f);
        if (!losses.empty() && text.find('?') != std::string_view::npos) {
          const auto it = losses.find(std::to_string(f) + ':' + std::string(text));
          if (it != losses.end()) {
            std::string shown;
            for (const char32_t ch : it->second->Missing) {
              if (!shown.empty()) shown += ", ";
              shown += CodePointName(ch);
            }
            add(row, f, FindingLevel::Error,
                "textul avea caractere pe care Windows-1250 nu le are (" + shown + "), trecute ca ?");
          }
        }
        if (f == nameField) {
          if (text.size() > kItemNameSent)
            add(row, f, FindingLevel::Warning,
                "denumirea are " + IntToText(std::int32_t(text.size())) +
                    " caractere; casa pastreaza doar primele 20");
          text = text.substr(0, kItemNameSent);  // only this much goes out
        }
        for (const Forbidden& bad : kForbidden)
          if (text.find(bad.byte) != std::string_view::npos)
            add(row, f, FindingLevel::Error,
                "textul contine caracterul " + std::string(bad.shown) + ", care nu poate fi trimis");
      } else if (def.type == FieldType::Float) {
        const std::optional<double> v = table.FloatAt(row, f);
        if (v && !(std::fabs(*v) < kFloatLimit))
          add(row, f, FindingLevel::Error, "numarul nu incape in campul casei");
      }
    }
    if (priceTypeField >= 0) {
      const std::optional<std::int32_t> pt = table.IntegerAt(row, priceTypeField);
      if (pt && (*pt < 0 || *pt >= std::int32_t(kPriceTypeTexts.size())))
        add(row, priceTypeField, FindingLevel::Error, "tipul de pret trebuie sa fie Fix, Liber sau Liber max");
    }
    if (key >= 0) {
      const std::optional<std::int32_t> k = table.IntegerAt(row, key);
      if (!k) {
        add(row, key, FindingLevel::Error, "campul cheie este gol");
      } else {
        const auto [it, fresh] = firstOfKey.emplace(*k, row);
        if (!fresh)
          add(row, key, FindingLevel::Error,
              "valoarea " + IntToText(*k) + " se repeta (ca la randul " + IntToText(std::int32_t(it->second + 1)) +
                  ")");
      }
    }
  }
  return out;
}

bool HasErrors(const std::vector<CheckFinding>& findings) {
  return std::any_of(findings.begin(), findings.end(),
                     [](const CheckFinding& f) { return f.Level == FindingLevel::Error; });
}

std::vector<std::size_t> RowsWithErrors(const std::vector<CheckFinding>& findings) {
  std::vector<std::size_t> rows;
  for (const CheckFinding& f : findings)
    if (f.Level == FindingLevel::Error) rows.push_back(f.Row);
  std::sort(rows.begin(), rows.end());
  rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
  return rows;
}

std::vector<std::size_t> RowsWithoutErrors(const DocumentTable& table, const std::vector<CheckFinding>& findings,
                                           const std::vector<std::size_t>* rows) {
  const std::vector<std::size_t> bad = RowsWithErrors(findings);
  std::vector<std::size_t> out;
  auto keep = [&](std::size_t row) {
    if (!std::binary_search(bad.begin(), bad.end(), row)) out.push_back(row);
  };
  if (rows != nullptr)
    for (std::size_t row : *rows) keep(row);
  else
    for (std::size_t row = 0; row < table.RecordCount(); ++row) keep(row);
  return out;
}

std::string FindingLine(const DocumentTable& table, const CheckFinding& finding) {
  std::string line = finding.Level == FindingLevel::Error ? "Eroare rand " : "Avertisment rand ";
  line += IntToText(std::int32_t(finding.Row + 1));
  if (finding.Field >= 0) {
    line += ", ";
    line += FieldLabel(table, finding.Field);
  }
  line += ": ";
  line += finding.Reason;
  return line;
}

}  // namespace vestok
