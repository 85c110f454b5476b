#pragma once
// The file each table was last opened from or saved to, by TableKind. One
// process-wide array, living for the whole run; only the file actions and the
// batch run change it, on the user-interface thread.
#include <array>
#include <string>

#include "tables/table_defs.h"

namespace vestok {

extern std::array<std::string, kTableCount> CurrentFileName;
// Whether that file was read as UTF-8 (and converted): the next save over it
// says that it is written in Windows-1250 from then on.
extern std::array<bool, kTableCount> CurrentFileReadAsUtf8;

// Sets every entry to kNoCurrentFile (the main window does so when shown),
// read as Windows-1250.
void ResetCurrentFileNames();

}  // namespace vestok
