#pragma once
// A whole register in a folder: one table file per table ("items.csv", ...,
// the names the simulator preloads from) and "register.txt", which says whose
// tables they are and how their transfers went. The engine takes and restores
// backups; this is the folder's format.
#include <array>
#include <atomic>
#include <cstdint>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/variant_rules.h"
#include "tables/document_table.h"

namespace vestok {

// "items.csv", "item-sales.csv", ... "settings.csv", by TableKind.
std::string_view BackupFileName(TableKind kind);
inline constexpr std::string_view kRegisterInfoFile = "register.txt";


struct RegisterInfo {
  std::string FiscalNumber;
  int LogicNo = 0;
  int Variant = 0;
  std::string Port;
  std::string DateTime;  // "2026-12-10 04:40:00"
  // Per TableKind; -1 for a table the backup did not take.
  std::array<std::int64_t, kTableCount> Records{};
  std::array<std::int64_t, kTableCount> Errors{};
  RegisterInfo() {
    Records.fill(-1);
    Errors.fill(-1);
  }
};

// "key=value" lines, each ending in LF; CheckBackup (backup_check.h) is their
// only reader.
std::string RegisterInfoText(const RegisterInfo& info);
bool WriteRegisterInfo(const std::string& folder, const RegisterInfo& info);

// The local time as register.txt writes it.
std::string NowText(std::time_t when = std::time(nullptr));

// What a restore sends: the register the backup is of, and its uploadable
// tables read into tables of their own (made by CheckBackup).
struct RestorePlan {
  std::optional<RegisterInfo> Info;
  std::vector<std::unique_ptr<DocumentTable>> Tables;
  std::size_t Records() const;
};

}  // namespace vestok
