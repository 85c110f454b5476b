#include <unistd.h>

#include <climits>
#include <cstdlib>

#include "files/app_paths.h"

namespace vestok {

std::string ExecutableFolder() {
  std::string buf(PATH_MAX, '\0');
  const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
  if (n <= 0) return "./";
  buf.resize(std::size_t(n));
  const auto slash = buf.rfind('/');
  return slash == std::string::npos ? "./" : buf.substr(0, slash + 1);
}

std::string ExchangeCopiesFolder() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg != nullptr && xdg[0] == '/') return std::string(xdg) + "/vestok";
  const char* home = std::getenv("HOME");
  if (home != nullptr && home[0] != '\0') return std::string(home) + "/.local/share/vestok";
  return {};
}

}  // namespace vestok
