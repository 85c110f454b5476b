#pragma once
// Which of the window's tables hold changes not saved since their last New,
// Open or Save (edits, deletes, downloads), and the one question asked before
// the window closes over them. A table counts as changed when its records
// differ from what they were at that moment.
#include <array>
#include <cstdint>

#include "tables/document_table.h"
#include "tables/table_defs.h"

class QWidget;

namespace vestok {

class IDialogs;

// A fingerprint of a table's stored records, values and order.
std::uint64_t TableFingerprint(const DocumentTable& table);

class TUnsavedChanges {
 public:
  // The tables as they are now (empty at the window's first show) count as saved.
  void MarkSaved(TableKind kind, const DocumentTable& table);
  bool Unsaved(TableKind kind, const DocumentTable& table) const;

  template <class Tables>
  bool AnyUnsaved(const Tables& tables) const {
    for (TableKind kind = 0; kind < kTableCount; ++kind)
      if (tables[kind] != nullptr && Unsaved(kind, *tables[kind])) return true;
    return false;
  }

  // The question before leaving; true when the user chose to leave anyway.
  static bool ConfirmLeave(IDialogs& dialogs, QWidget* parent);

 private:
  std::array<std::uint64_t, kTableCount> saved_{};
  std::array<bool, kTableCount> known_{};
};

}  // namespace vestok
