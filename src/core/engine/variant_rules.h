#pragma once
// What each protocol variant offers, in one place: which transfer actions a
// table's page enables under "Seria A" (0) and "Standard" (1), and from that
// which tables a backup downloads and a restore uploads, and the JobKind of a
// transfer. The window's rule table, the command line and the backup all ask
// here.
#include <vector>

#include "jobs/record_layouts.h"
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

// The JobKind of a transfer of `kind` under `variant`. The selective
// transfers exist under "Seria A" only, where the TableKind alone is the JobKind.
JobKind JobKindOf(int variant, TableKind kind);

// The tables whose records a variant downloads (the "all" download is
// offered), and uploads, in TableKind order.
std::vector<TableKind> DownloadableTables(int variant);
std::vector<TableKind> UploadableTables(int variant);

}  // namespace vestok
