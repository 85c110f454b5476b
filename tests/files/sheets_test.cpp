// Spreadsheets in and out: workbooks of several producers, the CSV forms a
// spreadsheet writes, the column mapping, and the round trip of an item list.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <unistd.h>

#include "sheets/sheet_export.h"
#include "sheets/sheet_import.h"
#include "sheets/sheet_read.h"
#include "sheets/zip_pack.h"
#include "tables/table_file.h"
#include "text/decimal_separator.h"

using namespace vestok;

namespace {

class TempDir {
 public:
  TempDir() {
    char name[] = "/tmp/vestok_sheets_XXXXXX";
    path_ = ::mkdtemp(name);
  }
  ~TempDir() { std::system(("rm -rf '" + path_ + "'").c_str()); }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  std::string Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(File(name), std::ios::binary) << bytes;
    return File(name);
  }

 private:
  std::string path_;
};

struct ItemsTable : DocumentTable {
  ItemsTable() : DocumentTable(TableDefinition(tkItems)) { Open(); }
};

// Reads `path` into a fresh items table through the titles of its first row.
ImportResult Import(const std::string& path, DocumentTable& table, const CsvOptions& csv = {}) {
  const SheetGrid grid = ReadSheet(path, 0, csv);
  return ImportRows(grid, MatchColumns(table, ColumnTitles(grid)), table);
}

std::string Rows(DocumentTable& t) {
  const std::string bytes = TableFileBytes(t);
  return bytes.substr(bytes.find('\n') + 1);  // without the header line
}

// The parts of an .xlsx as openpyxl writes them: the relationship namespace
// declared on the sheet element, absolute relationship targets, inline strings.
ZipEntries OpenpyxlStyle(const std::string& sheetTarget) {
  const std::string rel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
  return {
      {"docProps/app.xml", "<Properties/>"},
      {"xl/worksheets/sheet1.xml",
       "<worksheet xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>"
       "<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>PLU</t></is></c><c r=\"B1\" t=\"inlineStr\"><is><t>Nume</t></is></c>"
       "<c r=\"C1\" t=\"inlineStr\"><is><t>Pre\xC8\x9B</t></is></c><c r=\"D1\" t=\"inlineStr\"><is><t>EAN</t></is></c></row>"
       "<row r=\"2\"><c r=\"A2\" t=\"n\"><v>7</v></c><c r=\"B2\" t=\"inlineStr\"><is><t>P&#226;ine alb&#259;</t></is></c>"
       "<c r=\"C2\" t=\"n\"><v>2.5</v></c><c r=\"D2\" t=\"inlineStr\"><is><t>0594</t></is></c></row>"
       "</sheetData></worksheet>"},
      {"_rels/.rels",
       "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"><Relationship "
       "Type=\"" + rel + "/officeDocument\" Target=\"xl/workbook.xml\" Id=\"rId1\"/></Relationships>"},
      {"xl/workbook.xml",
       "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><workbookPr/><sheets><sheet "
       "xmlns:r=\"" + rel + "\" name=\"Articole\" sheetId=\"1\" state=\"visible\" r:id=\"rId1\"/></sheets></workbook>"},
      {"xl/_rels/workbook.xml.rels",
       "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\"><Relationship "
       "Type=\"" + rel + "/worksheet\" Target=\"" + sheetTarget + "\" Id=\"rId1\"/></Relationships>"},
      {"[Content_Types].xml",
       "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\"><Default Extension=\"rels\" "
       "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/><Default Extension=\"xml\" "
       "ContentType=\"application/xml\"/><Override PartName=\"/xl/workbook.xml\" "
       "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/><Override "
       "PartName=\"/xl/worksheets/sheet1.xml\" "
       "ContentType=\"application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml\"/></Types>"},
  };
}

std::string Ods() {
  return StoredZip({
      {"mimetype", "application/vnd.oasis.opendocument.spreadsheet"},
      {"content.xml",
       "<?xml version=\"1.0\" encoding=\"UTF-8\"?><office:document-content "
       "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
       "xmlns:table=\"urn:oasis:names:tc:opendocument:xmlns:table:1.0\" "
       "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\" office:version=\"1.2\"><office:body>"
       "<office:spreadsheet><table:table table:name=\"Foaie1\"><table:table-row>"
       "<table:table-cell office:value-type=\"string\"><text:p>Denumire</text:p></table:table-cell>"
       "<table:table-cell office:value-type=\"string\"><text:p>Cod</text:p></table:table-cell>"
       "<table:table-cell office:value-type=\"string\"><text:p>Departament</text:p></table:table-cell>"
       "<table:table-cell office:value-type=\"string\"><text:p>Tip pret</text:p></table:table-cell>"
       "</table:table-row><table:table-row>"
       "<table:table-cell office:value-type=\"string\"><text:p>\xC8\x9Auic\xC4\x83</text:p></table:table-cell>"
       "<table:table-cell office:value-type=\"float\" office:value=\"12\"><text:p>12</text:p></table:table-cell>"
       "<table:table-cell office:value-type=\"float\" office:value=\"3\"><text:p>3</text:p></table:table-cell>"
       "<table:table-cell office:value-type=\"string\"><text:p>Liber</text:p></table:table-cell>"
       "</table:table-row></table:table></office:spreadsheet></office:body></office:document-content>"},
      {"META-INF/manifest.xml",
       "<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\">"
       "<manifest:file-entry manifest:full-path=\"/\" "
       "manifest:media-type=\"application/vnd.oasis.opendocument.spreadsheet\"/>"
       "<manifest:file-entry manifest:full-path=\"content.xml\" manifest:media-type=\"text/xml\"/>"
       "</manifest:manifest>"},
  });
}

}  // namespace

TEST(Sheets, ItemsGoToXlsxAndComeBackTheSame) {
  SetUserDecimalSeparator('.');
  TempDir dir;
  ItemsTable items;
  LoadTableFromBytes(items,
                     "\"PLUCode\",\"ItemName\",\"VAT\",\"Barcode\",\"Price\",\"PriceType\",\"Stand\",\"Group\",\r\n"
                     "\"1\",\"P\xE2ine alb\xE3\",\"1\",\"0594000123456\",\"2.5\",\"2\",\"1\",\"4\",\r\n"
                     "\"2\",\"Suc 1,5L \"\"natural\"\"\",\"2\",,\"12.75\",\"0\",,\"3\",\r\n"
                     "\"300\",,\"0\",,\"1E-5\",\"1\",\"9\",\"9\",\r\n");
  const std::string xlsx = dir.File("articole.xlsx");
  ExportTableToXlsx(items, xlsx);

  // The workbook as a spreadsheet shows it: header frozen, the price type as
  // its text, the barcode a text cell, the price a number with two decimals.
  const SheetGrid grid = ReadSheet(xlsx);
  ASSERT_EQ(grid.Rows.size(), 4u);
  EXPECT_EQ(ColumnTitles(grid), (std::vector<std::string>{"Cod PLU", "Denumire articol", "TVA", "Cod bare", "Pret",
                                                          "Tip pret", "Stand", "Grup"}));
  EXPECT_EQ(grid.Rows[1][3].Type, SheetCell::Kind::Text);
  EXPECT_EQ(grid.Rows[1][3].Text, "0594000123456");
  EXPECT_EQ(grid.Rows[1][5].Text, "Liber max");
  EXPECT_EQ(grid.Rows[1][4].Type, SheetCell::Kind::Number);
  std::string sheetXml;
  for (const auto& [name, bytes] : ReadZipEntries(xlsx))
    if (name == "xl/worksheets/sheet1.xml") sheetXml = bytes;
  EXPECT_NE(sheetXml.find("state=\"frozen\""), std::string::npos);

  ItemsTable back;
  const ImportResult result = Import(xlsx, back);
  EXPECT_TRUE(result.Problems.empty());
  EXPECT_EQ(result.RowsAdded, 3u);
  EXPECT_EQ(Rows(back), Rows(items));

  // A sales report carries its total row and a native chart.
  DocumentTable sales(TableDefinition(tkGroupSales));
  sales.Open();
  LoadTableFromBytes(sales, "\"GroupNo\",\"Value\",\r\n\"1\",\"10.5\",\r\n\"2\",\"4\",\r\n");
  ExportTableToXlsx(sales, dir.File("grupe.xlsx"));
  const SheetGrid report = ReadSheet(dir.File("grupe.xlsx"));
  ASSERT_EQ(report.Rows.size(), 4u);
  EXPECT_EQ(report.Rows[3][0].Text, "Total");
  EXPECT_DOUBLE_EQ(report.Rows[3][1].Number, 14.5);
  bool chart = false;
  for (const auto& [name, bytes] : ReadZipEntries(dir.File("grupe.xlsx")))
    if (name == "xl/charts/chart1.xml") chart = bytes.find("<c:barChart>") != std::string::npos;
  EXPECT_TRUE(chart);
}

TEST(Sheets, WorkbooksOfOtherProducersReadOrSayWhy) {
  TempDir dir;
  // openpyxl's layout.
  ItemsTable items;
  ImportResult r = Import(dir.Write("openpyxl.xlsx", StoredZip(OpenpyxlStyle("/xl/worksheets/sheet1.xml"))), items);
  EXPECT_TRUE(r.Problems.empty());
  ASSERT_EQ(items.RecordCount(), 1u);
  EXPECT_EQ(items.TextAt(0, 0), "7");
  EXPECT_EQ(items.TextViewAt(0, 1), "P\xE2ine alb\xE3");
  EXPECT_EQ(*items.FloatAt(0, 4), 2.5);
  EXPECT_EQ(items.TextViewAt(0, 3), "0594");

  // A workbook whose cells cannot be reached is refused, not read as empty.
  EXPECT_THROW(ReadSheet(dir.Write("broken.xlsx", StoredZip(OpenpyxlStyle("worksheets/missing.xml")))), SheetError);
  EXPECT_THROW(ReadSheet(dir.Write("plain.xlsx", "not a zip")), SheetError);
  EXPECT_THROW(ReadSheet(dir.Write("one.xlsx", StoredZip(OpenpyxlStyle("/xl/worksheets/sheet1.xml"))), 1), SheetError);

  // An .ods, its columns in another order, the price type as a word.
  ItemsTable fromOds;
  r = Import(dir.Write("lista.ods", Ods()), fromOds);
  EXPECT_TRUE(r.Problems.empty());
  ASSERT_EQ(fromOds.RecordCount(), 1u);
  EXPECT_EQ(Rows(fromOds), "\"12\",\"\xDEuic\xE3\",,,,\"1\",\"3\",,,\r\n");
}

TEST(Sheets, CsvFormsAreDetectedAndBadValuesNamedByRowAndColumn) {
  TempDir dir;
  // A Romanian-locale spreadsheet's CSV: ";", decimal comma, Windows-1250.
  const std::string ro = "Cod;Denumire;Pret;Cod bare;TVA\r\n"
                         "1;P\xE2ine;2,50;0123;1\r\n"
                         ";;;;\r\n"
                         "2;Ceai;abc;;1\r\n"
                         "3;Cafea;10;;1,0\r\n"
                         "4;Lapte;3,2;;1,5\r\n";
  ItemsTable items;
  const SheetGrid grid = ReadSheet(dir.Write("ro.csv", ro));
  EXPECT_EQ(grid.Separator, ';');
  EXPECT_EQ(grid.Decimal, ',');
  EXPECT_FALSE(grid.Utf8);
  const ImportResult r = ImportRows(grid, MatchColumns(items, ColumnTitles(grid)), items);
  EXPECT_EQ(r.RowsAdded, 2u);
  ASSERT_EQ(r.Problems.size(), 2u);
  EXPECT_EQ(ProblemLine(grid, r.Problems[0]),
            "Rand 4, coloana C (Pret): valoarea \"abc\" nu este un numar (separator zecimal \",\"); "
            "randul nu a fost preluat");
  EXPECT_EQ(ProblemLine(grid, r.Problems[1]),
            "Rand 6, coloana E (TVA): numarul 1.5 nu este un numar intreg al campului; randul nu a fost preluat");
  EXPECT_EQ(Rows(items), "\"1\",\"P\xE2ine\",\"1\",\"0123\",\"2.5\",,,,,\r\n\"3\",\"Cafea\",\"1\",,\"10\",,,,,\r\n");

  // UTF-8 with its mark, TAB between values, decimal point; a character the
  // code page lacks comes in as '?', named, and noted for the check.
  ItemsTable utf;
  const ImportResult u =
      Import(dir.Write("tab.csv", "\xEF\xBB\xBFPLUCode\tItemName\tPrice\tBarcode\n5\t\xC8\x98" "ampon \xE2\x82\xAC 1\xE2\x80\x93" "2\t7.5\t\n"
                                  "6\tCeai \xF0\x9F\x8D\xB5\t1\t123456789012345678901234\n"),
             utf);
  EXPECT_EQ(u.RowsAdded, 2u);
  ASSERT_EQ(u.Problems.size(), 2u);
  EXPECT_EQ(u.Problems[1].Reason, "textul are 24 caractere; campul pastreaza primele 20");
  EXPECT_EQ(utf.TextViewAt(1, 3), "12345678901234567890");
  EXPECT_EQ(utf.TextViewAt(0, 1), "\xAA" "ampon \x80 1\x96" "2");
  EXPECT_EQ(utf.TextViewAt(1, 1), "Ceai ?");
  EXPECT_FALSE(u.Problems[0].RowLeftOut);
  ASSERT_EQ(utf.CodePageLosses().size(), 1u);
  EXPECT_EQ(utf.CodePageLosses()[0].Missing, U"\U0001F375");

  // Overrides win over the detection.
  const SheetGrid forced = ReadCsv("a,b;c\r\n1,5;2\r\n", {';', CsvEncoding::Cp1250, ','});
  ASSERT_EQ(forced.Rows.size(), 2u);
  EXPECT_EQ(forced.Rows[0][0].Text, "a,b");
  EXPECT_EQ(forced.Decimal, ',');
}

TEST(Sheets, RememberedAndGivenMappingsApplyToTheirTitlesOnly) {
  TempDir dir;
  const std::string store = dir.File("sub/coloane-foi.txt");
  ItemsTable items;
  const std::vector<std::string> titles = {"Articol nr", "Descriere scurta", "Pret", "Observatii"};
  std::vector<int> fields = MatchColumns(items, titles);
  EXPECT_EQ(fields, (std::vector<int>{-1, -1, 4, -1}));
  fields[0] = 0;
  fields[1] = 1;
  ASSERT_TRUE(SaveRememberedColumns("tItems", MappingToRemember(items, titles, fields), store));
  ASSERT_TRUE(SaveRememberedColumns("tOperators", {{"Articol nr", "OpNumber"}}, store));
  const RememberedColumns remembered = LoadRememberedColumns("tItems", store);
  EXPECT_EQ(MatchColumns(items, titles, remembered), fields);
  // Other titles: only the one the mapping knows takes its field.
  EXPECT_EQ(MatchColumns(items, {"Cod", "Articol nr", "Nume"}, remembered), (std::vector<int>{-1, 0, 1}));
  // --map, by field name or grid title; an unknown field is refused.
  EXPECT_EQ(MatchColumns(items, titles, ParseMapOption(items, "Articol nr=PLUCode,Observatii=Cod bare")),
            (std::vector<int>{0, -1, 4, 3}));
  EXPECT_THROW(ParseMapOption(items, "Pret=Pretul"), SheetError);
}
