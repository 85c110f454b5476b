#include <cerrno>

#include "monitor/platform_port_failure.h"
#include "serial/block_serial.h"

namespace vestok {

std::string PlatformPortFailure(std::int32_t code) {
  switch (code) {
    case EACCES:
    case EPERM:
      return "utilizatorul nu are drept de acces la port; adaugati-l in grupul dialout";
    case ENOENT:
    case ENODEV:
    case ENXIO:
      return "portul nu exista (dispozitivul lipseste sau nu este conectat)";
    case EBUSY:
      return "portul este ocupat de alt program";
    case ENOTTY:
      return "dispozitivul nu este un port serial";
    case EINVAL:
      return "portul nu accepta setarile cerute (viteza)";
    case EIO:
      return "dispozitivul a disparut in timpul lucrului (cablu sau adaptor scos)";
    default:
      return SerialErrorText(code);
  }
}

}  // namespace vestok
