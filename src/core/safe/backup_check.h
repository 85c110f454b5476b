#pragma once
// Whether a backup folder may be restored, before anything goes on the wire:
// register.txt readable and whole, with the fiscal number, the logical number
// and the variant; every table it names present as a plain file of the folder
// (a symbolic link is refused wherever it points, a FIFO or device is never
// opened blocking), starting with its table's header line, every line whole
// as the table file writer writes it (its values each followed by "," and the
// line by CR LF), and holding as many records as register.txt says. The
// backup's own variant decides the layouts; another variant asked for is
// refused. Every reason found is given, one line each, naming its file.
#include <optional>
#include <string>
#include <vector>

#include "safe/register_backup.h"

namespace vestok {

struct BackupCheck {
  // Sound: Info, and the tables a restore sends (those register.txt names
  // that the backup's variant uploads), read into tables of their own, in
  // the order they go up. Refused: no tables.
  RestorePlan Plan;
  std::vector<std::string> Reasons;  // empty: the backup is sound
  bool Sound() const { return Reasons.empty(); }
  int Variant() const { return Plan.Info ? Plan.Info->Variant : 0; }
};

// `variantAsked`: the variant the user chose (0 "Seria A", 1 "Standard"), or
// nothing to take the backup's own.
BackupCheck CheckBackup(const std::string& folder, std::optional<int> variantAsked = std::nullopt);

// The name of a variant as the toolbar shows it.
std::string_view VariantName(int variant);

}  // namespace vestok
