#pragma once
// The reason for one of the platform's error codes of a port (an errno on
// Linux, a GetLastError code on Windows), for PortFailureReason.
#include <cstdint>
#include <string>

namespace vestok {

std::string PlatformPortFailure(std::int32_t code);

}  // namespace vestok
