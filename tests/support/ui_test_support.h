#pragma once
// Shared pieces of the window tests: one application object for the process,
// a temporary folder, and file helpers.
#include <QTemporaryDir>
#include <functional>
#include <string>

#include "scripted_dialogs.h"

namespace vestok::test {

// Creates the process's QApplication on first use (offscreen in ctest).
void EnsureApplication();

// Handles the events until `done()` or `ms` milliseconds have passed.
bool ServeUntil(const std::function<bool()>& done, int ms = 15000);

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);

}  // namespace vestok::test
