#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

#include "tables/table_file.h"

using namespace vestok;
namespace fs = std::filesystem;

namespace {

class TempDir {
 public:
  TempDir() {
    char name[] = "/tmp/vestok-save-XXXXXX";
    path_ = mkdtemp(name);
  }
  ~TempDir() { fs::remove_all(path_); }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }
  std::size_t EntryCount() const {
    return std::size_t(std::distance(fs::directory_iterator(path_), fs::directory_iterator()));
  }

 private:
  std::string path_;
};

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Lets `limit` bytes through, then every write fails (a disk that fills up).
class FailingFileSystem : public TableFileSystem {
 public:
  explicit FailingFileSystem(std::size_t limit) : limit_(limit) {}
  bool WriteAll(int fd, const char* data, std::size_t size) override {
    if (written_ + size > limit_) {
      const std::size_t part = limit_ - written_;
      TableFileSystem::WriteAll(fd, data, part);
      written_ = limit_;
      return false;
    }
    written_ += size;
    return TableFileSystem::WriteAll(fd, data, size);
  }
  bool failRename = false;
  bool Rename(const std::string& from, const std::string& to) override {
    return !failRename && TableFileSystem::Rename(from, to);
  }

 private:
  std::size_t limit_;
  std::size_t written_ = 0;
};

void FillHeadFoot(DocumentTable& t, int rows) {
  t.Open();
  for (int i = 0; i < rows; ++i) {
    t.Append();
    t.SetInteger(0, i);
    t.SetText(1, "line text number " + std::to_string(i));
    t.Post();
  }
}

}  // namespace

TEST(TableFileSave, WritesTheFileAndReplacesAnOldOne) {
  TempDir dir;
  DocumentTable t(TableDefinition(tkHeadFoot));
  FillHeadFoot(t, 3);
  std::ofstream(dir / "a.csv") << "old content that is longer than the new one, much longer, really much longer"
                                  " than three short lines of a header table .......................";
  SaveTableFile(t, dir / "a.csv");
  EXPECT_EQ(ReadAll(dir / "a.csv"), TableFileBytes(t));
  EXPECT_EQ(dir.EntryCount(), 1u);  // no temporary file left behind
  DocumentTable empty(TableDefinition(tkHeadFoot));
  empty.Open();
  SaveTableFile(empty, dir / "b.csv");
  EXPECT_EQ(ReadAll(dir / "b.csv"), "\"Line\",\"Text\",\r\n");
}

TEST(TableFileSave, AWriteFailingHalfWayKeepsTheOldFileWhole) {
  TempDir dir;
  DocumentTable t(TableDefinition(tkHeadFoot));
  FillHeadFoot(t, 20000);  // several write blocks
  const std::string oldBytes = "\"Line\",\"Text\",\r\n\"1\",\"old\",\r\n";
  std::ofstream(dir / "keep.csv", std::ios::binary) << oldBytes;
  for (std::size_t limit : {std::size_t(0), std::size_t(10), std::size_t(70000), std::size_t(300000)}) {
    FailingFileSystem failing(limit);
    EXPECT_THROW(SaveTableFile(t, dir / "keep.csv", failing), TableFileWriteError) << limit;
    EXPECT_EQ(ReadAll(dir / "keep.csv"), oldBytes);
    EXPECT_EQ(dir.EntryCount(), 1u);
  }
  FailingFileSystem renameFails(SIZE_MAX);
  renameFails.failRename = true;
  EXPECT_THROW(SaveTableFile(t, dir / "keep.csv", renameFails), TableFileWriteError);
  EXPECT_EQ(ReadAll(dir / "keep.csv"), oldBytes);
  EXPECT_EQ(dir.EntryCount(), 1u);
  // A failed save of a new file leaves nothing at all.
  FailingFileSystem failing(100);
  EXPECT_THROW(SaveTableFile(t, dir / "new.csv", failing), TableFileWriteError);
  EXPECT_FALSE(fs::exists(dir / "new.csv"));
  EXPECT_EQ(dir.EntryCount(), 1u);
}

TEST(TableFileSave, AFileThatCannotBeCreatedIsReportedBeforeWriting) {
  TempDir dir;
  DocumentTable t(TableDefinition(tkHeadFoot));
  FillHeadFoot(t, 1);
  EXPECT_THROW(SaveTableFile(t, dir / "missing/dir/x.csv"), TableFileCreateError);
  fs::create_directory(dir / "sub");
  EXPECT_THROW(SaveTableFile(t, dir / "sub"), TableFileCreateError);
  if (geteuid() != 0) {  // root may write anywhere
    std::ofstream(dir / "ro.csv") << "keep";
    chmod((dir / "ro.csv").c_str(), 0444);
    EXPECT_THROW(SaveTableFile(t, dir / "ro.csv"), TableFileCreateError);
    EXPECT_EQ(ReadAll(dir / "ro.csv"), "keep");
  }
}

TEST(TableFileSave, SavingThroughALinkReplacesTheLinkedFileAndKeepsItsMode) {
  TempDir dir;
  DocumentTable t(TableDefinition(tkHeadFoot));
  FillHeadFoot(t, 2);
  std::ofstream(dir / "real.csv") << "x";
  chmod((dir / "real.csv").c_str(), 0640);
  fs::create_symlink(dir / "real.csv", dir / "link.csv");
  SaveTableFile(t, dir / "link.csv");
  EXPECT_TRUE(fs::is_symlink(dir / "link.csv"));
  EXPECT_EQ(ReadAll(dir / "real.csv"), TableFileBytes(t));
  struct stat st;
  ASSERT_EQ(stat((dir / "real.csv").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(TableFileSave, SaveThenLoadReplacesContentWhenTheCallerEmptiesFirst) {
  TempDir dir;
  DocumentTable t(TableDefinition(tkHeadFoot));
  FillHeadFoot(t, 5);
  SaveTableFile(t, dir / "t.csv");
  EmptyTable(t);
  LoadTableFile(t, dir / "t.csv");
  EXPECT_EQ(t.RecordCount(), 5u);
  EXPECT_EQ(t.TextAt(4, 1), "line text number 4");
  std::ofstream(dir / "zero.csv");
  LoadTableFile(t, dir / "zero.csv");
  EXPECT_EQ(t.RecordCount(), 5u);
}
