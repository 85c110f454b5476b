#pragma once
// Why a port failed, in words a technician can act on, from the platform's
// error code. Shown in the line monitor, the trace file and the status lines
// of the port tools only; the boxes and log lines of the program keep their
// fixed texts.
#include <cstdint>
#include <string>

namespace vestok {

// `code` is a LastErrorCode of the port; `deviceGone` whether the open device
// went away while in use. Empty for success and for a time-out (neither is a
// failure of the port); for a code without a reason of its own, the code's
// description.
std::string PortFailureReason(std::int32_t code, bool deviceGone = false);

}  // namespace vestok
