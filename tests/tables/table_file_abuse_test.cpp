// Table files under abuse: a disk that fills up during a save, a file of one
// enormous line, binary garbage, a header alone. Each ends in a table error or
// a sound load, never a crash, and never costs the user the file or the rows
// they had.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

#include "tables/table_defs.h"
#include "tables/table_file.h"

using namespace vestok;
namespace fs = std::filesystem;

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteAll(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

class ScratchDir : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/vestok-abuse-XXXXXX";
    ASSERT_NE(mkdtemp(name), nullptr);
    dir_ = name;
  }
  void TearDown() override {
    if (mounted_) umount2(dir_.c_str(), MNT_DETACH);
    fs::remove_all(dir_);
  }
  std::string Path(const std::string& name) const { return dir_ + "/" + name; }

  std::string dir_;
  bool mounted_ = false;
};

void FillItems(DocumentTable& t, int rows) {
  t.Open();
  for (int i = 0; i < rows; ++i) {
    t.Append();
    t.SetInteger(0, i + 1);
    t.SetText(1, "Articol cu un nume destul de lung " + std::to_string(i));
    t.SetText(3, "5941234567890");
    t.Post();
  }
}

TEST_F(ScratchDir, SaveOntoAFullDiskKeepsTheOldFileAndFreesTheSpace) {
  // A small file system of its own; without the right to mount (a CI runner
  // without privileges) there is nothing to test.
  if (mount("tmpfs", dir_.c_str(), "tmpfs", 0, "size=64k") != 0) GTEST_SKIP() << "cannot mount a tmpfs here";
  mounted_ = true;

  DocumentTable small{TableDefinition(tkItems)};
  FillItems(small, 3);
  SaveTableFile(small, Path("items.csv"));
  const std::string old = ReadAll(Path("items.csv"));

  DocumentTable big{TableDefinition(tkItems)};
  FillItems(big, 3000);  // far more than 64 KiB
  EXPECT_THROW(SaveTableFile(big, Path("items.csv")), TableFileError);
  EXPECT_EQ(ReadAll(Path("items.csv")), old);
  EXPECT_EQ(big.RecordCount(), 3000u);  // the user's rows are all still there
  // Nothing half-written is left behind to hold the space: a save that fits
  // goes through afterwards.
  std::size_t entries = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir_)) ++entries;
  EXPECT_EQ(entries, 1u);
  SaveTableFile(small, Path("other.csv"));
  EXPECT_EQ(ReadAll(Path("other.csv")), old);
}

TEST_F(ScratchDir, OneTenMegabyteLineLoadsInReasonableTime) {
  const std::string header = "\"PLUCode\",\"ItemName\",\"VAT\",\"Barcode\",\"Price\",\"PriceType\",\"Stand\",\"Group\",\"Dummy\",\r\n";
  // A quoted name of 10 MB: the name is cut to its field's width.
  WriteAll(Path("long.csv"), header + "\"7\",\"" + std::string(10 << 20, 'N') + "\",\"1\",,\"2.5\",\r\n\"8\",\r\n");
  DocumentTable items{TableDefinition(tkItems)};
  items.Open();
  const auto start = std::chrono::steady_clock::now();
  LoadTableFile(items, Path("long.csv"));
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
  ASSERT_EQ(items.RecordCount(), 2u);
  EXPECT_EQ(items.TextAt(0, 1), std::string(100, 'N'));
  EXPECT_EQ(items.TextAt(0, 4), "2.5");
  EXPECT_EQ(items.TextAt(1, 0), "8");

  // The same length as one unquoted value in a number column is an error, not a hang.
  WriteAll(Path("longnum.csv"), header + std::string(10 << 20, '9') + ",\r\n");
  DocumentTable other{TableDefinition(tkItems)};
  other.Open();
  EXPECT_THROW(LoadTableFile(other, Path("longnum.csv")), TableFileValueError);
}

TEST_F(ScratchDir, BinaryGarbageEndsInATableErrorOrALoadNeverACrash) {
  std::mt19937 random(2026);
  for (int round = 0; round < 50; ++round) {
    std::string bytes(std::size_t(random() % 20000), '\0');
    for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
    WriteAll(Path("garbage.csv"), bytes);
    for (TableKind kind : {tkItems, tkSettings, tkHeadFoot}) {
      DocumentTable t{TableDefinition(kind)};
      t.Open();
      try {
        LoadTableFile(t, Path("garbage.csv"));
      } catch (const TableError&) {
      }
      // Whatever was loaded saves and loads back the same.
      const std::string saved = TableFileBytes(t);
      DocumentTable again{TableDefinition(kind)};
      again.Open();
      LoadTableFromBytes(again, saved);
      EXPECT_EQ(TableFileBytes(again), saved) << "round " << round;
    }
  }
}

TEST_F(ScratchDir, HeaderOnlyAddsNothingAndKeepsTheRowsThere) {
  WriteAll(Path("header.csv"), "\"PLUCode\",\"Qty\",\"Value\",\r\n");
  DocumentTable sales{TableDefinition(tkItemSales)};
  sales.Open();
  sales.Append();
  sales.SetInteger(0, 5);
  sales.Post();
  LoadTableFile(sales, Path("header.csv"));
  EXPECT_EQ(sales.RecordCount(), 1u);
  EXPECT_EQ(sales.TextAt(0, 0), "5");
}

}  // namespace

namespace {

TEST_F(ScratchDir, OnlyPlainFilesAreOpenedOrReplaced) {
  const std::string fifo = Path("fifo");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  DocumentTable items{TableDefinition(tkItems)};
  FillItems(items, 2);
  // A FIFO without a writer would hold the open for ever; /dev/zero would be
  // read for ever, and /dev/urandom until memory runs out.
  for (const std::string& path : {fifo, std::string("/dev/zero"), std::string("/dev/urandom")}) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_THROW(LoadTableFile(items, path), TableFileOpenError) << path;
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1)) << path;
    EXPECT_EQ(items.RecordCount(), 2u);
  }
  // Saving onto the FIFO neither blocks nor puts a plain file in its place.
  EXPECT_THROW(SaveTableFile(items, fifo), TableFileCreateError);
  struct stat st {};
  ASSERT_EQ(stat(fifo.c_str(), &st), 0);
  EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

}  // namespace
