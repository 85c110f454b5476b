#include "sim/sim_preload.h"

#include <sys/stat.h>

#include <array>
#include <charconv>
#include <cmath>

#include "tables/document_table.h"
#include "tables/float_text.h"
#include "tables/table_defs.h"
#include "tables/table_file.h"
#include "text/number_text.h"

namespace vestok {

std::string PreloadFileName(SimTable table) { return std::string(SimTableName(table)) + ".csv"; }

std::string PriceText(double value, char decimalSeparator) {
  std::array<char, 64> buf{};
  const double rounded = std::round(value * 100.0) / 100.0;
  const auto r = std::to_chars(buf.data(), buf.data() + buf.size(), rounded == 0 ? 0.0 : rounded,
                               std::chars_format::fixed, 2);
  std::string text(buf.data(), r.ptr);
  const std::size_t lead = text[0] == '-' ? 1 : 0;
  if (text.compare(lead, 2, "0.") == 0) text.erase(lead, 1);
  text[text.size() - 3] = decimalSeparator;
  return text;
}

void PreloadTable(TRegisterMemory& memory, SimTable table, const std::string& path, char decimalSeparator) {
  DocumentTable doc(TableDefinition(static_cast<TableKind>(table)));
  doc.Open();
  LoadTableFile(doc, path);
  const auto& fields = doc.Fields();
  for (std::size_t row = 0; row < doc.RowCount(); ++row) {
    SimRecord record;
    for (int f = 0; f < doc.FieldCount(); ++f) {
      std::string text;
      if (!doc.IsNullAt(row, f)) {
        switch (fields[static_cast<std::size_t>(f)].type) {
          case FieldType::Integer:
            text = IntToText(doc.IntegerAt(row, f).value_or(0));
            break;
          case FieldType::Float: {
            const double v = doc.FloatAt(row, f).value_or(0);
            text = table == SimTable::Items && fields[static_cast<std::size_t>(f)].name == "Price"
                       ? PriceText(v, decimalSeparator)
                       : FloatToText(v, decimalSeparator);
            break;
          }
          case FieldType::Text:
            text = std::string(doc.TextViewAt(row, f));
            break;
        }
      }
      record.push_back(std::move(text));
    }
    memory.Put(table, std::move(record));
  }
}

std::vector<std::string> PreloadFolder(TRegisterMemory& memory, const std::string& folder, char decimalSeparator) {
  std::vector<std::string> read;
  for (int t = 0; t < SimTableCount; ++t) {
    const auto table = static_cast<SimTable>(t);
    const std::string path = folder + "/" + PreloadFileName(table);
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) continue;
    PreloadTable(memory, table, path, decimalSeparator);
    read.push_back(path);
  }
  return read;
}

}  // namespace vestok
