// Start-up: link settings, operation log, main window, batch request, event loop.
#include <QApplication>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "config/link_settings.h"
#include "jobs/operation_log.h"
#include "startup/batch_request.h"
#include "startup/config_path.h"
#include "ui/main_window.h"
#include "ui/qt_translation.h"

namespace {

// A batch run started by a script on a machine without a display (a cron job,
// a remote shell) would stop in the window system's start-up, before the
// transfer, with no file written: it runs off screen instead, where the boxes
// that report a failure write their texts to the error output.
void RunBatchOffScreenWithoutDisplay(int argc, char** argv) {
#if defined(__unix__) && !defined(__APPLE__)
  if (!vestok::ParseBatchRequest(std::vector<std::string>(argv + 1, argv + argc)).BatchMode) return;
  const auto given = [](const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
  };
  if (given("QT_QPA_PLATFORM") || given("DISPLAY") || given("WAYLAND_DISPLAY")) return;
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
#else
  (void)argc;
  (void)argv;
#endif
}

}  // namespace

int main(int argc, char** argv) {
  RunBatchOffScreenWithoutDisplay(argc, argv);
  QApplication app(argc, argv);  // takes its own options (-platform, ...) out of argv
  vestok::InstallQtTranslation(app);  // Qt's own buttons and dialogs in Romanian, where installed
  vestok::ReadLinkSettings(vestok::ConfigFilePath());
  vestok::OperationLog = std::make_unique<vestok::TOperationLog>();
  QApplication::setApplicationName("Vestok 4");

  int status = 0;
  {
    vestok::TfMain window;
    const auto request = vestok::ParseBatchRequest(std::vector<std::string>(argv + 1, argv + argc));
    window.BatchMode = request.BatchMode;
    window.BatchSave = request.BatchSave;
    window.BatchVariant = request.BatchVariant;
    window.BatchFileName = request.BatchFileName;
    window.show();
    status = app.exec();
  }
  (void)status;  // the exit status carries no result
  vestok::OperationLog.reset();
  return 0;
}
