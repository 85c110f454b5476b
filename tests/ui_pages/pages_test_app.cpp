#include "pages_test_app.h"

#include <QApplication>

#include "text/decimal_separator.h"

namespace vestok::pages_test {

void EnsureApplication() {
  if (QApplication::instance() != nullptr) return;
  // No display is needed; ctest may not pass the platform on to the test.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "ui_pages_tests";
  static char* argv[] = {name, nullptr};
  new QApplication(argc, argv);  // lives until the process ends
  SetUserDecimalSeparator('.');
}

std::unique_ptr<DocumentTable> OpenTable(TableKind kind) {
  auto table = std::make_unique<DocumentTable>(TableDefinition(kind));
  table->Open();
  return table;
}

}  // namespace vestok::pages_test
