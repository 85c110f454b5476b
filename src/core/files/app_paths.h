#pragma once
// Where the program keeps its files, by platform.
#include <string>

namespace vestok {

// The folder of the running executable, with its trailing separator ("./"
// when the system cannot say). On Windows the path comes from
// GetModuleFileNameW, as UTF-8.
std::string ExecutableFolder();

// The folder of the copies of the last exchanges, without a trailing
// separator: $XDG_DATA_HOME/vestok when that variable holds an absolute path,
// else $HOME/.local/share/vestok; on Windows %LOCALAPPDATA%\vestok. Empty when
// none of these is known.
std::string ExchangeCopiesFolder();

}  // namespace vestok

namespace vestok {

// The characters that end a folder's part of a path.
#ifdef _WIN32
inline constexpr const char* kPathSeparators = "/\\";
#else
inline constexpr const char* kPathSeparators = "/";
#endif

}  // namespace vestok
