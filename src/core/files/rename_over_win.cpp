#include <windows.h>

#include "files/rename_over.h"
#include "win/utf16.h"

namespace vestok {

bool RenameOver(const std::string& from, const std::string& to) {
  return MoveFileExW(win::Utf16(from).c_str(), win::Utf16(to).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

}  // namespace vestok
