#pragma once
// Shared pieces of the window tests: one application object for the process,
// a temporary folder, and file helpers.
#include <QTemporaryDir>
#include <string>

namespace vestok::test {

// Creates the process's QApplication on first use (offscreen in ctest).
void EnsureApplication();

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);

}  // namespace vestok::test
