// Reading a table file. Lines end at any run of CR, LF and NUL bytes; a
// leading definition block is skipped; the header line names the columns
// (ASCII case ignored, any order, unknown names ignored); every further line
// appends one record.
//
// Decisions where the format leaves room:
// - In a text, '%' followed by a character other than '%', 'c', 'n' or '0'
//   keeps both characters, and a '%' at the very end stays a '%'.
// - A quote that opens a value but is never closed takes the rest of the line
//   as the value.
// - A file that begins with a line end has an empty header line; the columns
//   are then the table's fields in their order, and the following line is data.
#include <algorithm>
#include <cerrno>
#include <memory>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tables/float_text.h"
#include "tables/table_file.h"
#include "text/ascii.h"
#include "text/number_text.h"
#include "text/utf8.h"

namespace vestok {
namespace {

constexpr std::size_t kReadBlock = 1 << 20;

inline bool IsLineEnd(char c) { return c == '\r' || c == '\n' || c == '\0'; }

// Takes one value from a line (position moves past it and its separator).
class ValueReader {
 public:
  explicit ValueReader(std::string_view line) : line_(line) {}
  bool AtEnd() const { return pos_ >= line_.size(); }

  // Returns false for "no value" (an empty unquoted value). `out` may point
  // into the line or into `scratch`.
  bool Next(std::string_view& out, std::string& scratch) {
    const char first = line_[pos_];
    if (first == ',') {
      ++pos_;
      out = {};
      return false;
    }
    if (first != '"') {
      const std::size_t end = line_.find(',', pos_);
      const std::size_t stop = end == std::string_view::npos ? line_.size() : end;
      out = line_.substr(pos_, stop - pos_);
      pos_ = end == std::string_view::npos ? line_.size() : end + 1;
      return true;
    }
    ++pos_;
    bool copied = false;
    std::size_t start = pos_;
    for (;;) {
      const std::size_t q = line_.find('"', pos_);
      if (q == std::string_view::npos) {  // never closed: the rest of the line
        if (copied) {
          scratch.append(line_.substr(start));
          out = scratch;
        } else {
          out = line_.substr(start);
        }
        pos_ = line_.size();
        return true;
      }
      if (q + 1 < line_.size() && line_[q + 1] == '"') {  // a doubled quote
        if (!copied) scratch.clear();
        copied = true;
        scratch.append(line_.substr(start, q + 1 - start));
        pos_ = start = q + 2;
        continue;
      }
      if (copied) {
        scratch.append(line_.substr(start, q - start));
        out = scratch;
      } else {
        out = line_.substr(start, q - start);
      }
      pos_ = q + 2;  // the closing quote and the one character after it
      return true;
    }
  }

 private:
  std::string_view line_;
  std::size_t pos_ = 0;
};

// Undoes the escaping of a text; a NUL ends the text.
std::string_view Unescape(std::string_view value, std::string& scratch) {
  if (value.find('%') == std::string_view::npos) return value;
  scratch.clear();
  for (std::size_t i = 0; i < value.size(); ++i) {
    const char c = value[i];
    if (c != '%' || i + 1 >= value.size()) {
      scratch += c;
      continue;
    }
    switch (value[i + 1]) {
      case '%': scratch += '%'; ++i; break;
      case 'c': scratch += '\r'; ++i; break;
      case 'n': scratch += '\n'; ++i; break;
      case '0': return scratch;
      default: scratch += '%';  // the next character is taken as it is
    }
  }
  return scratch;
}

class TableFileParser {
 public:
  TableFileParser(DocumentTable& table, TableFileReadInfo& info) : table_(table), info_(info) {}

  void Feed(const char* data, std::size_t size) {
    std::size_t start = 0;
    for (std::size_t i = 0; i < size; ++i) {
      if (!IsLineEnd(data[i])) continue;
      if (!pending_.empty()) {
        pending_.append(data + start, i - start);
        Line(pending_);
        pending_.clear();
      } else if (i > start) {
        Line(std::string_view(data + start, i - start));
      } else if (atFileStart_) {
        Line({});  // the file begins with a line end: an empty first line
      }
      atFileStart_ = false;
      start = i + 1;
    }
    if (start < size) {
      pending_.append(data + start, size - start);
      atFileStart_ = false;
    }
  }

  void Finish() {
    if (!pending_.empty()) Line(pending_);
    pending_.clear();
  }

 private:
  enum class Phase { BeforeHeader, InDefinition, Data };

  void Line(std::string_view line) {
    ++lineNo_;
    switch (phase_) {
      case Phase::BeforeHeader: {
        const std::string_view first = FirstValue(line);
        if (first == "@@FILE VERSION@@") return;
        if (first == "@@TABLEDEF START@@") {
          phase_ = Phase::InDefinition;
          return;
        }
        Header(line);
        phase_ = Phase::Data;
        return;
      }
      case Phase::InDefinition:
        if (FirstValue(line) == "@@TABLEDEF END@@") phase_ = Phase::BeforeHeader;
        return;
      case Phase::Data:
        Record(line);
        return;
    }
  }

  std::string_view FirstValue(std::string_view line) {
    if (line.empty()) return {};
    ValueReader reader(line);
    std::string_view value;
    reader.Next(value, quoteScratch_);
    return value;
  }

  void Header(std::string_view line) {
    columns_.clear();
    if (line.empty()) {
      for (int f = 0; f < table_.FieldCount(); ++f) columns_.push_back(f);
      return;
    }
    ValueReader reader(line);
    while (!reader.AtEnd()) {
      std::string_view name;
      reader.Next(name, quoteScratch_);
      const int field = table_.FieldIndex(name);
      columns_.push_back(field);
      if (field < 0 && !name.empty())
        info_.IgnoredColumns.push_back(info_.Utf8 ? Utf8ToCp1250(name, nullptr) : std::string(name));
    }
  }

  void Record(std::string_view line) {
    builder_.Reset(table_.FieldCount());
    ValueReader reader(line);
    bool anyMatched = false;
    for (std::size_t column = 0; column < columns_.size() && !reader.AtEnd(); ++column) {
      std::string_view value;
      const bool given = reader.Next(value, quoteScratch_);
      const int field = columns_[column];
      if (field < 0) continue;
      if (!given) {
        builder_.Set(field, CellValue::Null());
      } else if (!Convert(field, value)) {
        // The record keeps the values before the failing one, unless nothing
        // came before it.
        if (anyMatched) table_.AppendBuilt(builder_);
        throw TableFileValueError("bad value in line " + IntToText(std::int64_t(lineNo_)), lineNo_, column);
      }
      anyMatched = true;
    }
    table_.AppendBuilt(builder_);
  }

  bool Convert(int field, std::string_view value) {
    const FieldDef& def = table_.Fields()[std::size_t(field)];
    switch (def.type) {
      case FieldType::Text: {
        std::string_view text = Unescape(value, escapeScratch_);
        if (info_.Utf8) {
          missing_.clear();
          converted_ = Utf8ToCp1250(text, &missing_);
          text = converted_;
        }
        if (text.size() > std::size_t(def.width)) text = text.substr(0, std::size_t(def.width));
        if (info_.Utf8 && !missing_.empty()) {
          table_.NoteCodePageLoss(field, std::string(text), missing_);
          info_.LostCharacters.push_back({table_.RecordCount(), field, missing_});
        }
        builder_.Set(field, CellValue::Str(text));
        return true;
      }
      case FieldType::Integer: {
        if (value.empty()) {
          builder_.Set(field, CellValue::Null());
          return true;
        }
        while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
        const auto v = ParseInt32(value);
        if (!v) return false;
        builder_.Set(field, CellValue::Int(*v));
        return true;
      }
      case FieldType::Float: {
        if (value.empty()) {
          builder_.Set(field, CellValue::Null());
          return true;
        }
        const auto v = ParseFloatText(value, '.');
        if (!v) return false;
        builder_.Set(field, CellValue::Real(*v));
        return true;
      }
    }
    return false;
  }

  DocumentTable& table_;
  TableFileReadInfo& info_;
  std::string converted_;
  std::u32string missing_;
  Phase phase_ = Phase::BeforeHeader;
  bool atFileStart_ = true;
  std::size_t lineNo_ = 0;
  std::string pending_;
  std::vector<int> columns_;
  RecordBuilder builder_;
  std::string quoteScratch_;
  std::string escapeScratch_;
};

// Notifications stay off for the whole load, whatever way it ends.
class SuspendGuard {
 public:
  explicit SuspendGuard(DocumentTable& table) : table_(table) { table_.SuspendNotifications(); }
  ~SuspendGuard() { table_.ResumeNotifications(); }
  SuspendGuard(const SuspendGuard&) = delete;
  SuspendGuard& operator=(const SuspendGuard&) = delete;

 private:
  DocumentTable& table_;
};

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

}  // namespace

std::string IgnoredColumnsNotice(const TableFileReadInfo& info, std::size_t shownNames) {
  if (info.IgnoredColumns.empty()) return {};
  constexpr std::size_t kLongestName = 16;
  std::string line = "Coloane ignorate: ";
  const std::size_t shown = std::min(std::max<std::size_t>(shownNames, 1), info.IgnoredColumns.size());
  for (std::size_t i = 0; i < shown; ++i) {
    const std::string& name = info.IgnoredColumns[i];
    if (i > 0) line += ", ";
    line += name.size() > kLongestName ? name.substr(0, kLongestName) + "..." : name;
  }
  if (shown < info.IgnoredColumns.size())
    line += " si inca " + IntToText(std::int64_t(info.IgnoredColumns.size() - shown));
  return line;
}

std::vector<std::string> TableFileLineValues(std::string_view line) {
  std::vector<std::string> values;
  ValueReader reader(line);
  std::string scratch;
  while (!reader.AtEnd()) {
    std::string_view value;
    reader.Next(value, scratch);
    values.emplace_back(value);
  }
  return values;
}

void LoadTableFromBytes(DocumentTable& table, std::string_view bytes, TableFileReadInfo& info) {
  if (!table.IsOpen()) throw TableUsageError("table is not open");
  info = TableFileReadInfo{};
  info.Utf8 = LooksLikeUtf8(bytes);
  if (info.Utf8 && bytes.substr(0, kUtf8Bom.size()) == kUtf8Bom) bytes.remove_prefix(kUtf8Bom.size());
  table.Post();
  SuspendGuard guard(table);
  TableFileParser parser(table, info);
  parser.Feed(bytes.data(), bytes.size());
  parser.Finish();
}

void LoadTableFromBytes(DocumentTable& table, std::string_view bytes) {
  TableFileReadInfo info;
  LoadTableFromBytes(table, bytes, info);
}

void LoadTableFile(DocumentTable& table, const std::string& path, TableFileReadInfo& info) {
  if (!table.IsOpen()) throw TableUsageError("table is not open");
  info = TableFileReadInfo{};
  int raw;
  // Non-blocking, so that a FIFO without a writer cannot hold the open; only
  // a plain file is read: a FIFO, a terminal or /dev/zero would hold the
  // window for ever, and /dev/urandom would append rows until memory runs out.
  do raw = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  while (raw < 0 && errno == EINTR);
  FileDescriptor fd(raw);
  struct stat st;
  if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode))
    throw TableFileOpenError("cannot open " + path);
  table.Post();
  SuspendGuard guard(table);
  // Big blocks, but no bigger than a small file needs.
  const std::size_t blockSize =
      st.st_size >= 0 && std::size_t(st.st_size) < kReadBlock ? std::size_t(st.st_size) + 4096 : kReadBlock;
  std::unique_ptr<char[]> block(new char[blockSize]);
  auto readBlock = [&]() -> std::size_t {
    for (;;) {
      const ssize_t n = ::read(fd.get(), block.get(), blockSize);
      if (n >= 0) return std::size_t(n);
      if (errno != EINTR) throw TableFileReadError("cannot read " + path);
    }
  };
  // First the whole file is looked at: is it UTF-8? A file of ordinary size
  // is one block, parsed from memory; a bigger one is read a second time.
  Utf8Scan scan;
  std::size_t n = readBlock();
  const bool bom = std::string_view(block.get(), n).substr(0, kUtf8Bom.size()) == kUtf8Bom;
  bool whole = true;
  if (!bom) {
    scan.Feed(std::string_view(block.get(), n));
    // Once a byte is no UTF-8 the rest cannot change the answer.
    while (!scan.Failed()) {
      const std::size_t more = readBlock();
      if (more == 0) break;
      whole = false;
      scan.Feed(std::string_view(block.get(), more));
    }
  }
  info.Utf8 = bom || (scan.Valid() && scan.MultiByte());
  if (!whole) {
    if (::lseek(fd.get(), 0, SEEK_SET) != 0) throw TableFileReadError("cannot read " + path);
    n = readBlock();
  }
  TableFileParser parser(table, info);
  std::size_t skip = bom ? kUtf8Bom.size() : 0;
  while (n != 0) {
    parser.Feed(block.get() + skip, n - skip);
    skip = 0;
    n = readBlock();
  }
  parser.Finish();
}

void LoadTableFile(DocumentTable& table, const std::string& path) {
  TableFileReadInfo info;
  LoadTableFile(table, path, info);
}

}  // namespace vestok
