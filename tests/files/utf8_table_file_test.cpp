// Table files that another program wrote in UTF-8: converted on reading,
// characters the code page lacks named by the check before an upload, and
// the bytes the register receives.
#include <gtest/gtest.h>

#include <fstream>
#include <unistd.h>

#include "jobs/job_fixture.h"
#include "safe/upload_checks.h"
#include "tables/table_file.h"
#include "text/utf8.h"

using namespace vestok;

namespace {

const std::string kHeader = "\"PLUCode\",\"ItemName\",\"VAT\",\"Barcode\",\"Price\",\"PriceType\",\"Stand\",\"Group\",\r\n";

std::string WriteTemp(const std::string& bytes) {
  char name[] = "/tmp/vestok_utf8_XXXXXX";
  const int fd = ::mkstemp(name);
  EXPECT_GE(fd, 0);
  EXPECT_EQ(::write(fd, bytes.data(), bytes.size()), ssize_t(bytes.size()));
  ::close(fd);
  return name;
}

class Utf8Upload : public JobTest {};

}  // namespace

TEST_F(Utf8Upload, Utf8FileIsConvertedMissingCharactersAreNamedAndTheRegisterGetsWindows1250) {
  // With a byte-order mark, comma-below letters (as today's keyboards type
  // them), and a rupee sign the code page lacks in the second row's name.
  const std::string path = WriteTemp(std::string(kUtf8Bom) + kHeader +
                                     "\"1\",\"P\xC3\xA2ine alb\xC4\x83 \xC8\x99i \xC8\x9B\",\"1\",\"0123\",\"2.5\",\"0\",\"1\",\"1\",\r\n"
                                     "\"2\",\"Ceai \xE2\x82\xB9 5\",\"1\",,\"3\",\"0\",\"1\",\"1\",\r\n");
  DocumentTable table(TableDefinition(tkItems));
  table.Open();
  TableFileReadInfo info;
  LoadTableFile(table, path, info);
  ::unlink(path.c_str());
  EXPECT_TRUE(info.Utf8);
  ASSERT_EQ(table.RecordCount(), 2u);
  EXPECT_EQ(table.TextViewAt(0, 1), "P\xE2ine alb\xE3 \xBAi \xFE");  // â ă ş ţ in Windows-1250
  EXPECT_EQ(table.TextViewAt(0, 3), "0123");
  EXPECT_EQ(table.TextViewAt(1, 1), "Ceai ? 5");
  ASSERT_EQ(info.LostCharacters.size(), 1u);
  EXPECT_EQ(info.LostCharacters[0].Row, 1u);
  EXPECT_EQ(info.LostCharacters[0].Field, 1);
  EXPECT_EQ(info.LostCharacters[0].Missing, U"\u20B9");

  // The check names the row and the field; a name typed over is no longer named.
  std::vector<CheckFinding> findings = CheckUploadRows(JobKind(0), table);
  ASSERT_EQ(findings.size(), 1u);
  EXPECT_EQ(FindingLine(table, findings[0]),
            "Eroare rand 2, Denumire articol: textul avea caractere pe care Windows-1250 nu le are (U+20B9), "
            "trecute ca ?");
  table.SetTextAt(1, 1, "Ceai 5");
  EXPECT_TRUE(CheckUploadRows(JobKind(0), table).empty());

  StartSim();
  Upload(JobKind(0), table);
  const std::vector<SimRecord> stored = Stored(SimTable::Items);
  ASSERT_EQ(stored.size(), 2u);
  ASSERT_GE(stored[0].size(), 2u);
  // Upper-cased on the wire as ASCII letters only; the rest are the code page's bytes.
  EXPECT_EQ(stored[0][1].substr(0, 20), std::string("P\xE2INE ALB\xE3 \xBAI \xFE").substr(0, 20));
  EmptyTable(table);
  EXPECT_TRUE(table.CodePageLosses().empty());
}

TEST(Utf8TableFile, Windows1250FilesLoadByteForByteAndDetectionNeedsTheWholeFile) {
  DocumentTable table(TableDefinition(tkItems));
  table.Open();
  TableFileReadInfo info;
  // "Ţuică" in Windows-1250: DE is a UTF-8 lead byte, but 75 is no continuation.
  LoadTableFromBytes(table, kHeader + "\"1\",\"\xDEuic\xE3\",,,,,,,\r\n", info);
  EXPECT_FALSE(info.Utf8);
  EXPECT_EQ(table.TextViewAt(0, 1), "\xDEuic\xE3");
  // "ĂŞ" is a UTF-8 pair on its own, but a later single "ş" makes the file Windows-1250.
  table.Empty();
  LoadTableFromBytes(table, kHeader + "\"1\",\"\xC3\xAA\",,,,,,,\r\n\"2\",\"\xBA\",,,,,,,\r\n", info);
  EXPECT_FALSE(info.Utf8);
  EXPECT_EQ(table.TextViewAt(0, 1), "\xC3\xAA");
  // Plain ASCII is the same either way and is not reported as UTF-8.
  table.Empty();
  LoadTableFromBytes(table, kHeader + "\"1\",\"Paine\",,,,,,,\r\n", info);
  EXPECT_FALSE(info.Utf8);
  // A UTF-8 name longer than the field is cut to the field's width in characters.
  table.Empty();
  std::string longName;
  for (int i = 0; i < 120; ++i) longName += "\xC4\x83";  // ă
  LoadTableFromBytes(table, kHeader + "\"1\",\"" + longName + "\",,,,,,,\r\n", info);
  EXPECT_TRUE(info.Utf8);
  EXPECT_EQ(table.TextViewAt(0, 1), std::string(100, '\xE3'));

  // Files bigger than one read: the answer comes from the whole file, and
  // the file is then read from its start.
  std::string big = kHeader;
  while (big.size() < (3u << 20)) big += "\"1\",\"Paine\",,,,,,,\r\n";
  for (const auto& [tail, utf8, name] : {std::tuple{"\xC8\x99", true, "\xBA"}, std::tuple{"\xBA", false, "\xBA"}}) {
    const std::string path = WriteTemp(big + "\"2\",\"" + tail + "\",,,,,,,\r\n");
    table.Empty();
    LoadTableFile(table, path, info);
    ::unlink(path.c_str());
    EXPECT_EQ(info.Utf8, utf8);
    EXPECT_EQ(table.TextViewAt(0, 1), "Paine");
    EXPECT_EQ(table.TextViewAt(table.RecordCount() - 1, 1), name);
  }
}

TEST(TableFileColumns, ColumnsThatAreNoFieldAreNamedInOneLineThatFitsAPanel) {
  DocumentTable table(TableDefinition(tkItems));
  table.Open();
  TableFileReadInfo info;
  // A shop program's names beside the table's (an empty one is no column).
  LoadTableFromBytes(table, "\"plucode\",\"Name\",\"Pret \xC8\x9B\",,\"price\",\r\n\"7\",\"PAINE\",\"2\",,\"3\",\r\n", info);
  EXPECT_EQ(info.IgnoredColumns, (std::vector<std::string>{"Name", "Pret \xFE"}));  // UTF-8 names in the code page
  EXPECT_EQ(IgnoredColumnsNotice(info, 1), "Coloane ignorate: Name si inca 1");
  // A Romanian-locale CSV is one column of the header; its name is cut for a panel.
  LoadTableFromBytes(table, "Cod;Denumire;Pret;Cod bare\r\n1;PAINE;2,5;\r\n", info);
  EXPECT_EQ(IgnoredColumnsNotice(info), "Coloane ignorate: Cod;Denumire;Pre...");
  LoadTableFromBytes(table, kHeader, info);
  EXPECT_EQ(IgnoredColumnsNotice(info), "");
}
