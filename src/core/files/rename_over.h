#pragma once
// Moves a file over another in one step: the target is replaced whole, or
// left as it was. POSIX rename does this; Windows needs MoveFileEx with
// REPLACE_EXISTING (its rename refuses an existing target).
#include <string>

namespace vestok {

bool RenameOver(const std::string& from, const std::string& to);

}  // namespace vestok
