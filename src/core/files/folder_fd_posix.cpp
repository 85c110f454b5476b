#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "files/folder_fd.h"

namespace vestok {

int OpenFolder(const std::string& path) {
  int fd;
  do fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  while (fd < 0 && errno == EINTR);
  return fd;
}

}  // namespace vestok
