#include "serial/platform_error_text.h"

#include "win/utf16.h"

namespace vestok {

std::string PlatformErrorText(std::int32_t code) { return win::ErrorMessage(static_cast<unsigned long>(code)); }

}  // namespace vestok
