#include "config/ini_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "files/safe_file_write.h"
#include "text/ascii.h"

namespace vestok {
namespace {

// "[name]" with blanks allowed around the whole and around the name.
std::optional<std::string_view> SectionName(std::string_view line) {
  line = TrimBlanks(line);
  if (line.size() < 2 || line.front() != '[' || line.back() != ']') return std::nullopt;
  return TrimBlanks(line.substr(1, line.size() - 2));
}

struct KeyValue {
  std::string_view key, value;
};

std::optional<KeyValue> SplitKeyValue(std::string_view line) {
  const auto eq = line.find('=');
  if (eq == std::string_view::npos) return std::nullopt;
  const auto key = TrimBlanks(line.substr(0, eq));
  if (key.empty() || key.front() == ';' || key.front() == '#' || key.front() == '[') return std::nullopt;
  return KeyValue{key, TrimBlanks(line.substr(eq + 1))};
}

}  // namespace

bool IniFile::Load(const std::string& path) {
  lines_.clear();
  // Non-blocking, so that a FIFO in the file's place cannot hold start-up;
  // only a plain file is read.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return false;
  }
  std::string text;
  char buf[4096];
  bool ok = true;
  for (;;) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ok = false;  // a directory, a device error: an empty document
    if (n <= 0) break;
    text.append(buf, std::size_t(n));
  }
  ::close(fd);
  if (!ok) return false;
  LoadFromText(text);
  return true;
}

void IniFile::LoadFromText(std::string_view text) {
  lines_.clear();
  std::size_t pos = 0;
  while (pos < text.size()) {
    const auto nl = text.find('\n', pos);
    if (nl == std::string_view::npos) {  // a last line without a line end
      lines_.push_back({std::string(text.substr(pos)), std::string()});
      break;
    }
    const bool crlf = nl > pos && text[nl - 1] == '\r';
    const std::size_t end = crlf ? nl - 1 : nl;
    lines_.push_back({std::string(text.substr(pos, end - pos)), std::string(crlf ? "\r\n" : "\n")});
    pos = nl + 1;
  }
}

long IniFile::FindSection(std::string_view section) const {
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const auto name = SectionName(lines_[i].text);
    if (name && AsciiIEquals(*name, section)) return long(i);
  }
  return -1;
}

std::size_t IniFile::SectionEnd(std::size_t at) const {
  std::size_t i = at + 1;
  while (i < lines_.size() && !SectionName(lines_[i].text)) ++i;
  return i;
}

std::optional<std::string> IniFile::Value(std::string_view section, std::string_view key) const {
  const long at = FindSection(section);
  if (at < 0) return std::nullopt;
  const std::size_t end = SectionEnd(std::size_t(at));
  for (std::size_t i = std::size_t(at) + 1; i < end; ++i) {
    const auto kv = SplitKeyValue(lines_[i].text);
    if (kv && AsciiIEquals(kv->key, key)) return std::string(kv->value);
  }
  return std::nullopt;
}

std::string IniFile::NewLineEnd() const {
  for (const auto& l : lines_)
    if (!l.end.empty()) return l.end;
  return "\r\n";
}

void IniFile::SetValue(std::string_view section, std::string_view key, std::string_view value) {
  const std::string eol = NewLineEnd();
  long at = FindSection(section);
  if (at < 0) {
    if (!lines_.empty() && lines_.back().end.empty()) lines_.back().end = eol;
    lines_.push_back({"[" + std::string(section) + "]", eol});
    at = long(lines_.size() - 1);
  }
  const std::size_t end = SectionEnd(std::size_t(at));
  std::size_t insert_at = std::size_t(at) + 1;
  for (std::size_t i = std::size_t(at) + 1; i < end; ++i) {
    const auto kv = SplitKeyValue(lines_[i].text);
    if (kv && AsciiIEquals(kv->key, key)) {
      // Keep the key as the file spells it.
      lines_[i].text = std::string(kv->key) + "=" + std::string(value);
      return;
    }
    if (!TrimBlanks(lines_[i].text).empty()) insert_at = i + 1;
  }
  if (insert_at > 0 && lines_[insert_at - 1].end.empty()) lines_[insert_at - 1].end = eol;
  lines_.insert(lines_.begin() + long(insert_at), Line{std::string(key) + "=" + std::string(value), eol});
}

std::string IniFile::Text() const {
  std::string out;
  for (const auto& l : lines_) out += l.text + l.end;
  return out;
}

bool IniFile::Save(const std::string& given) const {
  // A symbolic link keeps pointing at the file it names: the file behind it
  // is written, also when it does not exist yet.
  return SafeWriteFile(ResolveSaveTarget(given), Text(), 0644);
}

}  // namespace vestok
