#include "startup/config_path.h"

#include <unistd.h>

#include <climits>

namespace vestok {

std::string ExecutableDirectory() {
  std::string buf(PATH_MAX, '\0');
  const ssize_t n = ::readlink("/proc/self/exe", buf.data(), buf.size());
  if (n <= 0) return "./";
  buf.resize(std::size_t(n));
  const auto slash = buf.rfind('/');
  return slash == std::string::npos ? "./" : buf.substr(0, slash + 1);
}

std::string ConfigFilePath() { return ExecutableDirectory() + "Vestok.ini"; }

}  // namespace vestok
