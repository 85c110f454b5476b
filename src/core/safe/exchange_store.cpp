#include "safe/exchange_store.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "files/app_paths.h"
#include "safe/register_backup.h"
#include "tables/table_file.h"
#include "text/local_time.h"
#include "text/number_text.h"

namespace vestok {
namespace fs = std::filesystem;

std::string UserDataFolder() { return ExchangeCopiesFolder(); }

TExchangeStore::TExchangeStore(std::string root) : root_(std::move(root)) {}

std::string TExchangeStore::RegisterFolder(const RegisterId& id) const {
  std::string name;
  for (char c : id.FiscalNumber) {
    const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
                       c == '_';
    name += plain ? c : '_';
  }
  if (name.empty()) name = "_";
  return root_ + "/" + name + "-" + IntToText(id.LogicNo);
}

std::string TExchangeStore::TablePath(const RegisterId& id, TableKind kind) const {
  return RegisterFolder(id) + "/" + std::string(BackupFileName(kind));
}

bool TExchangeStore::Keep(const RegisterId& id, DocumentTable& table, std::time_t when) {
  if (root_.empty() || table.Kind() >= kTableCount) return false;
  try {
    std::error_code ec;
    fs::create_directories(RegisterFolder(id), ec);
    const std::string path = TablePath(id, table.Kind());
    SaveTableFile(table, path);
    // The time beside it, written after the table: a copy whose time is
    // missing counts as no copy.
    const std::string stamp = path + ".time";
    const std::string tmp = stamp + ".tmp";
    {
      std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
      out << IntToText(std::int64_t(when)) << '\n';
      if (!out.flush()) return false;
    }
    fs::rename(tmp, stamp, ec);
    return !ec;
  } catch (...) {
    return false;
  }
}

std::optional<std::time_t> TExchangeStore::When(const RegisterId& id, TableKind kind) const {
  if (root_.empty() || kind >= kTableCount) return std::nullopt;
  std::ifstream in(TablePath(id, kind) + ".time", std::ios::binary);
  std::string text;
  if (!in || !std::getline(in, text)) return std::nullopt;
  std::int64_t value = 0;
  try {
    std::size_t used = 0;
    value = std::stoll(text, &used);
    if (used != text.size()) return std::nullopt;
  } catch (...) {
    return std::nullopt;
  }
  return std::time_t(value);
}

std::optional<std::time_t> TExchangeStore::Load(const RegisterId& id, TableKind kind, DocumentTable& into) const {
  const std::optional<std::time_t> when = When(id, kind);
  if (!when) return std::nullopt;
  into.Open();
  try {
    LoadTableFile(into, TablePath(id, kind));
  } catch (...) {
    into.Open();
    return std::nullopt;
  }
  return when;
}

std::string StoreTimeText(std::time_t when) { return LocalTimeText(when, "%d.%m.%Y %H:%M"); }

std::string CopyAgeText(std::time_t when, std::time_t now) {
  const std::int64_t seconds = std::int64_t(now) - std::int64_t(when);
  std::string age;
  if (seconds < 3600)
    age = IntToText(std::max<std::int64_t>(0, seconds / 60)) + " minute";
  else if (seconds < 86400)
    age = IntToText(seconds / 3600) + " ore";
  else
    age = IntToText(seconds / 86400) + " zile";
  return "Copia ultimului schimb cu casa este din " + StoreTimeText(when) + " (acum " + age +
         "). Casa poate sa fi fost programata manual intre timp.";
}

}  // namespace vestok
