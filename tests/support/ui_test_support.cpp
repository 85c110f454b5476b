#include "ui_test_support.h"

#include <QApplication>
#include <QTest>
#include <chrono>
#include <fstream>
#include <iterator>

#include "text/decimal_separator.h"

namespace vestok::test {

void EnsureApplication() {
  if (QApplication::instance() != nullptr) return;
  // The tests need no display; run them offscreen unless told otherwise.
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  static int argc = 1;
  static char name[] = "vestok_tests";
  static char* argv[] = {name, nullptr};
  // Never destroyed: the input devices the tests click create are released
  // with it, and at exit that would come after Qt's own clean-up.
  new QApplication(argc, argv);
  SetUserDecimalSeparator('.');
}

bool ServeUntil(const std::function<bool()>& done, int ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    QTest::qWait(2);
  }
  return true;
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
