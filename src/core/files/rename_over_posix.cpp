#include <cstdio>

#include "files/rename_over.h"

namespace vestok {

bool RenameOver(const std::string& from, const std::string& to) { return std::rename(from.c_str(), to.c_str()) == 0; }

}  // namespace vestok
