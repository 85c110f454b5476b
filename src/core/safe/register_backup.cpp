#include "safe/register_backup.h"

#include <filesystem>
#include <fstream>
#include <sstream>

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

std::optional<RegisterInfo> ParseRegisterInfo(std::string_view text) {
  RegisterInfo info;
  bool fiscal = false;
  std::istringstream in{std::string(text)};
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string key = line.substr(0, eq);
    const std::string value = line.substr(eq + 1);
    auto number = [&]() -> std::int64_t { return ParseInt32(value).value_or(-1); };
    if (key == "fiscal") {
      info.FiscalNumber = value;
      fiscal = true;
    } else if (key == "logical") {
      info.LogicNo = int(number());
    } else if (key == "variant") {
      info.Variant = value == "S" ? 1 : 0;
    } else if (key == "port") {
      info.Port = value;
    } else if (key == "date") {
      info.DateTime = value;
    } else {
      for (TableKind k = 0; k < kTableCount; ++k) {
        if (key == "records." + Stem(k)) info.Records[k] = number();
        if (key == "errors." + Stem(k)) info.Errors[k] = number();
      }
    }
  }
  if (!fiscal) return std::nullopt;
  return info;
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

std::optional<RegisterInfo> ReadRegisterInfo(const std::string& folder) {
  std::ifstream in(folder + "/" + std::string(kRegisterInfoFile), std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  return ParseRegisterInfo(text.str());
}

std::size_t RestorePlan::Records() const {
  std::size_t n = 0;
  for (const auto& t : Tables) n += t->RecordCount();
  return n;
}

RestorePlan PlanRestore(const std::string& folder, int variant) {
  RestorePlan plan;
  plan.Info = ReadRegisterInfo(folder);
  for (TableKind k : UploadableTables(variant)) {
    const std::string path = folder + "/" + std::string(BackupFileName(k));
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) continue;
    auto table = std::make_unique<DocumentTable>(TableDefinition(k));
    table->Open();
    try {
      LoadTableFile(*table, path);
    } catch (...) {
      plan.Unreadable.emplace_back(BackupFileName(k));
      continue;
    }
    plan.Tables.push_back(std::move(table));
  }
  return plan;
}

}  // namespace vestok
