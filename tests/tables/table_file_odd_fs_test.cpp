// Saving a table where the usual save beside the file cannot work or would
// leave things behind: a read-only folder, a name near the system's limit, a
// dangling symbolic link, temporary files of an earlier save that was killed;
// and values that must load again after a save.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cfloat>
#include <filesystem>
#include <fstream>

#include "../config/as_nobody.h"
#include "files/safe_file_write.h"
#include "tables/table_file.h"

using namespace vestok;
namespace fs = std::filesystem;

namespace {

class OddFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/vestok-odd-XXXXXX";
    dir_ = ::mkdtemp(name);
    table_.Open();
    for (double v : {DBL_MAX, -DBL_MAX, 1.5, 1.7976931348623e308}) {
      table_.Append();
      table_.SetFloat(1, v);
      table_.Post();
    }
  }
  void TearDown() override {
    ::chmod(dir_.c_str(), 0700);
    fs::remove_all(dir_);
  }
  // Loads `path` into a new table and checks it holds the same records.
  void ExpectLoadsBack(const std::string& path) {
    DocumentTable back(TableDefinition(tkGroupSales));
    back.Open();
    ASSERT_NO_THROW(LoadTableFile(back, path));
    ASSERT_EQ(back.RecordCount(), table_.RecordCount());
    for (std::size_t row = 0; row < back.RecordCount(); ++row) EXPECT_EQ(back.FloatAt(row, 1), table_.FloatAt(row, 1));
  }
  std::string dir_;
  DocumentTable table_{TableDefinition(tkGroupSales)};
};

TEST_F(OddFolder, ExtremeValuesSaveSoThatTheyLoadAgain) {
  const std::string path = dir_ + "/g.csv";
  SaveTableFile(table_, path);
  ExpectLoadsBack(path);
}

TEST_F(OddFolder, LongNamesDanglingLinksAndStaleTemps) {
  // A name of 250 bytes: the temporary name stays short.
  const std::string longName = dir_ + "/" + std::string(246, 'n') + ".csv";
  ASSERT_NO_THROW(SaveTableFile(table_, longName));
  ExpectLoadsBack(longName);

  // A dangling link is written through: the file it names appears, the link stays.
  const std::string target = dir_ + "/target.csv", link = dir_ + "/link.csv";
  fs::create_symlink("target.csv", link);
  SaveTableFile(table_, link);
  EXPECT_TRUE(fs::is_symlink(link));
  ExpectLoadsBack(target);

  // A temporary file of a save whose process has ended goes; one of a running
  // process stays.
  const pid_t ended = ::fork();
  if (ended == 0) ::_exit(0);
  ::waitpid(ended, nullptr, 0);
  const std::string ours = TempNameFor(target);
  const std::string stem = ours.substr(0, ours.rfind('/') + 1) + fs::path(ours).filename().string().substr(0, 13);
  const std::string stale = stem + std::to_string(ended) + "-0.tmp";
  const std::string live = stem + "1-0.tmp";  // init never ends
  std::ofstream(stale) << "old";
  std::ofstream(live) << "busy";
  SaveTableFile(table_, target);
  EXPECT_FALSE(fs::exists(stale));
  EXPECT_TRUE(fs::exists(live));
  fs::remove(live);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 3);  // long, link, target
}

TEST_F(OddFolder, WritableFileInAReadOnlyFolderIsSavedInPlace) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to set up files of another user";
  const std::string path = dir_ + "/g.csv";
  std::ofstream(path) << "old";
  ASSERT_EQ(::chown(path.c_str(), kNobody, kNobody), 0);
  ASSERT_EQ(::chmod(dir_.c_str(), 0755), 0);  // root's folder: no new file for the user
  DocumentTable& table = table_;
  const int r = RunAsNobody([&] {
    try {
      SaveTableFile(table, path);
      return true;
    } catch (...) {
      return false;
    }
  });
  if (r == kCannotDropRights) GTEST_SKIP() << "cannot run as user 65534";
  EXPECT_EQ(r, 0);
  ExpectLoadsBack(path);
  struct stat st {};
  ASSERT_EQ(::stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_uid, uid_t(kNobody));  // the same file, not a new one
}

}  // namespace
