#pragma once
#include <string>

namespace vestok {

// The directory of the running executable, with its trailing separator.
std::string ExecutableDirectory();

// "Vestok.ini" beside the executable; the current directory plays no part.
std::string ConfigFilePath();

}  // namespace vestok
