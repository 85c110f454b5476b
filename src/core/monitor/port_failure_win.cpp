#include <windows.h>

#include "monitor/platform_port_failure.h"
#include "serial/block_serial.h"

namespace vestok {

std::string PlatformPortFailure(std::int32_t code) {
  switch (static_cast<DWORD>(code)) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case WSAHOST_NOT_FOUND:  // a network port's host name gives no address
      return "portul nu exista (dispozitivul lipseste sau nu este conectat)";
    // Windows opens a port for one program at a time, whoever the user is.
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
      return "portul este ocupat de alt program";
    case ERROR_INVALID_FUNCTION:
    case ERROR_INVALID_HANDLE:
      return "dispozitivul nu este un port serial";
    case ERROR_INVALID_PARAMETER:
      return "portul nu accepta setarile cerute (viteza)";
    case ERROR_BAD_COMMAND:
    case ERROR_GEN_FAILURE:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_DEVICE_REMOVED:
    case ERROR_OPERATION_ABORTED:
      return "dispozitivul a disparut in timpul lucrului (cablu sau adaptor scos)";
    default:
      return SerialErrorText(code);
  }
}

}  // namespace vestok
