#include "tables/current_file_name.h"

namespace vestok {

std::array<std::string, kTableCount> CurrentFileName;
std::array<bool, kTableCount> CurrentFileReadAsUtf8{};

void ResetCurrentFileNames() {
  for (auto& name : CurrentFileName) name = std::string(kNoCurrentFile);
  CurrentFileReadAsUtf8.fill(false);
}

}  // namespace vestok
