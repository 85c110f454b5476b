#include "monitor/port_failure.h"

#include "monitor/platform_port_failure.h"
#include "serial/block_serial.h"

namespace vestok {

std::string PortFailureReason(std::int32_t code, bool deviceGone) {
  if (deviceGone) return "dispozitivul a disparut in timpul lucrului (cablu sau adaptor scos)";
  if (code == 0 || code == ErrTimeout) return {};
  return PlatformPortFailure(code);
}

}  // namespace vestok
