// The checks before an upload, the whole-register backup and restore, and the
// uploads of only what differs, against the simulated register.
#include <cstdlib>
#include <filesystem>

#include "engine/engine.h"
#include "jobs/job_fixture.h"
#include "safe/backup_check.h"
#include "safe/exchange_store.h"
#include "safe/register_backup.h"
#include "safe/table_compare.h"
#include "safe/upload_checks.h"
#include "sim/sim_preload.h"

namespace vestok {
namespace {

namespace fs = std::filesystem;

class SafeTest : public JobTest {
 protected:
  void SetUp() override {
    JobTest::SetUp();
    dir = fs::temp_directory_path() / ("vestok-safe-" + std::to_string(::getpid()) + "-" +
                                       ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  void TearDown() override {
    JobTest::TearDown();
    fs::remove_all(dir);
  }
  // Answers every question yes and leaves rows with errors out, as a command line does.
  struct TYesFace final : IEngineEvents, IEngineQuestions {
    void Event(const TEngineEvent& e) override { events.push_back(e); }
    TRowsWithErrors RowsWithErrors(const std::vector<std::string>&) override { return TRowsWithErrors::SendGood; }
    void CheckWarnings(const std::vector<std::string>&) override {}
    bool Confirm(TQuestion, const std::string&) override { return true; }
    std::vector<TEngineEvent> events;
  };
  std::unique_ptr<TEngine> Engine(int variant) {
    LinkSettings.PortName = port;
    LinkSettings.Speed = 9600;
    TEngineOptions options;
    options.Variant = variant;
    options.CopyFolder = (dir / "copies").string();
    return std::make_unique<TEngine>(TEngineLink{host, mainThread, LinkPort, log}, face, face, options);
  }
  TYesFace face;
  fs::path dir;
};

TEST_F(SafeTest, EveryCheckNamesRowFieldAndReason) {
  DocumentTable items{TableDefinition(tkItems)};
  Opened(items);
  AddRow(items, {"12", "COLA;MARE", "1", "", "3.5", "0", "1", "1", ""});
  AddRow(items, {"", "CIOCOLATA CU ALUNE 100G", "1", "", "1", "0", "1", "1", ""});
  AddRow(items, {"12", "APA", "1", "", "1", "5", "1", "1", ""});
  AddRow(items, {"13", "PAINE", "1", "", "1e16", "0", "1", "1", "x\x11"});
  AddRow(items, {"14", "NUME LUNG DE DOUAZECI\x13", "1", "", "1", "0", "1", "1", ""});  // the 0x13 is cut off
  const auto findings = CheckUploadRows(0, items);
  Lines lines;
  for (const auto& f : findings) lines.push_back(FindingLine(items, f));
  EXPECT_EQ(lines, (Lines{
                       "Eroare rand 1, Denumire articol: textul contine caracterul ;, care nu poate fi trimis",
                       "Avertisment rand 2, Denumire articol: denumirea are 23 caractere; casa pastreaza doar primele 20",
                       "Eroare rand 2, Cod PLU: campul cheie este gol",
                       "Eroare rand 3, Tip pret: tipul de pret trebuie sa fie Fix, Liber sau Liber max",
                       "Eroare rand 3, Cod PLU: valoarea 12 se repeta (ca la randul 1)",
                       "Eroare rand 4, Pret: numarul nu incape in campul casei",
                       "Eroare rand 4, Dummy: textul contine caracterul 0x11, care nu poate fi trimis",
                       "Avertisment rand 5, Denumire articol: denumirea are 22 caractere; casa pastreaza doar primele 20",
                   }));
  EXPECT_EQ(RowsWithoutErrors(items, findings), (std::vector<std::size_t>{4}));

  DocumentTable header{TableDefinition(tkHeadFoot)};
  Opened(header);
  AddRow(header, {"1", "MAGAZIN\r\nCENTRAL\x06"});
  Lines headerLines;
  for (const auto& f : CheckUploadRows(8, header)) headerLines.push_back(FindingLine(header, f));
  EXPECT_EQ(headerLines, (Lines{"Eroare rand 1, Text: textul contine caracterul CR, care nu poate fi trimis",
                                "Eroare rand 1, Text: textul contine caracterul LF, care nu poate fi trimis",
                                "Eroare rand 1, Text: textul contine caracterul 0x06, care nu poate fi trimis"}));
}

class SafeBackup : public SafeTest, public ::testing::WithParamInterface<int> {};

TEST_P(SafeBackup, BackupOfTheSampleRegisterRestoresIntoAnEmptyOne) {
  const int variant = GetParam();
  const SimVariant simVariant = variant == 0 ? SimVariant::SeriaA : SimVariant::Standard;
  TSimRegister original;
  original.FiscalNumber = "RO1234567";
  PreloadFolder(original.Memory, std::string(VESTOK_TEST_DATA_DIR) + "/sample", '.');
  StartSim(std::move(original), simVariant);
  std::vector<std::string> panels;
  host.onStatus = [&](int panel, const std::string& text) {
    if (panel == 1) panels.push_back(text);
  };

  const TOutcome backup = Engine(variant)->Backup((dir / "backup").string());
  ASSERT_EQ(backup.Kind, TOutcomeKind::Done) << log.Lines().back();
  const std::vector<TableKind> tables = DownloadableTables(variant);
  // One verdict for the whole run, the start of each table's download beside it.
  EXPECT_EQ(std::count_if(face.events.begin(), face.events.end(),
                          [](const TEngineEvent& e) { return e.Kind == TEventKind::Verdict; }),
            1);
  EXPECT_EQ(log.Lines().front(), "Salvare completa casa - start");
  EXPECT_EQ(log.Lines().back(), "Salvare completa casa incheiata fara erori");
  EXPECT_EQ(std::count(log.Lines().begin(), log.Lines().end(), "Descarcare articole - start"),
            std::ptrdiff_t(tables.size()));
  const std::string firstProgress = "Tabel 1 din " + std::to_string(tables.size()) + ", Descarcare articol: ";
  EXPECT_TRUE(std::any_of(panels.begin(), panels.end(),
                          [&](const std::string& p) { return p.rfind(firstProgress, 0) == 0; }));

  dir /= "backup";
  // What a backup writes passes its check, which plans every table it uploads.
  const BackupCheck check = CheckBackup(dir.string(), variant);
  ASSERT_TRUE(check.Sound()) << check.Reasons.front();
  const std::optional<RegisterInfo>& info = check.Plan.Info;
  ASSERT_TRUE(info);
  EXPECT_EQ(info->FiscalNumber, "RO1234567");
  EXPECT_EQ(info->Variant, variant);
  EXPECT_EQ(info->Port, port);
  for (TableKind k = 0; k < kTableCount; ++k) {
    const bool taken = std::find(tables.begin(), tables.end(), k) != tables.end();
    EXPECT_EQ(fs::exists(dir / std::string(BackupFileName(k))), taken) << int(k);
    if (!taken) {
      EXPECT_EQ(info->Records[k], -1);
      continue;
    }
    DocumentTable saved{TableDefinition(k)};
    Opened(saved);
    LoadTableFile(saved, (dir / std::string(BackupFileName(k))).string());
    EXPECT_GT(saved.RecordCount(), 0u) << int(k);
    EXPECT_EQ(info->Records[k], std::int64_t(saved.RecordCount())) << int(k);
    EXPECT_EQ(info->Errors[k], 0);
  }

  // An empty register takes the backup back; its own download gives the same tables.
  StartSim({}, simVariant);
  EXPECT_EQ(check.Plan.Tables.size(), UploadableTables(variant).size());
  EXPECT_EQ(Engine(variant)->Restore(dir.string()).Kind, TOutcomeKind::Done);
  EXPECT_EQ(log.Lines().back(), "Restaurare casa incheiata fara erori");
  for (TableKind k : UploadableTables(variant)) {
    DocumentTable back{TableDefinition(k)};
    Opened(back);
    Download(JobKindOf(variant, k), back);
    DocumentTable saved{TableDefinition(k)};
    Opened(saved);
    LoadTableFile(saved, (dir / std::string(BackupFileName(k))).string());
    ASSERT_GT(saved.RecordCount(), 0u) << int(k);
    ASSERT_EQ(back.RecordCount(), saved.RecordCount()) << int(k);
    // The link raises a to z, so the register holds the texts in capitals.
    EXPECT_TRUE(CompareTables(JobKindOf(variant, k), back, saved, ReferenceForm::Downloaded).Same()) << int(k);
  }
}

INSTANTIATE_TEST_SUITE_P(BothVariants, SafeBackup, ::testing::Values(0, 1));

TEST_F(SafeTest, OnlyTheChangedRowsGoOnTheWire) {
  StartSim({}, SimVariant::Standard);
  DocumentTable items{TableDefinition(tkItems)};
  Opened(items);
  for (int i = 1; i <= 30; ++i)
    AddRow(items, {std::to_string(i), "Articol " + std::to_string(i), "1", i % 2 ? "" : "5941234567890", "2.5",
                   "0", "1", "2", ""});
  Upload(100, items);
  ASSERT_EQ(job->ErrorCount(), 0);
  TExchangeStore store((dir / "data").string());
  const RegisterId id{"RO 1/2", 1};
  ASSERT_TRUE(store.Keep(id, items, 1000));
  EXPECT_EQ(store.TablePath(id, tkItems), (dir / "data" / "RO_1_2-1" / "items.csv").string());

  // As the register returns them, lower case, the joined barcodes and all.
  DocumentTable fromRegister{TableDefinition(tkItems)};
  Opened(fromRegister);
  Download(100, fromRegister);
  EXPECT_TRUE(CompareTables(100, items, fromRegister, ReferenceForm::Downloaded).Same());

  items.SetTextAt(4, 4, "9.99");
  items.SetTextAt(20, 1, "Alt nume");
  AddRow(items, {"31", "Nou", "1", "", "1", "0", "1", "2", ""});
  const TableComparison withRegister = CompareTables(100, items, fromRegister, ReferenceForm::Downloaded);
  EXPECT_EQ(withRegister.RowsToSend(), (std::vector<std::size_t>{4, 20, 30}));
  ASSERT_EQ(withRegister.Changed.size(), 2u);
  EXPECT_EQ(withRegister.Changed[0].Fields, (std::vector<int>{4}));
  EXPECT_EQ(withRegister.Changed[1].Fields, (std::vector<int>{1}));

  DocumentTable copy{TableDefinition(tkItems)};
  const CopyStatus status = store.Load(id, tkItems, copy, 2000);
  ASSERT_EQ(status.State, CopyState::Present);
  ASSERT_EQ(status.When, 1000);
  const std::vector<std::size_t> rows = CompareTables(100, items, copy, ReferenceForm::AsSent).RowsToSend();
  ASSERT_EQ(rows, withRegister.RowsToSend());

  sim->ClearTrace();
  std::vector<Bookmark> marks;
  for (std::size_t r : rows) marks.push_back(items.BookmarkAt(r));
  Upload(100, items, marks);
  EXPECT_EQ(Commands(), (Lines{"W0;5;5;ARTICOL 5;9.99;0;1;2;1;0;0;0;0;", "W0;21;21;ALT NUME;2.50;0;1;2;1;0;0;0;0;",
                               "W0;31;31;NOU;1.00;0;1;2;1;0;0;0;0;"}));
  ApplyRowsToCopy(copy, items, rows);
  EXPECT_TRUE(CompareTables(100, items, copy, ReferenceForm::AsSent).Same());
}

TEST_F(SafeTest, TheCopyHoldsWhatTheRegisterHoldsAsFarAsKnownAndNoMore) {
  TExchangeStore store((dir / "data").string());
  const RegisterId id{"RO1", 1};
  DocumentTable items{TableDefinition(tkItems)};
  Opened(items);
  for (const char* plu : {"5", "6", "7", "8"})
    AddRow(items, {plu, std::string("ART") + plu, "1", "", "1", "0", "1", "1", ""});
  ASSERT_TRUE(store.Keep(id, items, 1000));
  DocumentTable copy{TableDefinition(tkItems)};
  const CopyStatus future = store.Load(id, tkItems, copy, 999);
  EXPECT_EQ(future.State, CopyState::Future);
  EXPECT_FALSE(std::optional<std::time_t>(future));
  EXPECT_EQ(copy.RecordCount(), 0u);
  EXPECT_EQ(CopyStatusLine(future).rfind("Copia ultimului schimb cu aceasta casa poarta o ora viitoare (", 0), 0u);

  EXPECT_FALSE(store.Amend(id, tkItems, [](DocumentTable&) {}, 999));  // the future copy is dropped
  EXPECT_EQ(store.Load(id, tkItems, copy, 999).State, CopyState::None);
  EXPECT_TRUE(store.Amend(id, tkItems, [](DocumentTable&) { FAIL() << "no copy to amend"; }, 1000));
  // From nothing, a whole upload of which every row was acknowledged.
  ASSERT_TRUE(store.Amend(id, tkItems, [&](DocumentTable& c) {
    ApplyUploadToCopy(c, items, {0, 1, 2, 3}, {});
  }, 1000, true));

  // A delete removed 6; an upload: 5 acknowledged with a new price, 7 sent
  // but never acknowledged (the register may hold either), 8 not sent.
  ASSERT_TRUE(store.Amend(id, tkItems, [](DocumentTable& c) { RemoveRecordsFromCopy(c, {6}); }, 1100));
  items.SetTextAt(0, 4, "2.5");
  items.SetTextAt(2, 4, "3.5");
  items.SetTextAt(3, 4, "4.5");
  ASSERT_TRUE(store.Amend(id, tkItems, [&](DocumentTable& c) {
    ApplyUploadToCopyByBookmarks(c, items, {items.BookmarkAt(0)}, {items.BookmarkAt(2)});
  }, 1200));
  const CopyStatus present = store.Load(id, tkItems, copy, 1300);
  ASSERT_EQ(present.State, CopyState::Present);
  EXPECT_EQ(CopyStatusLine(present, 1300), CopyAgeText(1200, 1300));
  EXPECT_EQ(FirstFields(copy), (Lines{"5", "8"}));
  // So the changes to send are 6 and 7 (not there) and 8 (changed), not 5.
  EXPECT_EQ(CompareTables(0, items, copy, ReferenceForm::AsSent).RowsToSend(), (std::vector<std::size_t>{1, 2, 3}));

  // A single-record table: an unknown record leaves nothing known.
  DocumentTable format{TableDefinition(tkRecFmt)}, formatCopy{TableDefinition(tkRecFmt)};
  Opened(format);
  Opened(formatCopy);
  AddRow(format, {"1", "2"});
  AddRow(formatCopy, {"0", "0"});
  ApplyUploadToCopy(formatCopy, format, {}, {0});
  EXPECT_EQ(formatCopy.RecordCount(), 0u);

  // A copy that cannot be rewritten: the older one does not stay behind.
  const std::string path = store.TablePath(id, tkItems);
  fs::create_directories(path + ".time.tmp/x");
  EXPECT_FALSE(store.Keep(id, items, 1400));
  EXPECT_EQ(store.Load(id, tkItems, copy, 1500).State, CopyState::None);
  EXPECT_EQ(CopyStatusLine(store.Load(id, tkItems, copy)),
            "Nu exista o copie a ultimului schimb cu aceasta casa: se incarca tot tabelul");
  fs::remove_all(path + ".time.tmp");

  // One that can be neither rewritten nor removed is no copy to trust.
  ASSERT_TRUE(store.Keep(id, items, 1400));
  fs::remove(path);
  fs::create_directories(path + "/x");
  EXPECT_EQ(store.Load(id, tkItems, copy, 1500).State, CopyState::Unwritable);
  EXPECT_TRUE(store.Forget(id, tkItems));  // its time is gone: it counts as none
  EXPECT_EQ(store.Load(id, tkItems, copy, 1500).State, CopyState::None);
  fs::remove_all(path);
  if (::geteuid() != 0) {  // a read-only folder holds back nobody but root
    ASSERT_TRUE(store.Keep(id, items, 1400));
    fs::permissions(store.RegisterFolder(id), fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EQ(store.Load(id, tkItems, copy, 1500).State, CopyState::Unwritable);
    EXPECT_FALSE(store.Forget(id, tkItems));
    fs::permissions(store.RegisterFolder(id), fs::perms::owner_all);
  }
}

}  // namespace
}  // namespace vestok
