#include "serial/line_errors.h"

namespace vestok {

std::int32_t LineErrorCode(const TLineErrorCounts& before, const TLineErrorCounts& now) {
  // Later checks win: parity over overrun over framing.
  std::int32_t code = 0;
  if (now.Frame != before.Frame) code = 9999;
  if (now.Overrun != before.Overrun) code = 10000;
  if (now.Parity != before.Parity) code = 10002;
  return code;
}

std::int32_t LineErrorCodeFromFlags(const TLineErrorFlags& flags) {
  std::int32_t code = 0;
  if (flags.Frame) code = 9999;
  if (flags.Overrun) code = 10000;
  if (flags.Parity) code = 10002;
  if (flags.TxFull) code = 10003;
  return code;
}

}  // namespace vestok
