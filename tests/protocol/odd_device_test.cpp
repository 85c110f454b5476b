// The fiscal number query pointed at paths that are no serial port: a
// directory, a FIFO, /dev/null, a regular file. Each gives result 3 at once,
// leaves the link closed and writes nothing into what it found there.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/window_state_for_tests.h"
#include "ecr/fiscal_number.h"
#include "ecr/link_port.h"

namespace vestok {
namespace {

class OddDevice : public ::testing::Test {
 protected:
  void SetUp() override {
    char templ[] = "/tmp/vestok_odd_XXXXXX";
    ASSERT_NE(mkdtemp(templ), nullptr);
    dir_ = templ;
  }
  void TearDown() override {
    CloseLink(LinkPort);
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  // Runs the query and checks what every odd path must give.
  void ExpectNoPort(const std::string& path) {
    std::string fiscal = "before";
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ReadFiscalNumber(LinkPort, path, 9600, 1, 500, fiscal), FiscalQueryPortFailed) << path;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(400)) << path;
    EXPECT_EQ(fiscal, "before");
    EXPECT_FALSE(LinkPort);
  }

  std::string dir_;
};

TEST_F(OddDevice, DirectoryFifoNullAndPlainFileAreNoPorts) {
  ExpectNoPort(dir_);
  const std::string fifo = dir_ + "/fifo";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  ExpectNoPort(fifo);  // no reader on the other side: the open must not block
  ExpectNoPort("/dev/null");

  const std::string file = dir_ + "/file";
  std::ofstream(file, std::ios::binary) << "keep me";
  ExpectNoPort(file);
  std::stringstream text;
  text << std::ifstream(file, std::ios::binary).rdbuf();
  EXPECT_EQ(text.str(), "keep me");
}

}  // namespace
}  // namespace vestok
