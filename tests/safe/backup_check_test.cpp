// A backup folder is restored only when all of it is sound; otherwise every
// reason is given and no table is planned.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "safe/backup_check.h"
#include "tables/table_file.h"

namespace vestok {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

class BackupCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root = fs::temp_directory_path() / ("vestok-check-" + std::to_string(::getpid()));
    fs::remove_all(root);
    fs::create_directories(root);
  }
  void TearDown() override { fs::remove_all(root); }

  static void Save(const fs::path& dir, TableKind kind, std::vector<std::vector<std::string>> rows) {
    DocumentTable t(TableDefinition(kind));
    t.Open();
    for (const auto& row : rows) {
      t.Append();
      for (std::size_t f = 0; f < row.size(); ++f) t.SetText(int(f), row[f]);
      t.Post();
    }
    SaveTableFile(t, (dir / std::string(BackupFileName(kind))).string());
  }
  static std::string Read(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  static void Write(const fs::path& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary | std::ios::trunc) << bytes;
  }

  // A sound "Seria A" backup as RunBackup leaves it (the tables it needs here).
  fs::path SoundBackup(const std::string& name, int variant = 0) {
    const fs::path dir = root / name;
    fs::create_directories(dir);
    Save(dir, tkItems, {{"5", "ART5", "1", "5940000000001", "2.5", "0", "1", "1", ""}, {"9", "ART9"}});
    Save(dir, tkOperators, {{"1", "ANA", "111"}});
    Save(dir, tkHeadFoot, {{"1", "MAGAZIN"}, {"2", "STR. MARE"}});
    Save(dir, tkItemSales, {{"5", "1", "2.5"}});
    RegisterInfo info;
    info.FiscalNumber = "RO1234567";
    info.LogicNo = 1;
    info.Variant = variant;
    info.Records[tkItems] = 2;
    info.Records[tkOperators] = 1;
    info.Records[tkHeadFoot] = 2;
    info.Records[tkItemSales] = 1;
    EXPECT_TRUE(WriteRegisterInfo(dir.string(), info));
    return dir;
  }
  fs::path root;
};

TEST_F(BackupCheckTest, OnlyAWholeBackupIsPlannedEveryDamageIsRefusedWithAllItsReasons) {
  const BackupCheck sound = CheckBackup(SoundBackup("sound").string(), 0);
  ASSERT_TRUE(sound.Sound()) << sound.Reasons.front();
  std::vector<TableKind> kinds;
  for (const auto& t : sound.Plan.Tables) kinds.push_back(t->Kind());
  EXPECT_EQ(kinds, (std::vector<TableKind>{tkItems, tkOperators, tkHeadFoot}));  // item sales never go up
  EXPECT_EQ(sound.Plan.Records(), 5u);

  // register.txt as a Windows editor saves it (a byte-order mark, CR LF, empty lines).
  const fs::path edited = SoundBackup("edited");
  std::string crlf = "\xEF\xBB\xBF\r\n";
  for (char c : Read(edited / "register.txt")) crlf += c == '\n' ? std::string("\r\n\r\n") : std::string(1, c);
  Write(edited / "register.txt", crlf);
  const BackupCheck again = CheckBackup(edited.string(), 0);
  ASSERT_TRUE(again.Sound()) << again.Reasons.front();
  EXPECT_EQ(again.Plan.Info->FiscalNumber, "RO1234567");

  const fs::path outside = root / "outside.csv";
  const struct {
    const char* name;
    std::function<void(const fs::path&)> damage;
    std::optional<int> asked;
    Lines reasons;
  } cases[] = {
      {"cut-and-foreign",
       [&](const fs::path& d) {
         std::string items = Read(d / "items.csv");
         Write(d / "items.csv", items.substr(0, items.size() - 12));  // "9","ART
         Write(d / "header.csv", "\"PayTypeNo\",\"Text\",\r\n\"1\",\"NUMERAR\",\r\n\"2\",\"CARD\",\r\n");
         fs::remove(d / "item-sales.csv");
       },
       std::nullopt,
       {"items.csv: ultima linie (3) este taiata; fiecare linie se termina cu \",\" CR LF",
        "item-sales.csv lipseste din dosar",
        "header.csv nu incepe cu capul de tabel al acestui tabel (alte coloane sau fisier gol)"}},
      {"link-fifo-count",
       [&](const fs::path& d) {
         fs::rename(d / "operators.csv", outside);
         fs::create_symlink(outside, d / "operators.csv");
         fs::remove(d / "header.csv");
         ASSERT_EQ(::mkfifo((d / "header.csv").c_str(), 0600), 0);  // never opened blocking
         Write(d / "items.csv", Read(d / "items.csv") + "\"11\",\"ART11\",,,,,,,,\r\n");
       },
       1,
       {"Salvarea a fost facuta sub Seria A si se restaureaza doar sub aceasta varianta, nu sub Standard",
        "items.csv are 3 inregistrari, iar register.txt spune 2",
        "operators.csv este o legatura simbolica; se citesc doar fisiere din dosar",
        "header.csv nu este un fisier obisnuit"}},
      {"middle-lines",
       [&](const fs::path& d) {
         Write(d / "header.csv", "\"Line\",\"Text\",\r\n\"1\",\"MAG\"AZIN\",\r\n\"2\",\"STR\",\"X\",\r\n");
       },
       std::nullopt,
       {"header.csv: 2 linii nu au cele 2 valori ale tabelului, prima este linia 2"}},
      {"no-register-txt",
       [&](const fs::path& d) {
         fs::remove(d / "register.txt");
         std::string header = Read(d / "header.csv");
         Write(d / "header.csv", header.substr(0, header.size() - 3));  // without its "," CR LF
       },
       std::nullopt,
       {"register.txt lipseste din dosar: nu se stie a carei case este salvarea",
        "header.csv: ultima linie (3) este taiata; fiecare linie se termina cu \",\" CR LF"}},
      {"garbled",
       [&](const fs::path& d) {
         Write(d / "register.txt", "logical=1\nvariant=A\nrecords.items=2\nrecords.items=3\n"
                                   "\x01\x02garbage\nrecords.operators=un\nrecords.header=2");
       },
       std::nullopt,
       {"register.txt este deteriorat: cheia records.items= apare de mai multe ori",
        "register.txt este deteriorat: linia 5 nu are forma cheie=valoare",
        "register.txt este deteriorat: records.operators=un nu este un numar de inregistrari",
        "register.txt este deteriorat: ultima linie este taiata (linia 7)",
        "register.txt nu are numarul fiscal al casei (fiscal=)"}},
      {"without-keys",
       [&](const fs::path& d) { Write(d / "register.txt", "fiscal=RO1\nrecords.items=2\n"); },
       std::nullopt,
       {"register.txt nu are numarul logic al casei (logical=)",
        "register.txt nu are varianta de protocol (variant=)"}},
      {"standard-lists-pay-types",
       [&](const fs::path& d) {
         Save(d, tkPayType, {{"1", "NUMERAR"}});
         Write(d / "register.txt", "fiscal=RO1\nlogical=1\nvariant=S\nrecords.items=2\nrecords.pay-types=1\n");
       },
       std::nullopt,
       {"register.txt numeste tabelul pay-types.csv, pe care varianta Standard nu il are"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path dir = SoundBackup(c.name);
    c.damage(dir);
    const BackupCheck check = CheckBackup(dir.string(), c.asked);
    EXPECT_EQ(check.Reasons, c.reasons);
    EXPECT_TRUE(check.Plan.Tables.empty());
    fs::remove(outside);
  }
  EXPECT_EQ(CheckBackup((root / "none").string()).Reasons, (Lines{"Dosarul " + (root / "none").string() +
                                                                   " nu poate fi deschis"}));
}

}  // namespace
}  // namespace vestok
