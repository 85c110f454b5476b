#include <windows.h>

#include <cerrno>

#include "files/folder_fd.h"
#include "win/utf16.h"

namespace vestok {

int OpenFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(win::Utf16(path).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    errno = ENOENT;
    return -1;
  }
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    errno = ENOTDIR;
    return -1;
  }
  return win::FolderDescriptor(path);
}

}  // namespace vestok
