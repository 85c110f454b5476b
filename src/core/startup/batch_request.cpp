#include "startup/batch_request.h"

#include "text/ascii.h"

namespace vestok {

BatchRequest ParseBatchRequest(const std::vector<std::string>& args) {
  BatchRequest r;
  if (args.size() != 3) return r;
  const std::string action = AsciiUpper(args[0]);
  if (action != "LOAD" && action != "SAVE") return r;
  const std::string variant = AsciiUpper(args[1]);
  if (variant != "S" && variant != "A") return r;
  r.BatchMode = true;
  r.BatchSave = action != "LOAD";
  r.BatchVariant = variant == "A" ? 0 : 1;
  r.BatchFileName = args[2];
  return r;
}

}  // namespace vestok
