#pragma once
// Shared pieces of the window and tool tests: one application object for the
// process, a wait that keeps the events running, file helpers, and the
// scripted dialogs the windows are given.
#include <QTemporaryDir>
#include <functional>
#include <string>

#include "scripted_dialogs.h"

namespace vestok::test {

// Creates the process's QApplication on first use (offscreen in ctest), with
// "." as the user's decimal separator.
void EnsureApplication();

// Handles the application's events until `done()` or `ms` milliseconds have
// passed; false when the time ran out.
bool ServeUntil(const std::function<bool()>& done, int ms = 15000);

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);

}  // namespace vestok::test
