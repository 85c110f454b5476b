// Start-up: link settings, operation log, main window, batch request, event loop.
#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "config/link_settings.h"
#include "ui/window_state.h"
#include "jobs/operation_log.h"
#include "monitor/trace_file.h"
#include "ui/window_monitor.h"
#include "startup/batch_request.h"
#include "startup/config_path.h"
#include "startup/display_probe.h"
#include "ui/main_window.h"
#include "ui/qt_translation.h"

namespace {

// A batch run started by a script on a machine without a display (a cron job,
// a remote shell), or with a display that no longer answers (X or Wayland),
// would stop in the window system's start-up, before the transfer, with no
// file written: it runs off screen instead, where the boxes that report a
// failure write their texts to the error output. An interactive start says
// in one line that there is no screen and ends.
bool PrepareDisplay(bool batch, const std::vector<std::string>& args) {
#if defined(__unix__) && !defined(__APPLE__)
  // A platform named on the command line is Qt's to judge.
  if (!batch)
    for (const std::string& a : args)
      if (a == "-platform" || a == "--platform" || a.starts_with("-platform=")) return true;
  if (vestok::PreferLiveXDisplay()) setenv("QT_QPA_PLATFORM", "xcb", 1);
  const auto missing = vestok::MissingDisplay();
  if (!missing) return true;
  if (batch) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    return true;
  }
  if (missing->empty())
    std::fprintf(stderr, "Nu exista niciun ecran: DISPLAY si WAYLAND_DISPLAY nu sunt setate\n");
  else
    std::fprintf(stderr, "Nu se poate deschide ecranul %s\n", missing->c_str());
  return false;
#else
  (void)batch;
  (void)args;
  return true;
#endif
}

}  // namespace

int main(int argc, char** argv) {
  // The batch request comes from the process's own arguments, before Qt takes
  // out what it reads as its options ("-reverse" is a file name here). In a
  // batch run Qt sees only the program name, so none of the three arguments
  // can become an option of its own.
  const std::vector<std::string> args(argv + 1, argv + argc);
  const auto request = vestok::ParseBatchRequest(args);
  int qtArgc = request.BatchMode ? 1 : argc;
  if (!PrepareDisplay(request.BatchMode, args)) return 0;
  QApplication app(qtArgc, argv);
  vestok::InstallQtTranslation(app);  // Qt's own buttons and dialogs in Romanian, where installed
  vestok::ReadLinkSettings(vestok::LinkSettings, vestok::ConfigFilePath());
  // VESTOK_TRACE: every line of the window's link into that file.
  std::unique_ptr<vestok::TTraceFile> trace;
  if (const auto path = vestok::TracePathFromEnvironment()) {
    trace = std::make_unique<vestok::TTraceFile>(*path);
    trace->Follow(vestok::WindowLinkMonitor());
  }
  vestok::OperationLog = std::make_unique<vestok::TOperationLog>();
  QApplication::setApplicationName("Vestok 4");

  int status = 0;
  {
    vestok::TfMain window;
    window.SetBatchRequest(request);
    window.show();
    status = app.exec();
  }
  (void)status;  // the exit status carries no result
  vestok::OperationLog.reset();
  return 0;
}
