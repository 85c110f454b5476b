#include "serial/line_errors.h"

#include <linux/serial.h>
#include <sys/ioctl.h>

namespace vestok {

std::int32_t LineErrorCode(const TLineErrorCounts& before, const TLineErrorCounts& now) {
  // Later checks win: parity over overrun over framing.
  std::int32_t code = 0;
  if (now.Frame != before.Frame) code = 9999;
  if (now.Overrun != before.Overrun) code = 10000;
  if (now.Parity != before.Parity) code = 10002;
  return code;
}

bool ReadLineErrorCounts(int fd, TLineErrorCounts& counts) {
  serial_icounter_struct ic{};
  if (ioctl(fd, TIOCGICOUNT, &ic) != 0) return false;
  counts.Frame = ic.frame;
  counts.Overrun = ic.overrun;
  counts.Parity = ic.parity;
  counts.Break = ic.brk;
  counts.BufferOverrun = ic.buf_overrun;
  return true;
}

}  // namespace vestok
