#pragma once
// Windows build only, included before every core source: the handful of
// POSIX file calls the core makes, on top of the C runtime's own (open, read,
// write, close, stat, access, opendir, getpid). File names are UTF-8 (the
// program's manifest makes UTF-8 the process's code page, so the runtime's
// narrow calls take them as they are). Files are opened in binary mode: the
// runtime would otherwise turn LF into CR LF on the way out and back.
#ifndef _WIN32
#error "posix_files_win.h is for the Windows build"
#endif

// access() that ignores X_OK instead of failing with it.
#ifndef __USE_MINGW_ACCESS
#define __USE_MINGW_ACCESS 1
#endif

// localtime_r and gmtime_r, as the runtime's localtime_s and gmtime_s.
#ifndef _POSIX_THREAD_SAFE_FUNCTIONS
#define _POSIX_THREAD_SAFE_FUNCTIONS 200112L
#endif

#ifdef __cplusplus
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

// No descriptor is handed to a child process, and none translates line ends.
#undef O_CLOEXEC
#define O_CLOEXEC (_O_NOINHERIT | _O_BINARY)
// Windows has no FIFOs or terminals among files, and no open directories.
#ifndef O_NONBLOCK
#define O_NONBLOCK 0
#endif
#ifndef O_NOCTTY
#define O_NOCTTY 0
#endif
#ifndef O_DIRECTORY
#define O_DIRECTORY 0
#endif
#ifndef S_ISLNK
#define S_ISLNK(m) 0
#endif
#ifndef ESRCH
#define ESRCH 3
#endif
#ifndef O_NOFOLLOW
#define O_NOFOLLOW 0
#endif
#ifndef AT_SYMLINK_NOFOLLOW
#define AT_SYMLINK_NOFOLLOW 0x100
#endif

// Symbolic links are not followed on Windows: every name is its own file.
inline int lstat(const char* path, struct stat* st) { return stat(path, st); }
inline ssize_t readlink(const char*, char*, size_t) {
  errno = EINVAL;
  return -1;
}
// Flushes the file's data to the disk (FlushFileBuffers).
inline int fsync(int fd) { return _commit(fd); }
// Windows files have no mode bits beyond read-only, which a new file lacks.
inline int fchmod(int, unsigned) { return 0; }
// Only the question whether a process is alive (signal 0) is answered.
int kill(pid_t pid, int sig);
// Files by name in a folder of files/folder_fd.h (OpenFolder); any other
// descriptor fails with EBADF.
int openat(int dirfd, const char* name, int flags, ...);
int fstatat(int dirfd, const char* name, struct stat* st, int flags);
#endif
