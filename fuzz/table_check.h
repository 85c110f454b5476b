#pragma once
// The check both fuzz targets end with: what a table holds saves, and the
// saved file loads back to the same records (floats as the file writes them)
// and saves to the very same bytes.
#include <cstdlib>
#include <string>

#include "tables/document_table.h"
#include "tables/float_text.h"
#include "tables/table_file.h"

namespace vestok {

inline void CheckSaveThenLoad(DocumentTable& table, TableKind kind) {
  const std::string saved = TableFileBytes(table);
  DocumentTable again(TableDefinition(kind));
  again.Open();
  LoadTableFromBytes(again, saved);
  if (again.RecordCount() != table.RecordCount() || TableFileBytes(again) != saved) std::abort();
  for (std::size_t row = 0; row < table.RowCount(); ++row) {
    for (int f = 0; f < table.FieldCount(); ++f) {
      if (table.IsNullAt(row, f) != again.IsNullAt(row, f)) std::abort();
      if (table.IsNullAt(row, f)) continue;
      switch (table.Fields()[std::size_t(f)].type) {
        case FieldType::Integer:
          if (table.IntegerAt(row, f) != again.IntegerAt(row, f)) std::abort();
          break;
        case FieldType::Float:
          if (FloatToStoredText(*table.FloatAt(row, f)) != FloatToStoredText(*again.FloatAt(row, f))) std::abort();
          break;
        case FieldType::Text:
          if (table.TextViewAt(row, f) != again.TextViewAt(row, f)) std::abort();
          break;
      }
    }
  }
}

}  // namespace vestok
