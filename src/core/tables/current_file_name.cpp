#include "tables/current_file_name.h"

namespace vestok {

std::array<std::string, kTableCount> CurrentFileName;

void ResetCurrentFileNames() {
  for (auto& name : CurrentFileName) name = std::string(kNoCurrentFile);
}

}  // namespace vestok
