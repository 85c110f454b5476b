#include "startup/config_path.h"

#include "files/app_paths.h"

namespace vestok {

std::string ExecutableDirectory() { return ExecutableFolder(); }

std::string ConfigFilePath() { return ExecutableDirectory() + "Vestok.ini"; }

}  // namespace vestok
