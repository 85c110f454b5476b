#pragma once
// The platform's own words for one of its error codes: strerror on Linux
// (an errno), FormatMessage on Windows (a GetLastError code).
#include <cstdint>
#include <string>

namespace vestok {

std::string PlatformErrorText(std::int32_t code);

}  // namespace vestok
