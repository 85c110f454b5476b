// Download replies in a layout the program does not expect: too few or too
// many fields, values that are no numbers. Each is stored as its layout says
// or becomes that record's error line; a row edited in place keeps what the
// user had when the reply cannot be stored.
#include "jobs/job_fixture.h"

namespace vestok {
namespace {

class OddReply : public JobTest {
 protected:
  DocumentTable items{TableDefinition(tkItems)};
};

TEST_F(OddReply, SelectedRowKeepsItsValuesWhenTheReplyDoesNotConvert) {
  StartSim();
  // PLU 7 comes back with a price that is no number, PLU 8 with a VAT out of range.
  Preload(SimTable::Items, {{"7", "NOU", "1", "", "abc", "0", "1", "1", ""},
                            {"8", "NOU", "99999999999", "", "1.00", "0", "1", "1", ""}});
  Opened(items);
  AddRow(items, {"7", "VECHI", "2", "123", "4.5", "1", "3", "4", "d"});
  AddRow(items, {"8", "VECHI", "2", "123", "4.5", "1", "3", "4", "d"});
  Download(0, items, std::vector<Bookmark>{items.BookmarkAt(0), items.BookmarkAt(1)});
  EXPECT_EQ(log.Lines(), (Lines{"Descarcare articole - start", "Descarcare articol: 7", "Eroare la descarcare articol: 7",
                                "Descarcare articol: 8", "Eroare la descarcare articol: 8",
                                "Descarcare articole incheiata cu erori"}));
  ASSERT_EQ(items.RecordCount(), 2u);
  for (std::size_t row = 0; row < 2; ++row) {
    EXPECT_EQ(items.TextAt(row, 1), "VECHI");
    EXPECT_EQ(items.TextAt(row, 2), "2");
    EXPECT_EQ(items.TextAt(row, 4), "4.5");
  }
  EXPECT_EQ(items.State(), TableState::Browse);
}

TEST_F(OddReply, ShortAndLongRecordsAreStoredByTheirLayout) {
  StartSim();
  // Too few fields: the missing ones stay empty. Too many: the extra ones are
  // ignored. A name holding ";" shifts the fields after it.
  Preload(SimTable::Items, {{"1", "SCURT"},
                            {"2", "LUNG", "1", "", "1.00", "0", "1", "1", "", "x", "y", "z"},
                            {"3", "A;B", "1", "", "1.00", "0", "1", "1", ""}});
  Download(0, Opened(items));
  ASSERT_EQ(FirstFields(items), (Lines{"1", "2"}));
  EXPECT_EQ(items.TextAt(0, 1), "SCURT");
  EXPECT_EQ(items.TextAt(0, 2), "");
  EXPECT_EQ(items.TextAt(0, 4), "");
  EXPECT_EQ(items.TextAt(1, 7), "1");
  EXPECT_EQ(items.TextAt(1, 8), "");  // Dummy is never taken from a reply
  EXPECT_EQ(log.Lines().back(), "Descarcare articole incheiata cu erori");  // "B" is no VAT group
}

}  // namespace
}  // namespace vestok
