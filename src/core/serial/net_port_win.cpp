// The network port in the Windows build: not available yet (TBlockSerial
// refuses tcp:// and rfc2217:// names there), so only what the port object's
// member needs.
#include "serial/net_port.h"

namespace vestok {

TNetPort::~TNetPort() = default;

}  // namespace vestok
