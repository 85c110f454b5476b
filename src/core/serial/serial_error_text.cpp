#include <string>

#include "serial/block_serial.h"
#include "serial/platform_error_text.h"

namespace vestok {

std::string SerialErrorText(std::int32_t code) {
  switch (code) {
    case 0: return "OK";
    case ErrAlreadyOwned: return "Port owned by other process";
    case ErrAlreadyInUse: return "Instance already in use";
    case ErrWrongParameter: return "Wrong paramter at call";
    case ErrPortNotOpen: return "Instance not yet connected";
    case ErrNoDeviceAnswer: return "No device answer detected";
    case ErrMaxBuffer: return "Maximal buffer length exceeded";
    case ErrTimeout: return "Timeout during operation";
    case ErrReadFailed: return "Reading of data failed";
    case ErrFrame: return "Receive framing error";
    case ErrOverrun: return "Receive Overrun Error";
    case ErrRxOverflow: return "Receive Queue overflow";
    case ErrRxParity: return "Receive Parity Error";
    case ErrTxFull: return "Tranceive Queue is full";
    default: return PlatformErrorText(code);
  }
}

}  // namespace vestok
