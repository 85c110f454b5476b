#pragma once
// The user's regional settings, from the platform: the locale of the
// environment on Linux, the user's locale on Windows.

namespace vestok {

// The decimal separator of the user's numbers; '.' when it is not one byte.
char PlatformDecimalSeparator();

}  // namespace vestok
