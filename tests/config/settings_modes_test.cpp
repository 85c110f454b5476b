// Saving the link settings in odd installs: a file that cannot be read, a
// read-only file, a writable file in a folder that takes no new file, and
// port numbers below 1. The mode cases run as an unprivileged user.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "support/window_state_for_tests.h"
#include "as_nobody.h"
#include "config/link_settings.h"

namespace fs = std::filesystem;
using namespace vestok;

namespace {

const std::string kOriginal =
    "[Communication]\r\nPort=2\r\nRetryCmd=7\r\nCheckReply=0\r\n[Other]\r\nKeep=me\r\n";

class SettingsModes : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = LinkSettings;
    LinkSettings = TLinkSettings{};
    char name[] = "/tmp/vestok-modes-XXXXXX";
    dir_ = ::mkdtemp(name);
    path_ = dir_ + "/Vestok.ini";
    std::ofstream(path_, std::ios::binary) << kOriginal;
  }
  void TearDown() override {
    ::chmod(dir_.c_str(), 0700);
    fs::remove_all(dir_);
    LinkSettings = saved_;
  }
  std::string Contents() const {
    std::ifstream in(path_, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  // The save as the unprivileged user: 0 saved, 1 refused with the message.
  int SaveAsNobody() {
    const std::string path = path_;
    return RunAsNobody([path] {
      LinkSettings.PortName = "COM3";
      try {
        WriteLinkSettings(LinkSettings, path);
        return true;
      } catch (const ConfigWriteError& e) {
        return std::string(e.what()) != "Unable to write to " + path;  // refused as specified: 1
      }
    });
  }
  void Own(const std::string& path, uid_t uid, mode_t mode) {
    ASSERT_EQ(::chown(path.c_str(), uid, uid), 0);
    ASSERT_EQ(::chmod(path.c_str(), mode), 0);
  }

  std::string dir_, path_;
  TLinkSettings saved_;
};

TEST_F(SettingsModes, ModesOfTheFileDecideNotThoseOfTheFolder) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to set up files of another user";
  Own(dir_, kNobody, 0755);
  // Unreadable (root's, 0600): never replaced, its other keys stay.
  Own(path_, 0, 0600);
  int r = SaveAsNobody();
  if (r == kCannotDropRights) GTEST_SKIP() << "cannot run as user 65534";
  EXPECT_EQ(r, 1);
  EXPECT_EQ(Contents(), kOriginal);
  // Read-only (0444) in a writable folder: refused, not replaced.
  Own(path_, kNobody, 0444);
  EXPECT_EQ(SaveAsNobody(), 1);
  EXPECT_EQ(Contents(), kOriginal);
  // Writable file in a folder that takes no new file (an install under /opt):
  // written in place, every other line kept.
  Own(dir_, 0, 0755);
  Own(path_, kNobody, 0644);
  EXPECT_EQ(SaveAsNobody(), 0);
  EXPECT_EQ(Contents(), "[Communication]\r\nPort=3\r\nRetryCmd=7\r\nCheckReply=0\r\nBaud=2\r\nLogicNo=1\r\n"
                        "CableLen=5\r\n[Other]\r\nKeep=me\r\n");
  struct stat st {};
  ASSERT_EQ(::stat(path_.c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, uid_t(kNobody));
}

TEST_F(SettingsModes, PortsBelowOneAndCheckReplyRoundTrip) {
  for (const char* port : {"0", "-1"}) {
    std::ofstream(path_, std::ios::binary) << "[Communication]\r\nPort=" << port << "\r\n";
    ReadLinkSettings(LinkSettings, path_);
    EXPECT_EQ(LinkSettings.PortName, std::string("COM") + port);
    ASSERT_NO_THROW(WriteLinkSettings(LinkSettings, path_));
    EXPECT_NE(Contents().find(std::string("Port=") + port + "\r\n"), std::string::npos) << Contents();
  }
  std::ofstream(path_, std::ios::binary) << kOriginal;
  ReadLinkSettings(LinkSettings, path_);
  EXPECT_EQ(LinkSettings.CheckReply, 0);
  WriteLinkSettings(LinkSettings, path_);
  EXPECT_NE(Contents().find("CheckReply=0"), std::string::npos);  // never written, kept as it stands
}

}  // namespace
