#include "ui/window_state.h"

namespace vestok {

TLinkSettings LinkSettings;
TLink LinkPort{LinkSettings};
std::unique_ptr<TOperationLog> OperationLog;
std::array<std::string, kTableCount> CurrentFileName;
std::array<bool, kTableCount> CurrentFileReadAsUtf8{};

void ResetCurrentFileNames() {
  for (auto& name : CurrentFileName) name = std::string(kNoCurrentFile);
  CurrentFileReadAsUtf8.fill(false);
}

}  // namespace vestok
