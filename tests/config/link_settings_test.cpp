#include "support/window_state_for_tests.h"
#include "config/link_settings.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;
using namespace vestok;

namespace {

class LinkSettingsFile : public ::testing::Test {
 protected:
  void SetUp() override {
    LinkSettings = TLinkSettings{};
    dir_ = fs::temp_directory_path() / ("vestok-cfg-" + std::to_string(::getpid()) + "-" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
    path_ = (dir_ / "Vestok.ini").string();
  }
  void TearDown() override {
    fs::permissions(dir_, fs::perms::owner_all);
    fs::remove_all(dir_);
  }
  void WriteFile(const std::string& text) { std::ofstream(path_, std::ios::binary) << text; }
  std::string ReadFile() {
    std::ifstream in(path_, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  fs::path dir_;
  std::string path_;
};

}  // namespace

TEST_F(LinkSettingsFile, NoFileGivesTheDefaults) {
  ReadLinkSettings(LinkSettings, path_);
  EXPECT_EQ(LinkSettings.PortName, "COM1");
  EXPECT_EQ(LinkSettings.Speed, 4800);
  EXPECT_EQ(LinkSettings.LogicNo, 1);
  EXPECT_EQ(LinkSettings.CableTimeout, 500);
  EXPECT_EQ(LinkSettings.TestCmd, 999999);
  EXPECT_EQ(LinkSettings.TestByte, 1000);
  EXPECT_EQ(LinkSettings.RetryCmd, 3);
  EXPECT_EQ(LinkSettings.RetryByte, 10);
  EXPECT_FALSE(fs::exists(path_)) << "reading never creates the file";
}

TEST_F(LinkSettingsFile, ValuesAreConvertedAsTheKeysSay) {
  WriteFile("[Communication]\r\nPort=12\r\nBaud=4\r\nLogicNo=258\r\nCableLen=150\r\n"
            "TestCmd=$10\r\nTestByte=+7\r\nRetryCmd=0x0A\r\nRetryByte=-2\r\n");
  ReadLinkSettings(LinkSettings, path_);
  EXPECT_EQ(LinkSettings.PortName, "COM12");
  EXPECT_EQ(LinkSettings.Speed, 9600);
  EXPECT_EQ(LinkSettings.LogicNo, 2);
  EXPECT_EQ(LinkSettings.CableTimeout, 1500);
  EXPECT_EQ(LinkSettings.TestCmd, 16);
  EXPECT_EQ(LinkSettings.TestByte, 7);
  EXPECT_EQ(LinkSettings.RetryCmd, 10);
  EXPECT_EQ(LinkSettings.RetryByte, -2);
}

TEST_F(LinkSettingsFile, UnreadableValuesGiveTheDefaults) {
  WriteFile("[Communication]\nPort=abc\nBaud=\nLogicNo=-1\nCableLen=0\nRetryCmd=abc\nRetryByte=2.5\n"
            "TestCmd=99999999999\nTestByte=12x\n");
  ReadLinkSettings(LinkSettings, path_);
  EXPECT_EQ(LinkSettings.PortName, "COM1");
  EXPECT_EQ(LinkSettings.Speed, 4800);
  EXPECT_EQ(LinkSettings.LogicNo, 255);
  EXPECT_EQ(LinkSettings.CableTimeout, 0);
  EXPECT_EQ(LinkSettings.RetryCmd, 3);
  EXPECT_EQ(LinkSettings.RetryByte, 10);
  EXPECT_EQ(LinkSettings.TestCmd, 999999);
  EXPECT_EQ(LinkSettings.TestByte, 1000);
}

TEST_F(LinkSettingsFile, SectionAndKeysMatchInAnyLetterCaseWithBlanks) {
  WriteFile("[other]\nPort=7\n[ COMMUNICATION ]\n  port  =  5  \nbAuD=4\n");
  ReadLinkSettings(LinkSettings, path_);
  EXPECT_EQ(LinkSettings.PortName, "COM5");
  EXPECT_EQ(LinkSettings.Speed, 9600);
}

TEST_F(LinkSettingsFile, DevicePathsAreKeptAsPaths) {
  WriteFile("[Communication]\nPort=/dev/ttyUSB0\n");
  ReadLinkSettings(LinkSettings, path_);
  EXPECT_EQ(LinkSettings.PortName, "/dev/ttyUSB0");
  WriteLinkSettings(LinkSettings, path_);
  EXPECT_NE(ReadFile().find("Port=/dev/ttyUSB0\n"), std::string::npos);
  LinkSettings.PortName = "/dev/ttyS2";  // has a port number: written as it
  WriteLinkSettings(LinkSettings, path_);
  EXPECT_NE(ReadFile().find("Port=3\n"), std::string::npos);
}

TEST_F(LinkSettingsFile, WriteKeepsOtherLinesAndOverwritesInPlace) {
  WriteFile("; hand-written\r\n[Display]\r\nFont=Arial\r\n[communication]\r\nRetryCmd=5\r\nport=2\r\n"
            "RetryByte=20\r\n\r\n[Tail]\r\nX=1\r\n");
  LinkSettings.PortName = "COM12";
  LinkSettings.Speed = 19200;
  LinkSettings.LogicNo = 7;
  LinkSettings.CableTimeout = 730;
  WriteLinkSettings(LinkSettings, path_);
  EXPECT_EQ(ReadFile(),
            "; hand-written\r\n[Display]\r\nFont=Arial\r\n[communication]\r\nRetryCmd=5\r\nport=12\r\n"
            "RetryByte=20\r\nBaud=8\r\nLogicNo=7\r\nCableLen=73\r\n\r\n[Tail]\r\nX=1\r\n");
}

TEST_F(LinkSettingsFile, WriteCreatesTheFileAndReadsBackTheSame) {
  LinkSettings.PortName = "COM3";
  LinkSettings.Speed = 9600;
  LinkSettings.LogicNo = 99;
  LinkSettings.CableTimeout = 1500;
  WriteLinkSettings(LinkSettings, path_);
  EXPECT_EQ(ReadFile(), "[Communication]\r\nPort=3\r\nBaud=4\r\nLogicNo=99\r\nCableLen=150\r\n");
  LinkSettings = TLinkSettings{};
  ReadLinkSettings(LinkSettings, path_);
  EXPECT_EQ(LinkSettings.PortName, "COM3");
  EXPECT_EQ(LinkSettings.Speed, 9600);
  EXPECT_EQ(LinkSettings.LogicNo, 99);
  EXPECT_EQ(LinkSettings.CableTimeout, 1500);
}

TEST_F(LinkSettingsFile, APortNameWithoutNumberIsRefusedAndNothingIsWritten) {
  WriteFile("[Communication]\nPort=4\n");
  LinkSettings.PortName = "COMX";
  try {
    WriteLinkSettings(LinkSettings, path_);
    FAIL() << "no error";
  } catch (const ConfigWriteError& e) {
    EXPECT_STREQ(e.what(), "'X' is not a valid integer value");
  }
  LinkSettings.PortName = "";
  EXPECT_THROW(WriteLinkSettings(LinkSettings, path_), ConfigWriteError);
  EXPECT_EQ(ReadFile(), "[Communication]\nPort=4\n");
}

TEST_F(LinkSettingsFile, AnUnwritableDirectoryWritesTheFileInPlace) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes anywhere";
  WriteFile("[Communication]\nPort=4\n");
  fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
  LinkSettings.PortName = "COM9";
  ASSERT_NO_THROW(WriteLinkSettings(LinkSettings, path_));
  EXPECT_EQ(ReadFile().rfind("[Communication]\nPort=9\n", 0), 0u) << ReadFile();
}

TEST_F(LinkSettingsFile, AMissingDirectoryReportsTheFile) {
  const std::string path = (dir_ / "gone" / "Vestok.ini").string();
  try {
    WriteLinkSettings(LinkSettings, path);
    FAIL() << "no error";
  } catch (const ConfigWriteError& e) {
    EXPECT_EQ(std::string(e.what()), "Unable to write to " + path);
  }
}

TEST_F(LinkSettingsFile, AFileThatCannotBeReplacedIsReported) {
  fs::create_directories(path_);  // a directory where the file should be: no one can write it
  try {
    WriteLinkSettings(LinkSettings, path_);
    FAIL() << "no error";
  } catch (const ConfigWriteError& e) {
    EXPECT_EQ(std::string(e.what()), "Unable to write to " + path_);
  }
  EXPECT_TRUE(fs::is_directory(path_));
  EXPECT_TRUE(fs::is_empty(dir_ / "Vestok.ini"));
  for (const auto& entry : fs::directory_iterator(dir_))  // no temporary file left behind
    EXPECT_EQ(entry.path().filename(), "Vestok.ini");
}

TEST_F(LinkSettingsFile, ALinkedFileIsWrittenThroughItsLinkAndAFifoIsNeitherReadNorReplaced) {
  const auto real = dir_ / "real.ini";
  std::ofstream(real, std::ios::binary) << "[Communication]\r\nPort=2\r\n";
  fs::create_symlink(real, path_);
  ReadLinkSettings(LinkSettings, path_);
  EXPECT_EQ(LinkSettings.PortName, "COM2");
  LinkSettings.PortName = "COM6";
  WriteLinkSettings(LinkSettings, path_);
  EXPECT_TRUE(fs::is_symlink(path_));
  std::ifstream in(real, std::ios::binary);
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  EXPECT_NE(text.find("Port=6\r\n"), std::string::npos);

  fs::remove(path_);
  ASSERT_EQ(::mkfifo(path_.c_str(), 0600), 0);
  LinkSettings = TLinkSettings{};
  ReadLinkSettings(LinkSettings, path_);  // returns at once with the defaults
  EXPECT_EQ(LinkSettings.PortName, "COM1");
  EXPECT_THROW(WriteLinkSettings(LinkSettings, path_), ConfigWriteError);
  EXPECT_TRUE(fs::is_fifo(path_));
}
