#include "ui/close_guard.h"

#include <QString>
#include <cstring>

#include "ui/dialogs.h"

namespace vestok {

namespace {

struct TFnv {
  std::uint64_t hash = 1469598103934665603ull;
  void Add(const void* data, std::size_t size) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) hash = (hash ^ bytes[i]) * 1099511628211ull;
  }
  template <class T>
  void AddValue(T value) {
    Add(&value, sizeof value);
  }
};

}  // namespace

std::uint64_t TableFingerprint(const DocumentTable& table) {
  TFnv fnv;
  if (!table.IsOpen()) return fnv.hash;
  const std::size_t rows = table.RecordCount();  // a row being appended is not stored
  fnv.AddValue(rows);
  const auto& fields = table.Fields();
  for (std::size_t row = 0; row < rows; ++row) {
    for (int f = 0; f < int(fields.size()); ++f) {
      const bool null = table.IsNullAt(row, f);
      fnv.AddValue(null);
      if (null) continue;
      switch (fields[std::size_t(f)].type) {
        case FieldType::Integer:
          fnv.AddValue(table.IntegerAt(row, f).value_or(0));
          break;
        case FieldType::Float: {
          const double value = table.FloatAt(row, f).value_or(0.0);
          std::uint64_t bits = 0;
          std::memcpy(&bits, &value, sizeof bits);
          fnv.AddValue(bits);
          break;
        }
        case FieldType::Text: {
          const std::string_view text = table.TextViewAt(row, f);
          fnv.AddValue(text.size());
          fnv.Add(text.data(), text.size());
          break;
        }
      }
    }
  }
  return fnv.hash;
}

void TUnsavedChanges::MarkSaved(TableKind kind, const DocumentTable& table) {
  if (kind >= kTableCount) return;
  saved_[kind] = TableFingerprint(table);
  known_[kind] = true;
}

bool TUnsavedChanges::Unsaved(TableKind kind, const DocumentTable& table) const {
  if (kind >= kTableCount) return false;
  if (!known_[kind]) return table.IsOpen() && table.RecordCount() > 0;
  return TableFingerprint(table) != saved_[kind];
}

bool TUnsavedChanges::ConfirmLeave(IDialogs& dialogs, QWidget* parent) {
  const QString question =
      QStringLiteral("Exista tabele cu modificari nesalvate.\nIesiti din program fara sa le salvati?");
  return dialogs.Message(parent, TMessageKind::Warning, question, TMessageButtons::YesNoDefaultNo) == TMessageAnswer::Yes;
}

}  // namespace vestok
