// The POSIX calls that the C runtime lacks (win/posix_files_win.h).
#include <windows.h>

#include <cerrno>

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

int openat(int, const char*, int, ...) {
  errno = ENOSYS;
  return -1;
}

int fstatat(int, const char*, struct stat*, int) {
  errno = ENOSYS;
  return -1;
}
