#include "ui_test_support.h"

#include <QApplication>
#include <fstream>
#include <iterator>

#include "text/decimal_separator.h"

namespace vestok::test {

void EnsureApplication() {
  if (QApplication::instance() != nullptr) return;
  // The tests need no display; run them offscreen unless told otherwise.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "ui_tests";
  static char* argv[] = {name, nullptr};
  new QApplication(argc, argv);  // lives until the process ends
  SetUserDecimalSeparator('.');
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}

}  // namespace vestok::test
