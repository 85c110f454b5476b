#include "safe/exchange_store.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

namespace {

// True when the folder takes a new file and gives it back (so the copy in it
// can be replaced or removed), and each of `files` that exists is a plain file.
bool Changeable(const std::string& folder, std::initializer_list<std::string> files) {
  for (const std::string& f : files) {
    struct stat st {};
    if (::stat(f.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) return false;
  }
  static std::atomic<unsigned> counter{0};
  const std::string probe = folder + "/.probe-" + IntToText(std::int64_t(::getpid())) + "-" +
                            IntToText(std::int64_t(counter.fetch_add(1)));
  const int fd = ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  ::close(fd);
  return ::unlink(probe.c_str()) == 0;
}

bool RemoveFile(const std::string& path) { return ::unlink(path.c_str()) == 0 || errno == ENOENT; }

}  // namespace

bool TExchangeStore::Keep(const RegisterId& id, DocumentTable& table, std::time_t when) {
  if (root_.empty() || table.Kind() >= kTableCount) return false;
  bool kept = false;
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
      kept = bool(out.flush());
    }
    if (kept) {
      fs::rename(tmp, stamp, ec);
      kept = !ec;
    }
    if (!kept) RemoveFile(tmp);
  } catch (...) {
    kept = false;
  }
  if (!kept) Forget(id, table.Kind());
  return kept;
}

bool TExchangeStore::Forget(const RegisterId& id, TableKind kind) {
  if (root_.empty() || kind >= kTableCount) return true;
  const std::string path = TablePath(id, kind);
  // The time first: without it what may remain counts as no copy.
  const bool gone = RemoveFile(path + ".time");
  RemoveFile(path);
  return gone;
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

CopyStatus TExchangeStore::Load(const RegisterId& id, TableKind kind, DocumentTable& into, std::time_t now) const {
  CopyStatus status;
  into.Open();
  const std::optional<std::time_t> when = When(id, kind);
  if (!when) return status;
  status.When = *when;
  const std::string path = TablePath(id, kind);
  if (!Changeable(RegisterFolder(id), {path, path + ".time"})) {
    status.State = CopyState::Unwritable;
    return status;
  }
  if (*when > now) {
    status.State = CopyState::Future;
    return status;
  }
  try {
    LoadTableFile(into, path);
  } catch (...) {
    into.Open();
    status.State = CopyState::Unreadable;
    return status;
  }
  status.State = CopyState::Present;
  return status;
}

bool TExchangeStore::Amend(const RegisterId& id, TableKind kind,
                           const std::function<void(DocumentTable& copy)>& change, std::time_t when,
                           bool fromEmpty) {
  if (kind >= kTableCount) return true;
  DocumentTable copy(TableDefinition(kind));
  const CopyStatus status = Load(id, kind, copy, when);  // `copy` stays empty unless present
  switch (status.State) {
    case CopyState::Present:
      break;
    case CopyState::None:
      if (!fromEmpty) return true;
      break;
    case CopyState::Future:
    case CopyState::Unreadable:
      if (fromEmpty) break;
      Forget(id, kind);
      return false;
    case CopyState::Unwritable:
      Forget(id, kind);
      return false;
  }
  change(copy);
  return Keep(id, copy, when);
}

std::string CopyStatusLine(const CopyStatus& status, std::time_t now) {
  const std::string whole = ": se incarca tot tabelul";
  switch (status.State) {
    case CopyState::Present:
      return CopyAgeText(status.When, now);
    case CopyState::None:
      return "Nu exista o copie a ultimului schimb cu aceasta casa" + whole;
    case CopyState::Future:
      return "Copia ultimului schimb cu aceasta casa poarta o ora viitoare (" + StoreTimeText(status.When) +
             "), deci nu se stie ce contine casa" + whole;
    case CopyState::Unreadable:
      return "Copia ultimului schimb cu aceasta casa nu poate fi citita" + whole;
    case CopyState::Unwritable:
      return "Copia ultimului schimb cu aceasta casa nu poate fi nici actualizata, nici stearsa, deci poate fi "
             "depasita" + whole;
  }
  return {};
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
