#pragma once
// UTF-8 inside the program, UTF-16 where it calls Windows: the conversions.
// Windows build only. Bytes that are not valid UTF-8 become U+FFFD.
#include <string>
#include <string_view>

namespace vestok::win {

std::wstring Utf16(std::string_view utf8);
std::string Utf8(std::wstring_view utf16);

// The text of a Windows error code (FormatMessage), without its line end;
// "Error N" when Windows has none.
std::string ErrorMessage(unsigned long code);

// A descriptor that stands for a folder (files/folder_fd.h): a real one of the
// C runtime (on the NUL device), so close() takes it, remembered with the
// folder's path for openat and fstatat. -1 with errno on failure.
int FolderDescriptor(const std::string& path);
// The folder a descriptor stands for; empty for any other descriptor.
std::string FolderOfDescriptor(int fd);

}  // namespace vestok::win
