#pragma once
// A point in time as the user's clock shows it, in a strftime `format`.
#include <ctime>
#include <string>

namespace vestok {

std::string LocalTimeText(std::time_t when, const char* format);

}  // namespace vestok
