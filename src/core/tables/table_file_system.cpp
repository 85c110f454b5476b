#include "tables/table_file_system.h"

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

#include "files/rename_over.h"

namespace vestok {

int TableFileSystem::CreateNew(const std::string& path, unsigned mode) {
  int fd;
  do fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
  while (fd < 0 && errno == EINTR);
  return fd;
}

int TableFileSystem::OpenTruncated(const std::string& path) {
  int fd;
  do fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
  while (fd < 0 && errno == EINTR);
  return fd;
}

bool TableFileSystem::WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (n == 0) return false;
    data += n;
    size -= std::size_t(n);
  }
  return true;
}

bool TableFileSystem::Sync(int fd) { return ::fsync(fd) == 0; }

bool TableFileSystem::Close(int fd) { return ::close(fd) == 0; }

bool TableFileSystem::Rename(const std::string& from, const std::string& to) {
  return RenameOver(from, to);
}

void TableFileSystem::Remove(const std::string& path) { ::unlink(path.c_str()); }

TableFileSystem& DefaultTableFileSystem() {
  static TableFileSystem fs;
  return fs;
}

}  // namespace vestok
