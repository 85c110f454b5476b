// Start-up: link settings, operation log, main window, batch request, event loop.
#include <QApplication>
#include <memory>
#include <string>
#include <vector>

#include "config/link_settings.h"
#include "jobs/operation_log.h"
#include "startup/batch_request.h"
#include "startup/config_path.h"
#include "ui/main_window.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);  // takes its own options (-platform, ...) out of argv
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
