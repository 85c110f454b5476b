#pragma once
// The batch request of the command line: "LOAD"|"SAVE", "A"|"S", a file name.
#include <string>
#include <vector>

namespace vestok {

struct BatchRequest {
  bool BatchMode = false;
  bool BatchSave = false;   // false: LOAD (upload the file), true: SAVE (download into it)
  int BatchVariant = 0;     // 0 "Seria A", 1 "Standard"
  std::string BatchFileName;
};

// `args` are the arguments after the program itself. Anything but exactly
// three arguments with the two keywords (any letter case, whole words) gives
// BatchMode false.
BatchRequest ParseBatchRequest(const std::vector<std::string>& args);

}  // namespace vestok
