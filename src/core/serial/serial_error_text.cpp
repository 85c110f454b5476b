#include <cstring>
#include <string>

#include "serial/block_serial.h"

namespace vestok {
namespace {

// strerror_r comes in two shapes (GNU returns the text, XSI fills the buffer);
// both are thread-safe, unlike strerror.
[[maybe_unused]] std::string PickText(const char* text, const char*) { return text; }
[[maybe_unused]] std::string PickText(int result, const char* buffer) {
  return result == 0 ? std::string(buffer) : std::string("Unknown error");
}

std::string PlatformText(int err) {
  char buffer[256] = {};
  return PickText(strerror_r(err, buffer, sizeof buffer), buffer);
}

}  // namespace

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
    default: return PlatformText(code);
  }
}

}  // namespace vestok
