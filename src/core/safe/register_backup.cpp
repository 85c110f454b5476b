#include "safe/register_backup.h"

#include <filesystem>
#include <fstream>

#include "tables/table_file.h"
#include "text/local_time.h"
#include "text/number_text.h"

namespace vestok {
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kFileNames[kTableCount] = {
    "items.csv",     "item-sales.csv",     "group-sales.csv", "stand-sales.csv", "operators.csv",
    "pay-types.csv", "discounts.csv",      "receipt-format.csv", "header.csv",   "settings.csv",
};

std::string Stem(TableKind kind) {
  std::string_view name = BackupFileName(kind);
  return std::string(name.substr(0, name.size() - 4));
}

}  // namespace

std::string_view BackupFileName(TableKind kind) { return kind < kTableCount ? kFileNames[kind] : std::string_view(); }

std::string NowText(std::time_t when) { return LocalTimeText(when, "%Y-%m-%d %H:%M:%S"); }

std::string RegisterInfoText(const RegisterInfo& info) {
  std::string out;
  auto line = [&](std::string_view key, std::string_view value) {
    out.append(key).append("=").append(value).append("\n");
  };
  line("fiscal", info.FiscalNumber);
  line("logical", IntToText(info.LogicNo));
  line("variant", info.Variant == 0 ? "A" : "S");
  line("port", info.Port);
  line("date", info.DateTime);
  for (TableKind k = 0; k < kTableCount; ++k) {
    if (info.Records[k] < 0) continue;
    line("records." + Stem(k), IntToText(info.Records[k]));
    line("errors." + Stem(k), IntToText(std::max<std::int64_t>(0, info.Errors[k])));
  }
  return out;
}

bool WriteRegisterInfo(const std::string& folder, const RegisterInfo& info) {
  const std::string path = folder + "/" + std::string(kRegisterInfoFile);
  const std::string tmp = path + ".tmp";
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    out << RegisterInfoText(info);
    if (!out.flush()) return false;
  }
  std::error_code ec;
  fs::rename(tmp, path, ec);
  return !ec;
}

std::size_t RestorePlan::Records() const {
  std::size_t n = 0;
  for (const auto& t : Tables) n += t->RecordCount();
  return n;
}

}  // namespace vestok
