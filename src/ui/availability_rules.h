#pragma once
// Which of the nine rule-driven actions are enabled for the page shown and the
// protocol variant chosen in the toolbar.
#include "tables/table_defs.h"

namespace vestok {

enum class TRuleAction : int {
  ImportAll,
  ImportSel,
  ExportAll,
  ExportSel,
  DeleteAll,
  DeleteSel,
  FileNew,
  FileOpen,
  FileSave,
};
inline constexpr int kRuleActionCount = 9;

// tableKind 0..9 names the page shown; variant 0 is "Seria A", 1 "Standard".
// A page that is none of the ten (255) enables nothing.
bool RuleEnabled(TableKind tableKind, int variant, TRuleAction action);

}  // namespace vestok
