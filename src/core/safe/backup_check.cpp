#include "safe/backup_check.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <memory>

#include "files/folder_fd.h"
#include "tables/table_file.h"
#include "text/number_text.h"

namespace vestok {
namespace {

// Far beyond any register's tables; a bigger file is no backup of ours.
constexpr off_t kLargestFile = off_t(256) << 20;

enum class ReadResult { Ok, Missing, Link, NotRegular, Unreadable, TooLarge };

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// Reads the file `name` of the folder, never through a symbolic link and never
// blocking on a FIFO or device.
ReadResult ReadInFolder(int dir, const std::string& name, std::string& out) {
  struct stat st {};
  if (::fstatat(dir, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
    return errno == ENOENT || errno == ENOTDIR ? ReadResult::Missing : ReadResult::Unreadable;
  if (S_ISLNK(st.st_mode)) return ReadResult::Link;
  if (!S_ISREG(st.st_mode)) return ReadResult::NotRegular;
  int raw;
  do raw = ::openat(dir, name.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
  while (raw < 0 && errno == EINTR);
  Fd fd(raw);
  if (fd.get() < 0) return errno == ELOOP ? ReadResult::Link : ReadResult::Unreadable;
  // What was opened is what was looked at (not swapped in between).
  if (::fstat(fd.get(), &st) != 0) return ReadResult::Unreadable;
  if (!S_ISREG(st.st_mode)) return ReadResult::NotRegular;
  if (st.st_size > kLargestFile) return ReadResult::TooLarge;
  out.clear();
  out.reserve(std::size_t(st.st_size));
  char block[1 << 16];
  for (;;) {
    const ssize_t n = ::read(fd.get(), block, sizeof block);
    if (n < 0) {
      if (errno == EINTR) continue;
      return ReadResult::Unreadable;
    }
    if (n == 0) break;
    out.append(block, std::size_t(n));
    if (off_t(out.size()) > kLargestFile) return ReadResult::TooLarge;
  }
  return ReadResult::Ok;
}

// The reason for a file that could not be read, or empty.
std::string ReadReason(ReadResult r, const std::string& name) {
  switch (r) {
    case ReadResult::Ok: return {};
    case ReadResult::Missing: return name + " lipseste din dosar";
    case ReadResult::Link: return name + " este o legatura simbolica; se citesc doar fisiere din dosar";
    case ReadResult::NotRegular: return name + " nu este un fisier obisnuit";
    case ReadResult::Unreadable: return name + " nu poate fi citit";
    case ReadResult::TooLarge: return name + " este prea mare pentru un tabel al casei";
  }
  return {};
}

std::string Stem(TableKind kind) {
  const std::string_view name = BackupFileName(kind);
  return std::string(name.substr(0, name.size() - 4));
}

std::optional<std::int64_t> Count(std::string_view text) {
  const auto n = ParseInt32(text);
  if (!n || *n < 0 || text.empty() || text.front() == '+' || text.front() == ' ') return std::nullopt;
  return *n;
}

// register.txt read strictly: "key=value" lines, each ending in LF. Keys this
// version does not know are passed over, and so are what a text editor adds to a
// file it saves (CR before LF, empty lines, a UTF-8 byte-order mark); a last line
// without its LF stays damage, since a cut value reads as another register's.
struct InfoReading {
  RegisterInfo Info;
  bool Usable = false;  // fiscal, logical and variant are known
  std::vector<std::string> Reasons;
};

InfoReading ReadInfo(std::string_view text) {
  InfoReading out;
  const std::string file(kRegisterInfoFile);
  auto garbled = [&](const std::string& why) { out.Reasons.push_back(file + " este deteriorat: " + why); };
  bool fiscal = false, logical = false, variant = false, broken = false;
  std::vector<std::string> seen;
  std::size_t lineNo = 0;
  std::size_t pos = text.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
  while (pos < text.size()) {
    ++lineNo;
    const std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) {
      garbled("ultima linie este taiata (linia " + IntToText(std::int64_t(lineNo)) + ")");
      broken = true;
      break;
    }
    std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty()) continue;
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos || eq == 0 || line.find('\0') != std::string_view::npos) {
      garbled("linia " + IntToText(std::int64_t(lineNo)) + " nu are forma cheie=valoare");
      broken = true;
      continue;
    }
    const std::string key(line.substr(0, eq));
    const std::string_view value = line.substr(eq + 1);
    if (std::find(seen.begin(), seen.end(), key) != seen.end()) {
      garbled("cheia " + key + "= apare de mai multe ori");
      broken = true;
      continue;
    }
    seen.push_back(key);
    if (key == "fiscal") {
      out.Info.FiscalNumber = std::string(value);
      fiscal = !value.empty();
    } else if (key == "logical") {
      const auto n = Count(value);
      if (!n || *n > 255) {
        garbled("logical=" + std::string(value) + " nu este un numar logic");
        broken = true;
      } else {
        out.Info.LogicNo = int(*n);
        logical = true;
      }
    } else if (key == "variant") {
      if (value != "A" && value != "S") {
        garbled("variant=" + std::string(value) + " nu este A sau S");
        broken = true;
      } else {
        out.Info.Variant = value == "S" ? 1 : 0;
        variant = true;
      }
    } else if (key == "port") {
      out.Info.Port = std::string(value);
    } else if (key == "date") {
      out.Info.DateTime = std::string(value);
    } else {
      for (TableKind k = 0; k < kTableCount; ++k) {
        const bool records = key == "records." + Stem(k);
        if (!records && key != "errors." + Stem(k)) continue;
        const auto n = Count(value);
        if (!n) {
          garbled(key + "=" + std::string(value) + " nu este un numar de inregistrari");
          broken = true;
        } else {
          (records ? out.Info.Records : out.Info.Errors)[k] = *n;
        }
      }
    }
  }
  if (!fiscal) out.Reasons.push_back(file + " nu are numarul fiscal al casei (fiscal=)");
  if (!logical && !broken) out.Reasons.push_back(file + " nu are numarul logic al casei (logical=)");
  if (!variant && !broken) out.Reasons.push_back(file + " nu are varianta de protocol (variant=)");
  out.Usable = fiscal && logical && variant;
  return out;
}

// A line of a table file as the writer writes it: `fields` values, each empty
// or quoted (inner quotes doubled), each followed by ",".
bool WholeLine(std::string_view line, int fields) {
  std::size_t pos = 0;
  for (int f = 0; f < fields; ++f) {
    if (pos < line.size() && line[pos] == '"') {
      ++pos;
      for (;;) {
        const std::size_t q = line.find('"', pos);
        if (q == std::string_view::npos) return false;
        if (q + 1 < line.size() && line[q + 1] == '"') {
          pos = q + 2;
          continue;
        }
        pos = q + 1;
        break;
      }
    }
    if (pos >= line.size() || line[pos] != ',') return false;
    ++pos;
  }
  return pos == line.size();
}

// The table of `kind` read from the bytes of its backup file, or the reasons
// it cannot be trusted.
std::unique_ptr<DocumentTable> CheckTableFile(TableKind kind, const std::string& bytes, std::int64_t records,
                                              std::vector<std::string>& reasons) {
  const std::string name(BackupFileName(kind));
  auto table = std::make_unique<DocumentTable>(TableDefinition(kind));
  table->Open();
  const std::string header = TableFileBytes(*table);  // the header line and CR LF
  if (bytes.compare(0, header.size(), header) != 0) {
    reasons.push_back(name + " nu incepe cu capul de tabel al acestui tabel (alte coloane sau fisier gol)");
    return nullptr;
  }
  const std::size_t before = reasons.size();
  const int fields = table->FieldCount();
  std::size_t pos = header.size();
  std::size_t lineNo = 1, bad = 0, firstBad = 0;
  while (pos < bytes.size()) {
    ++lineNo;
    const std::size_t end = bytes.find("\r\n", pos);
    if (end == std::string::npos) {
      reasons.push_back(name + ": ultima linie (" + IntToText(std::int64_t(lineNo)) +
                        ") este taiata; fiecare linie se termina cu \",\" CR LF");
      break;
    }
    const std::string_view line(bytes.data() + pos, end - pos);
    pos = end + 2;
    if (line.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos || !WholeLine(line, fields)) {
      if (bad++ == 0) firstBad = lineNo;
    }
  }
  if (bad == 1)
    reasons.push_back(name + ": linia " + IntToText(std::int64_t(firstBad)) + " nu are cele " + IntToText(fields) +
                      " valori ale tabelului");
  else if (bad > 1)
    reasons.push_back(name + ": " + IntToText(std::int64_t(bad)) + " linii nu au cele " + IntToText(fields) +
                      " valori ale tabelului, prima este linia " + IntToText(std::int64_t(firstBad)));
  if (reasons.size() > before) return nullptr;
  try {
    LoadTableFromBytes(*table, bytes);
  } catch (const TableFileValueError& e) {
    reasons.push_back(name + ": valoare care nu se potriveste campului in linia " +
                      IntToText(std::int64_t(e.line())));
    return nullptr;
  } catch (const std::exception&) {
    reasons.push_back(name + " nu poate fi citit");
    return nullptr;
  }
  if (records >= 0 && std::int64_t(table->RecordCount()) != records) {
    reasons.push_back(name + " are " + IntToText(std::int64_t(table->RecordCount())) + " inregistrari, iar " +
                      std::string(kRegisterInfoFile) + " spune " + IntToText(records));
    return nullptr;
  }
  return table;
}

bool Contains(const std::vector<TableKind>& kinds, TableKind k) {
  return std::find(kinds.begin(), kinds.end(), k) != kinds.end();
}

}  // namespace

std::string_view VariantName(int variant) { return variant == 0 ? "Seria A" : "Standard"; }

BackupCheck CheckBackup(const std::string& folder, std::optional<int> variantAsked) {
  BackupCheck out;
  std::vector<std::string>& reasons = out.Reasons;
  const Fd dir(OpenFolder(folder));
  if (dir.get() < 0) {
    reasons.push_back("Dosarul " + folder + " nu poate fi deschis");
    return out;
  }
  std::string text;
  const std::string infoName(kRegisterInfoFile);
  std::optional<RegisterInfo> info;
  if (const ReadResult r = ReadInFolder(dir.get(), infoName, text); r != ReadResult::Ok) {
    reasons.push_back(r == ReadResult::Missing ? infoName + " lipseste din dosar: nu se stie a carei case este salvarea"
                                               : ReadReason(r, infoName));
  } else {
    InfoReading reading = ReadInfo(text);
    reasons.insert(reasons.end(), reading.Reasons.begin(), reading.Reasons.end());
    if (reading.Usable) info = reading.Info;
  }

  // Which tables the backup holds. Without a usable register.txt the files
  // there are still looked at, to give every reason at once.
  const int variant = info ? info->Variant : variantAsked.value_or(0);
  const std::vector<TableKind> offered = DownloadableTables(variant);
  const std::vector<TableKind> uploaded = UploadableTables(variant);
  std::vector<TableKind> listed;
  if (info) {
    if (variantAsked && *variantAsked != info->Variant)
      reasons.push_back("Salvarea a fost facuta sub " + std::string(VariantName(info->Variant)) +
                        " si se restaureaza doar sub aceasta varianta, nu sub " +
                        std::string(VariantName(*variantAsked)));
    for (TableKind k = 0; k < kTableCount; ++k) {
      if (info->Records[k] < 0) continue;
      if (!Contains(offered, k)) {
        reasons.push_back(infoName + " numeste tabelul " + std::string(BackupFileName(k)) + ", pe care varianta " +
                          std::string(VariantName(variant)) + " nu il are");
        continue;
      }
      listed.push_back(k);
    }
    if (listed.empty() && reasons.empty()) reasons.push_back(infoName + " nu numeste niciun tabel (records.<tabel>=)");
  } else {
    for (TableKind k : offered) {
      struct stat st {};
      if (::fstatat(dir.get(), std::string(BackupFileName(k)).c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0)
        listed.push_back(k);
    }
  }

  std::vector<std::unique_ptr<DocumentTable>> tables;
  for (TableKind k : listed) {
    const std::string name(BackupFileName(k));
    std::string bytes;
    if (const ReadResult r = ReadInFolder(dir.get(), name, bytes); r != ReadResult::Ok) {
      reasons.push_back(ReadReason(r, name));
      continue;
    }
    auto table = CheckTableFile(k, bytes, info ? info->Records[k] : -1, reasons);
    if (table && Contains(uploaded, k)) tables.push_back(std::move(table));
  }
  if (!reasons.empty()) return out;
  out.Plan.Info = info;
  out.Plan.Tables = std::move(tables);  // in TableKind order, the order of a restore
  return out;
}

}  // namespace vestok
