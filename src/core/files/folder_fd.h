#pragma once
// A folder opened for reading the files in it by name (openat, fstatat), so
// that a folder renamed or replaced meanwhile cannot slip other files in.
// On Windows, where the C runtime opens no folder, the descriptor stands for
// the folder's path (win/posix_files_win.h). -1 with errno on failure; close
// it with close().
#include <string>

namespace vestok {

int OpenFolder(const std::string& path);

}  // namespace vestok
