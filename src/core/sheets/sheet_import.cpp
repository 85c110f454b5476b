#include "sheets/sheet_import.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <limits>

#include "safe/exchange_store.h"
#include "tables/float_text.h"
#include "text/cp1250.h"
#include "text/number_text.h"
#include "text/utf8.h"

namespace vestok {
namespace {

// The letter without its mark, for the Windows-1250 letters that have one.
char BaseLetter(unsigned char b) {
  static constexpr std::string_view kFrom =
      "\x8A\x8C\x8D\x8E\x8F\x9A\x9C\x9D\x9E\x9F\xA3\xA5\xAA\xAF\xB3\xB9\xBA\xBC\xBE\xBF\xC0\xC1\xC2\xC3"
      "\xC4\xC5\xC6\xC7\xC8\xC9\xCA\xCB\xCC\xCD\xCE\xCF\xD0\xD1\xD2\xD3\xD4\xD5\xD6\xD8\xD9\xDA\xDB\xDC"
      "\xDD\xDE\xE0\xE1\xE2\xE3\xE4\xE5\xE6\xE7\xE8\xE9\xEA\xEB\xEC\xED\xEE\xEF\xF0\xF1\xF2\xF3\xF4\xF5"
      "\xF6\xF8\xF9\xFA\xFB\xFC\xFD\xFE";
  static constexpr std::string_view kTo = "sstzzsstzzlaszlasllzraaaalccceeeeiiddnnooooruuuuytraaaalccceeeeiiddnnooooruuuuyt";
  static_assert(kFrom.size() == kTo.size());
  const std::size_t i = kFrom.find(char(b));
  return i < kTo.size() ? kTo[i] : '\0';
}

// A title as it is compared: lower-case ASCII letters and digits only.
std::string Key(std::string_view utf8) {
  std::string out;
  for (const char c : Utf8ToCp1250(utf8)) {
    const auto b = static_cast<unsigned char>(c);
    if (b >= 'A' && b <= 'Z') out += char(b - 'A' + 'a');
    else if ((b >= 'a' && b <= 'z') || (b >= '0' && b <= '9')) out += char(b);
    else if (b >= 0x80)
      if (const char base = BaseLetter(b)) out += base;
  }
  return out;
}

// The usual words of an item list, by field name.
struct Synonyms {
  TableKind Kind;
  std::string_view Field;
  std::initializer_list<std::string_view> Words;
};
const Synonyms kSynonyms[] = {
    {tkItems, "PLUCode", {"cod", "plu", "codarticol", "nrplu", "numarplu"}},
    {tkItems, "ItemName", {"denumire", "nume", "articol", "produs", "descriere", "numearticol"}},
    {tkItems, "VAT", {"tva", "cotatva", "grupatva", "grupatva"}},
    {tkItems, "Barcode", {"codbare", "codbara", "ean", "codean", "ean13"}},
    {tkItems, "Price", {"pret", "pretunitar", "pretvanzare", "pretcutva"}},
    {tkItems, "PriceType", {"tippret"}},
    {tkItems, "Stand", {"stand", "departament", "dept", "raion"}},
    {tkItems, "Group", {"grup", "grupa", "grupaarticole", "grupaarticol"}},
    {tkItemSales, "PLUCode", {"cod", "plu"}},
    {tkItemSales, "Qty", {"cantitate"}},
    {tkItemSales, "Value", {"valoare"}},
    {tkGroupSales, "GroupNo", {"grup", "grupa"}},
    {tkGroupSales, "Value", {"valoare"}},
    {tkStandSales, "StandNo", {"stand", "departament"}},
    {tkStandSales, "Value", {"valoare"}},
    {tkOperators, "OpNumber", {"nr", "cod"}},
    {tkOperators, "Name", {"nume", "operator"}},
    {tkOperators, "Passw", {"parola"}},
};

int FieldOfKey(const DocumentTable& table, const std::string& key) {
  if (key.empty()) return -1;
  for (int f = 0; f < table.FieldCount(); ++f) {
    const FieldDef& def = table.Fields()[std::size_t(f)];
    if (Key(def.name) == key || (def.Shown() && Key(Cp1250ToUtf8(def.title)) == key)) return f;
  }
  for (const Synonyms& s : kSynonyms)
    if (s.Kind == table.Kind())
      for (std::string_view w : s.Words)
        if (w == key) return table.FieldIndex(s.Field);
  return -1;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

std::string Shown(std::string_view utf8) {
  // The problem lines are Windows-1250 text, as every line of the window.
  std::string t = Utf8ToCp1250(utf8.substr(0, 40));
  return "\"" + t + (utf8.size() > 40 ? "...\"" : "\"");
}

// A number as a text field keeps it: whole numbers without a point.
std::string NumberText(double v) {
  if (std::floor(v) == v && std::fabs(v) < 1e15) return IntToText(std::int64_t(v));
  return FloatToText(v);
}

}  // namespace

std::vector<std::string> ColumnTitles(const SheetGrid& grid) {
  std::vector<std::string> out;
  if (grid.Rows.empty()) return out;
  for (const SheetCell& c : grid.Rows[0])
    out.push_back(c.Type == SheetCell::Kind::Text ? c.Text : c.Type == SheetCell::Kind::Number ? NumberText(c.Number) : "");
  return out;
}

std::vector<int> MatchColumns(const DocumentTable& table, const std::vector<std::string>& titles,
                              const RememberedColumns& remembered) {
  std::vector<int> out(titles.size(), -1);
  std::vector<bool> taken(std::size_t(table.FieldCount()), false);
  std::vector<bool> decided(titles.size(), false);
  auto give = [&](std::size_t column, int field) {
    decided[column] = true;
    if (field < 0 || taken[std::size_t(field)]) return;
    out[column] = field;
    taken[std::size_t(field)] = true;
  };
  for (std::size_t c = 0; c < titles.size(); ++c)
    if (const auto it = remembered.find(titles[c]); it != remembered.end() && !titles[c].empty())
      give(c, it->second.empty() ? -1 : table.FieldIndex(it->second));
  for (std::size_t c = 0; c < titles.size(); ++c)
    if (!decided[c]) give(c, FieldOfKey(table, Key(titles[c])));
  return out;
}

RememberedColumns MappingToRemember(const DocumentTable& table, const std::vector<std::string>& titles,
                                    const std::vector<int>& fields) {
  RememberedColumns out;
  for (std::size_t c = 0; c < titles.size() && c < fields.size(); ++c) {
    if (titles[c].empty()) continue;
    out[titles[c]] = fields[c] < 0 ? std::string() : std::string(table.Fields()[std::size_t(fields[c])].name);
  }
  return out;
}

RememberedColumns ParseMapOption(const DocumentTable& table, std::string_view text) {
  RememberedColumns out;
  while (!text.empty()) {
    const std::size_t comma = text.find(',');
    const std::string_view pair = text.substr(0, comma);
    text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
    if (Trim(pair).empty()) continue;
    const std::size_t eq = pair.rfind('=');
    if (eq == std::string_view::npos) throw SheetError("--map: lipseste \"=\" in \"" + std::string(pair) + "\"");
    const std::string title(Trim(pair.substr(0, eq)));
    const std::string field(Trim(pair.substr(eq + 1)));
    int f = field.empty() ? -1 : table.FieldIndex(field);
    if (f < 0 && !field.empty()) f = FieldOfKey(table, Key(field));
    if (f < 0 && !field.empty())
      throw SheetError("--map: tabelul " + std::string(table.Name()) + " nu are campul \"" + field + "\"");
    out[title] = f < 0 ? std::string() : std::string(table.Fields()[std::size_t(f)].name);
  }
  return out;
}

std::string RememberedColumnsPath() {
  const std::string folder = UserDataFolder();
  return folder.empty() ? std::string() : folder + "/coloane-foi.txt";
}

RememberedColumns LoadRememberedColumns(std::string_view tableName, const std::string& path) {
  RememberedColumns out;
  if (path.empty()) return out;
  std::ifstream in(path, std::ios::binary);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::size_t a = line.find('\t');
    const std::size_t b = a == std::string::npos ? a : line.find('\t', a + 1);
    if (b == std::string::npos || std::string_view(line).substr(0, a) != tableName) continue;
    out[line.substr(a + 1, b - a - 1)] = line.substr(b + 1);
  }
  return out;
}

bool SaveRememberedColumns(std::string_view tableName, const RememberedColumns& columns, const std::string& path) {
  if (path.empty()) return false;
  std::string kept;
  {
    std::ifstream in(path, std::ios::binary);
    for (std::string line; std::getline(in, line);)
      if (std::string_view(line).substr(0, line.find('\t')) != tableName) kept += line + "\n";
  }
  for (const auto& [title, field] : columns) {
    if (title.find_first_of("\t\r\n") != std::string::npos) continue;
    kept += std::string(tableName) + "\t" + title + "\t" + field + "\n";
  }
  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
  const std::string temp = path + ".tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    out << kept;
    out.flush();
    if (!out) return false;
  }
  std::filesystem::rename(temp, path, ec);
  return !ec;
}

std::string ColumnLetters(std::size_t column) {
  std::string out;
  for (std::size_t n = column + 1; n > 0; n = (n - 1) / 26) out.insert(out.begin(), char('A' + (n - 1) % 26));
  return out;
}

std::string ProblemLine(const SheetGrid& grid, const ImportProblem& p) {
  std::string line = "Rand " + IntToText(std::int64_t(p.Row + 1)) + ", coloana " + ColumnLetters(p.Column);
  const std::vector<std::string> titles = ColumnTitles(grid);
  if (p.Column < titles.size() && !titles[p.Column].empty()) line += " (" + Utf8ToCp1250(titles[p.Column]) + ")";
  line += ": " + p.Reason;
  if (p.RowLeftOut) line += "; randul nu a fost preluat";
  return line;
}

ImportResult ImportRows(const SheetGrid& grid, const std::vector<int>& fields, DocumentTable& table) {
  ImportResult result;
  const int priceType = table.Kind() == tkItems ? table.FieldIndex("PriceType") : -1;
  const char decimal = grid.Decimal;
  RecordBuilder builder;
  std::u32string missing;
  table.Post();
  table.SuspendNotifications();
  struct Resume {
    DocumentTable& t;
    ~Resume() { t.ResumeNotifications(); }
  } resume{table};
  struct Loss {
    int Field;
    std::string Stored;
    std::u32string Missing;
  };
  std::vector<Loss> losses;
  for (std::size_t r = 1; r < grid.Rows.size(); ++r) {
    const std::vector<SheetCell>& row = grid.Rows[r];
    builder.Reset(table.FieldCount());
    bool any = false;
    bool bad = false;
    losses.clear();
    const std::size_t firstProblem = result.Problems.size();
    for (std::size_t c = 0; c < row.size() && c < fields.size(); ++c) {
      const int f = fields[c];
      const SheetCell& cell = row[c];
      if (f < 0 || cell.Type == SheetCell::Kind::Empty) continue;
      if (cell.Type == SheetCell::Kind::Text && Trim(cell.Text).empty()) continue;
      any = true;
      const FieldDef& def = table.Fields()[std::size_t(f)];
      auto fail = [&](std::string reason) {
        result.Problems.push_back({r, c, std::move(reason), true});
        bad = true;
      };
      const std::string_view text = Trim(cell.Text);
      switch (def.type) {
        case FieldType::Text: {
          missing.clear();
          std::string stored = Utf8ToCp1250(cell.Type == SheetCell::Kind::Number ? NumberText(cell.Number) : cell.Text, &missing);
          if (stored.size() > std::size_t(def.width)) {
            // The table keeps only so much; a cut barcode or name is said.
            result.Problems.push_back({r, c,
                                       "textul are " + IntToText(std::int64_t(stored.size())) +
                                           " caractere; campul pastreaza primele " + IntToText(def.width),
                                       false});
            stored.resize(std::size_t(def.width));
          }
          if (!missing.empty()) {
            std::string shown;
            for (const char32_t ch : missing) shown += (shown.empty() ? "" : ", ") + CodePointName(ch);
            result.Problems.push_back(
                {r, c, "textul are caractere pe care Windows-1250 nu le are (" + shown + "), trecute ca ?", false});
            losses.push_back({f, stored, missing});
          }
          builder.Set(f, CellValue::Str(stored));
          break;
        }
        case FieldType::Integer: {
          std::optional<std::int32_t> v;
          if (f == priceType && cell.Type == SheetCell::Kind::Text) {
            const std::string key = Key(text);
            if (key == "fix") v = 0;
            else if (key == "liber") v = 1;
            else if (key == "libermax") v = 2;
          }
          double number = cell.Number;
          bool isNumber = cell.Type == SheetCell::Kind::Number;
          if (!v && !isNumber) {
            if (const auto i = ParseInt32(text)) {
              v = i;
            } else if (const auto d = ParseFloatText(text, decimal)) {
              number = *d;
              isNumber = true;
            }
          }
          if (!v && isNumber && std::floor(number) == number && number >= std::numeric_limits<std::int32_t>::min() &&
              number <= std::numeric_limits<std::int32_t>::max())
            v = std::int32_t(number);
          if (!v) {
            fail(isNumber ? "numarul " + NumberText(number) + " nu este un numar intreg al campului"
                          : "valoarea " + Shown(cell.Text) + " nu este un numar intreg");
          } else if (f == priceType && (*v < 0 || *v > 2)) {
            fail("tipul de pret trebuie sa fie Fix, Liber sau Liber max");
          } else {
            builder.Set(f, CellValue::Int(*v));
          }
          break;
        }
        case FieldType::Float: {
          std::optional<double> v;
          if (cell.Type == SheetCell::Kind::Number) v = cell.Number;
          else v = ParseFloatText(text, decimal);
          if (!v || !std::isfinite(*v))
            fail("valoarea " + Shown(cell.Text) + " nu este un numar (separator zecimal \"" + std::string(1, decimal) +
                 "\")");
          else
            builder.Set(f, CellValue::Real(*v));
          break;
        }
      }
    }
    if (!any || bad) {
      // The characters lost in a row that stays out are no finding.
      if (bad)
        std::erase_if(result.Problems, [&, i = std::size_t(0)](const ImportProblem& p) mutable {
          return i++ >= firstProblem && !p.RowLeftOut;
        });
      continue;
    }
    table.AppendBuilt(builder);
    for (Loss& l : losses) table.NoteCodePageLoss(l.Field, std::move(l.Stored), std::move(l.Missing));
    ++result.RowsAdded;
  }
  return result;
}

}  // namespace vestok
