#include "files/safe_file_write.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>

#include "files/app_paths.h"
#include "files/rename_over.h"
#include "text/number_text.h"

namespace vestok {
namespace {

constexpr const char* kTempPrefix = ".vst";
constexpr const char* kTempSuffix = ".tmp";

std::string BaseOf(const std::string& path) {
  const std::size_t slash = path.find_last_of(kPathSeparators);
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string HashText(const std::string& text) {
  std::uint32_t h = 2166136261u;  // FNV-1a
  for (unsigned char c : text) h = (h ^ c) * 16777619u;
  static const char hex[] = "0123456789abcdef";
  std::string out(8, '0');
  for (int i = 7; i >= 0; --i, h >>= 4) out[std::size_t(i)] = hex[h & 15];
  return out;
}

// ".vst<hash>-": the start of every temporary name of saves of `target`.
std::string TempStem(const std::string& target) { return kTempPrefix + HashText(BaseOf(target)) + "-"; }

}  // namespace

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of(kPathSeparators);
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string ResolveSaveTarget(const std::string& path) {
  std::string current = path;
  for (int hop = 0; hop < 40; ++hop) {
    struct stat st {};
    if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return current;
    char buf[PATH_MAX];
    const ssize_t n = ::readlink(current.c_str(), buf, sizeof buf - 1);
    if (n <= 0) return current;
    std::string next(buf, std::size_t(n));
    if (next.front() != '/' && current.find('/') != std::string::npos) next = FolderOf(current) + "/" + next;
    current = next;
  }
  return path;
}

bool FolderWritable(const std::string& target) {
  return ::access(FolderOf(target).c_str(), W_OK | X_OK) == 0;
}

std::string FolderProblem(const std::string& dir) {
  struct stat st{};
  if (::stat(dir.c_str(), &st) != 0) return "dosarul " + dir + " nu exista";
  if (!S_ISDIR(st.st_mode)) return dir + " nu este un dosar";
#ifdef _WIN32
  constexpr int kMode = W_OK;  // no search right to ask for
#else
  constexpr int kMode = W_OK | X_OK;
#endif
  if (::access(dir.c_str(), kMode) != 0) return "in dosarul " + dir + " nu se poate scrie";
  return {};
}

std::string TempNameFor(const std::string& target) {
  static std::atomic<unsigned> counter{0};
  const std::string folder = FolderOf(target);
  const std::string prefix = target.find_first_of(kPathSeparators) == std::string::npos ? std::string() : folder + "/";
  return prefix + TempStem(target) + IntToText(::getpid()) + "-" + IntToText(counter++) + kTempSuffix;
}

void RemoveStaleTemps(const std::string& target) {
  const std::string folder = FolderOf(target);
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return;
  const std::string stem = TempStem(target);
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view name(entry->d_name);
    if (!name.starts_with(stem) || !name.ends_with(kTempSuffix)) continue;
    const std::string_view rest = name.substr(stem.size());
    const auto pid = ParseInt32(rest.substr(0, rest.find('-')));
    if (!pid || *pid <= 0 || *pid == ::getpid()) continue;
    // A save still running in another process keeps its file.
    if (::kill(pid_t(*pid), 0) == 0 || errno != ESRCH) continue;
    const bool bare = target.find_first_of(kPathSeparators) == std::string::npos;
    const std::string full = (bare ? std::string() : folder + "/") + std::string(name);
    struct stat st {};
    if (::lstat(full.c_str(), &st) == 0 && S_ISREG(st.st_mode)) ::unlink(full.c_str());
  }
  ::closedir(dir);
}

bool WriteAllTo(int fd, const char* data, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::write(fd, data + done, size - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += std::size_t(n);
  }
  return true;
}

bool SafeWriteFile(const std::string& target, const std::string& text, unsigned mode) {
  struct stat st {};
  const bool exists = ::stat(target.c_str(), &st) == 0;
  if (exists && !S_ISREG(st.st_mode)) return false;
  // Writability is the file's own: a read-only file is not replaced.
  if (exists && ::access(target.c_str(), W_OK) != 0) return false;
  if (exists) mode = st.st_mode & 07777;
  if (FolderWritable(target)) {
    RemoveStaleTemps(target);
    const std::string temp = TempNameFor(target);
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
      bool ok = WriteAllTo(fd, text.data(), text.size()) && ::fsync(fd) == 0;
      ::fchmod(fd, mode);
      ok = ::close(fd) == 0 && ok;
      if (ok && RenameOver(temp, target)) return true;
      ::unlink(temp.c_str());
      return false;
    }
  }
  if (!exists) return false;
  // A folder that takes no new file (an install under /opt): the file itself
  // is rewritten.
  const int fd = ::open(target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
  if (fd < 0) return false;
  bool ok = WriteAllTo(fd, text.data(), text.size()) && ::fsync(fd) == 0;
  ok = ::close(fd) == 0 && ok;
  return ok;
}

}  // namespace vestok
