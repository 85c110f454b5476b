// Writing a table file. Every value is quoted (numbers too), quotes inside
// are doubled, texts have CR, LF, NUL and '%' escaped first, a value that is
// null is written as nothing, and every line ends in "," CR LF.
#include <atomic>
#include <charconv>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "files/safe_file_write.h"
#include "tables/float_text.h"
#include "tables/table_file.h"
#include "text/number_text.h"

namespace vestok {
namespace {

constexpr std::size_t kFlushSize = 1 << 16;

void AppendQuotedText(std::string& out, std::string_view text) {
  out += '"';
  for (char c : text) {
    switch (c) {
      case '\r': out += "%c"; break;
      case '\n': out += "%n"; break;
      case '\0': out += "%0"; break;
      case '%': out += "%%"; break;
      case '"': out += "\"\""; break;
      default: out += c;
    }
  }
  out += '"';
}

void AppendHeader(std::string& out, const DocumentTable& table) {
  bool first = true;
  for (const FieldDef& f : table.Fields()) {
    if (!first) out += ',';
    first = false;
    AppendQuotedText(out, f.name);
  }
  out += ",\r\n";
}

void AppendRecord(std::string& out, const DocumentTable& table, std::size_t row) {
  const int count = table.FieldCount();
  for (int f = 0; f < count; ++f) {
    if (f) out += ',';
    if (table.IsNullAt(row, f)) continue;
    switch (table.Fields()[std::size_t(f)].type) {
      case FieldType::Integer: {
        char buf[16];
        auto r = std::to_chars(buf, buf + sizeof buf, *table.IntegerAt(row, f));
        out += '"';
        out.append(buf, r.ptr);
        out += '"';
        break;
      }
      case FieldType::Float:
        out += '"';
        out += FloatToStoredText(*table.FloatAt(row, f));
        out += '"';
        break;
      case FieldType::Text:
        AppendQuotedText(out, table.TextViewAt(row, f));
        break;
    }
  }
  out += ",\r\n";
}

void SyncDirectoryOf(const std::string& target) {
  const std::size_t slash = target.rfind('/');
  const std::string dir = slash == std::string::npos ? "." : (slash == 0 ? "/" : target.substr(0, slash));
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);  // best effort: the data itself is already on disk
  ::close(fd);
}

}  // namespace

std::string TableFileBytes(DocumentTable& table) {
  if (!table.IsOpen()) throw TableUsageError("table is not open");
  table.Post();
  std::string out;
  AppendHeader(out, table);
  for (std::size_t row = 0; row < table.RowCount(); ++row) AppendRecord(out, table, row);
  return out;
}

void SaveTableFile(DocumentTable& table, const std::string& path) {
  SaveTableFile(table, path, DefaultTableFileSystem());
}

void SaveTableFile(DocumentTable& table, const std::string& path, TableFileSystem& fs) {
  if (!table.IsOpen()) throw TableUsageError("table is not open");
  table.Post();
  // A symbolic link is followed, so saving through it replaces the file it
  // points at (or creates it) and keeps the link.
  const std::string target = ResolveSaveTarget(path);
  unsigned mode = 0666;
  struct stat st;
  const bool exists = ::stat(target.c_str(), &st) == 0;
  if (exists) {
    // The old file could not have been truncated: refuse as its creation would fail.
    // Nor is anything but a plain file replaced: the new file would take the
    // place of a FIFO or a device node (/dev/null for a user with the rights).
    if (!S_ISREG(st.st_mode) || ::access(target.c_str(), W_OK) != 0)
      throw TableFileCreateError("cannot write " + path);
    mode = st.st_mode & 07777;
  }
  // Beside the target when its folder takes a new file; else the file itself
  // is rewritten (truncated, written, flushed): a writable file in a
  // read-only folder can still be saved.
  const bool inPlace = exists && !FolderWritable(target);
  std::string temp;
  int fd = -1;
  if (inPlace) {
    fd = fs.OpenTruncated(target);
  } else {
    RemoveStaleTemps(target);
    temp = TempNameFor(target);
    fd = fs.CreateNew(temp, mode);
  }
  if (fd < 0) throw TableFileCreateError("cannot create " + path);

  auto fail = [&](bool closed) {
    if (!closed) fs.Close(fd);
    if (!inPlace) fs.Remove(temp);
    throw TableFileWriteError("cannot write " + path);
  };
  std::string buffer;
  buffer.reserve(kFlushSize + 4096);
  AppendHeader(buffer, table);
  for (std::size_t row = 0; row < table.RowCount(); ++row) {
    AppendRecord(buffer, table, row);
    if (buffer.size() >= kFlushSize) {
      if (!fs.WriteAll(fd, buffer.data(), buffer.size())) fail(false);
      buffer.clear();
    }
  }
  if (!buffer.empty() && !fs.WriteAll(fd, buffer.data(), buffer.size())) fail(false);
  if (!fs.Sync(fd)) fail(false);
  if (!fs.Close(fd)) fail(true);
  if (inPlace) return;
  if (!fs.Rename(temp, target)) fail(true);
  SyncDirectoryOf(target);
}

void EmptyTable(DocumentTable& table) { table.Empty(); }

}  // namespace vestok
