// Every table that can go both ways, uploaded into a fresh register and
// downloaded again, in both protocol variants: the table comes back whole.
// Texts are in capitals, as the register keeps them.
#include "jobs/job_fixture.h"

namespace vestok {
namespace {

struct RoundTrip {
  TableKind table;
  JobKind upload, download;
  std::vector<std::vector<std::string_view>> rows;
};

const std::vector<std::string_view> kSettingsRow = {"1", "0", "1", "0", "1", "0", "1", "2", "5", "",
                                                    "1", "2", "0", "", "", "1", "0", "1", "", "0"};

const RoundTrip kCases[] = {
    {tkItems, 0, 0, {{"1", "COLA 0.5", "1", "5941234567890", "3.5", "0", "1", "2"},
                     {"2", "P\xC3INE", "2", "", "0.25", "2", "3", "4"}}},
    {tkItems, 100, 100, {{"1", "COLA 0.5", "1", "5941234567890", "3.5", "0", "1", "2"},
                         {"2", "APA", "2", "123456789", "12", "1", "3", "4"}}},
    {tkOperators, 4, 4, {{"1", "ION POPESCU", "1234"}, {"2", "MARIA", ""}}},
    {tkOperators, 104, 104, {{"1", "ION POPESCU", "1234"}, {"2", "MARIA", "0"}}},
    {tkPayType, 5, 5, {{"1", "NUMERAR"}, {"2", "CARD"}}},
    {tkDisc, 6, 6, {{"1", "1", "2.5"}, {"2", "0", "10"}}},
    {tkDisc, 106, 106, {{"1", "1", "0.75"}}},
    {tkRecFmt, 7, 7, {{"1", "2", "0", "1", "0", "1", "3", "4"}}},
    {tkRecFmt, 107, 107, {{"0", "0", "0", "0", "0", "0", "0", "0"}}},
    {tkHeadFoot, 8, 8, {{"1", "MAGAZIN CENTRAL"}, {"2", "STR. MARE 1"}}},
    {tkHeadFoot, 108, 108, {{"1", "BINE ATI VENIT"}}},
    {tkSettings, 9, 9, {kSettingsRow}},
    {tkSettings, 109, 109, {kSettingsRow}},
};

class TableRoundTrip : public JobTest, public ::testing::WithParamInterface<RoundTrip> {};

TEST_P(TableRoundTrip, ComesBackAsItWent) {
  const RoundTrip& c = GetParam();
  StartSim({}, c.upload >= 100 ? SimVariant::Standard : SimVariant::SeriaA);
  DocumentTable source(TableDefinition(c.table));
  Opened(source);
  for (const auto& row : c.rows) {
    source.Append();
    for (std::size_t i = 0; i < row.size(); ++i) source.SetText(int(i), row[i]);
    source.Post();
  }
  Upload(c.upload, source);
  EXPECT_EQ(log.Lines().back(), "Incarcare articole incheiata fara erori");
  EXPECT_EQ(Stored(SimTable(c.table)).size(), c.rows.size());

  DocumentTable back(TableDefinition(c.table));
  Download(c.download, Opened(back));
  EXPECT_EQ(log.Lines().back(), "Descarcare articole incheiata fara erori");
  EXPECT_EQ(TableFileBytes(back), TableFileBytes(source));
}

INSTANTIATE_TEST_SUITE_P(EveryLayout, TableRoundTrip, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<RoundTrip>& info) {
                           return "JobKind" + std::to_string(info.param.upload);
                         });

TEST_F(JobTest, StandardShortBarcodeComesBackWithTheHighPartInFront) {
  // The Standard reply carries the barcode in two parts and the download
  // joins them as they come: "0" and "12345" give "012345".
  StartSim({}, SimVariant::Standard);
  DocumentTable items(TableDefinition(tkItems));
  AddRow(Opened(items), {"1", "A", "1", "12345", "1", "0", "1", "1", ""});
  Upload(100, items);
  EXPECT_EQ(Commands().back(), "W0;1;1;A;1.00;0;1;1;1;0;0;0;12345;");
  Download(100, items);
  EXPECT_EQ(items.TextAt(0, 3), "012345");
}

TEST_F(JobTest, UploadTextsGoOutInCapitals) {
  StartSim();
  DocumentTable head(TableDefinition(tkHeadFoot));
  AddRow(Opened(head), {"1", "Magazin Central"});
  Upload(8, head);
  EXPECT_EQ(Commands(), (Lines{"W6;1;MAGAZIN CENTRAL;"}));
  EXPECT_EQ(head.TextAt(0, 1), "Magazin Central");
}

}  // namespace
}  // namespace vestok
