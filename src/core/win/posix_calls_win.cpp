// The POSIX calls that the C runtime lacks (win/posix_files_win.h).
#include <windows.h>

#include <cerrno>
#include <cstdarg>
#include <map>
#include <mutex>
#include <string>

#include "win/utf16.h"

namespace vestok::win {
namespace {

std::mutex g_foldersMutex;
std::map<int, std::pair<int, std::string>> g_folders;  // fd -> (NUL's file index, folder)

// What tells a NUL descriptor of ours from a later one of the same number:
// its OS handle.
int HandleId(int fd) { return static_cast<int>(_get_osfhandle(fd)); }

}  // namespace

int FolderDescriptor(const std::string& path) {
  const int fd = _open("NUL", _O_RDONLY | _O_NOINHERIT);
  if (fd < 0) return -1;
  std::lock_guard lock(g_foldersMutex);
  g_folders[fd] = {HandleId(fd), path};
  return fd;
}

std::string FolderOfDescriptor(int fd) {
  std::lock_guard lock(g_foldersMutex);
  const auto it = g_folders.find(fd);
  if (it == g_folders.end() || it->second.first != HandleId(fd)) return {};
  return it->second.second;
}

}  // namespace vestok::win

int kill(pid_t pid, int sig) {
  if (sig != 0) {
    errno = EINVAL;
    return -1;
  }
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(pid));
  if (process == nullptr) {
    // A process that exists but may not be asked about still exists.
    errno = GetLastError() == ERROR_ACCESS_DENIED ? EPERM : ESRCH;
    return -1;
  }
  DWORD code = 0;
  const bool running = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE;
  CloseHandle(process);
  if (running) return 0;
  errno = ESRCH;
  return -1;
}

// A name in the folder a descriptor of FolderDescriptor stands for; false
// (errno EBADF) for any other descriptor.
static bool PathIn(int dirfd, const char* name, std::string& path) {
  const std::string folder = vestok::win::FolderOfDescriptor(dirfd);
  if (folder.empty()) {
    errno = EBADF;
    return false;
  }
  path = folder + "\\" + name;
  return true;
}

int openat(int dirfd, const char* name, int flags, ...) {
  int mode = 0;
  if (flags & O_CREAT) {
    va_list args;
    va_start(args, flags);
    mode = va_arg(args, int);
    va_end(args);
  }
  std::string path;
  if (!PathIn(dirfd, name, path)) return -1;
  return open(path.c_str(), flags, mode);
}

int fstatat(int dirfd, const char* name, struct stat* st, int) {
  std::string path;
  if (!PathIn(dirfd, name, path)) return -1;
  return stat(path.c_str(), st);
}
