#include <linux/serial.h>
#include <sys/ioctl.h>

#include "serial/line_errors.h"

namespace vestok {

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
