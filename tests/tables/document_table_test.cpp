#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tables/document_table.h"
#include "text/decimal_separator.h"

using namespace vestok;

namespace {

void AddItem(DocumentTable& t, int plu, std::string name = "x") {
  t.Append();
  t.SetInteger("PLUCode", plu);
  t.SetText("ItemName", name);
  t.Post();
}

std::vector<int> Plus(const DocumentTable& t) {
  std::vector<int> out;
  for (std::size_t r = 0; r < t.RowCount(); ++r) out.push_back(t.IntegerAt(r, 0).value_or(-1));
  return out;
}

struct Recorder : ITableObserver {
  std::vector<std::string> calls;
  void RowsAboutToBeInserted(std::size_t a, std::size_t) override { calls.push_back("+?" + std::to_string(a)); }
  void RowsInserted(std::size_t a, std::size_t) override { calls.push_back("+" + std::to_string(a)); }
  void RowsAboutToBeRemoved(std::size_t a, std::size_t) override { calls.push_back("-?" + std::to_string(a)); }
  void RowsRemoved(std::size_t a, std::size_t) override { calls.push_back("-" + std::to_string(a)); }
  void DataChanged(std::size_t r, int f) override { calls.push_back("d" + std::to_string(r) + "." + std::to_string(f)); }
  void AboutToReset() override { calls.push_back("R?"); }
  void Reset() override { calls.push_back("R"); }
  void CurrentChanged(std::size_t r) override {
    calls.push_back(r == DocumentTable::npos ? "c-" : "c" + std::to_string(r));
  }
};

}  // namespace

TEST(DocumentTable, ClosedTableRefusesWorkAndOpenGivesAnEmptyTable) {
  DocumentTable t(TableDefinition(tkItems));
  EXPECT_FALSE(t.IsOpen());
  EXPECT_THROW(t.Append(), TableUsageError);
  EXPECT_THROW(t.First(), TableUsageError);
  t.Open();
  EXPECT_TRUE(t.IsOpen());
  EXPECT_EQ(t.RecordCount(), 0u);
  EXPECT_EQ(t.RecNo(), 0u);
  EXPECT_TRUE(t.Eof());
  t.First();
  EXPECT_TRUE(t.Eof());
  EXPECT_TRUE(t.IsNull(0));
  EXPECT_EQ(t.AsInteger(0), 0);
  AddItem(t, 1);
  t.Close();
  EXPECT_FALSE(t.IsOpen());
  t.Open();
  EXPECT_EQ(t.RecordCount(), 0u);
}

TEST(DocumentTable, WalksRecordsInAppendOrderWithFirstNextEof) {
  DocumentTable t(TableDefinition(tkItems));
  t.Open();
  AddItem(t, 7);
  AddItem(t, 3);
  AddItem(t, 7);  // duplicates are kept
  EXPECT_EQ(t.RecordCount(), 3u);
  std::vector<int> seen;
  std::vector<std::size_t> recNos;
  for (t.First(); !t.Eof(); t.Next()) {
    seen.push_back(t.AsInteger("plucode"));
    recNos.push_back(t.RecNo());
  }
  EXPECT_EQ(seen, (std::vector<int>{7, 3, 7}));
  EXPECT_EQ(recNos, (std::vector<std::size_t>{1, 2, 3}));
  EXPECT_EQ(t.RecNo(), 3u);  // the last record stays current past the end
  EXPECT_TRUE(t.MoveTo(1));
  EXPECT_EQ(t.AsInteger(0), 3);
  EXPECT_FALSE(t.MoveTo(3));
  EXPECT_EQ(t.RecNo(), 2u);
}

TEST(DocumentTable, NullEmptyTextAndCutTextsStayApart) {
  DocumentTable t(TableDefinition(tkItems));
  t.Open();
  t.Append();
  t.SetText("ItemName", std::string(120, 'n'));
  t.SetText("Barcode", std::string(25, '9'));
  t.SetText("Dummy", "");
  t.Post();
  EXPECT_EQ(t.AsText("ItemName"), std::string(100, 'n'));
  EXPECT_EQ(t.AsText("Barcode"), std::string(20, '9'));
  EXPECT_FALSE(t.IsNull("Dummy"));
  EXPECT_EQ(t.AsText("Dummy"), "");
  EXPECT_TRUE(t.IsNull("PriceType"));
  EXPECT_EQ(t.AsInteger("PriceType"), 0);
  EXPECT_EQ(t.AsOptionalInteger("PriceType"), std::nullopt);
  EXPECT_TRUE(t.IsNull("Price"));
  t.SetText("Dummy", std::string("a\0b", 3));
  EXPECT_EQ(t.AsText("Dummy"), std::string("a\0b", 3));
  t.SetNull("Dummy");
  t.Post();
  EXPECT_TRUE(t.IsNull("Dummy"));
  EXPECT_THROW(t.AsText("NoSuchField"), TableUsageError);
  EXPECT_THROW(t.IsNull(9), TableUsageError);
}

TEST(DocumentTable, WritingAsTextConvertsByFieldTypeAndUserSeparator) {
  DocumentTable t(TableDefinition(tkItems));
  t.Open();
  t.Append();
  SetUserDecimalSeparator(',');
  t.SetText("Price", "3,5");
  EXPECT_DOUBLE_EQ(t.AsFloat("Price"), 3.5);
  EXPECT_EQ(t.AsText("Price"), "3,5");
  EXPECT_THROW(t.SetText("Price", "3.5"), FieldConversionError);
  EXPECT_DOUBLE_EQ(t.AsFloat("Price"), 3.5);  // unchanged by the refused write
  SetUserDecimalSeparator('.');
  t.SetText("Price", "12.75");
  EXPECT_EQ(t.AsText("Price"), "12.75");
  t.SetText("PLUCode", " 125 ");
  EXPECT_EQ(t.AsInteger("PLUCode"), 125);
  EXPECT_THROW(t.SetText("PLUCode", "12a"), FieldConversionError);
  EXPECT_THROW(t.SetText("PLUCode", "2147483648"), FieldConversionError);
  t.SetText("PLUCode", "");
  EXPECT_TRUE(t.IsNull("PLUCode"));
  t.SetFloat("VAT", 2.0);
  EXPECT_EQ(t.AsInteger("VAT"), 2);
  EXPECT_THROW(t.SetFloat("Price", std::numeric_limits<double>::quiet_NaN()), FieldConversionError);
  t.SetInteger("Barcode", -42);
  EXPECT_EQ(t.AsText("Barcode"), "-42");
  EXPECT_EQ(t.AsInteger("Barcode"), -42);
  t.SetText("ItemName", "abc");
  EXPECT_THROW(t.AsInteger("ItemName"), FieldConversionError);
  t.Post();
}

TEST(DocumentTable, EditCancelAndAppendCancelRestore) {
  DocumentTable t(TableDefinition(tkItems));
  t.Open();
  AddItem(t, 1, "one");
  t.Edit();
  EXPECT_EQ(t.State(), TableState::Edit);
  t.SetText("ItemName", "changed");
  t.SetInteger("PLUCode", 9);
  t.Cancel();
  EXPECT_EQ(t.AsText("ItemName"), "one");
  EXPECT_EQ(t.AsInteger("PLUCode"), 1);
  t.Append();
  EXPECT_EQ(t.RecordCount(), 1u);
  EXPECT_EQ(t.RowCount(), 2u);
  EXPECT_FALSE(t.HasStoredRecord() && t.RecordCount() == 2);
  t.Cancel();
  EXPECT_EQ(t.RowCount(), 1u);
  EXPECT_EQ(t.RecNo(), 1u);
  // A write in browse state starts an edit; moving stores it.
  t.SetInteger("VAT", 4);
  EXPECT_EQ(t.State(), TableState::Edit);
  t.First();
  EXPECT_EQ(t.State(), TableState::Browse);
  EXPECT_EQ(t.AsInteger("VAT"), 4);
}

TEST(DocumentTable, NoStoredRecordWhileTheFirstIsBeingTypedIn) {
  DocumentTable t(TableDefinition(tkItems));
  t.Open();
  t.Append();
  EXPECT_FALSE(t.HasStoredRecord());
  t.Post();
  EXPECT_TRUE(t.HasStoredRecord());
}

TEST(DocumentTable, DeleteMakesTheNextRecordCurrent) {
  DocumentTable t(TableDefinition(tkItems));
  t.Open();
  for (int i = 1; i <= 4; ++i) AddItem(t, i);
  t.MoveTo(1);
  t.Delete();
  EXPECT_EQ(t.AsInteger(0), 3);
  EXPECT_EQ(t.RecNo(), 2u);
  t.Last();
  t.Delete();  // the last: the new last becomes current
  EXPECT_EQ(t.AsInteger(0), 3);
  EXPECT_FALSE(t.Eof());
  t.First();
  t.Delete();
  t.Delete();
  EXPECT_EQ(t.RecordCount(), 0u);
  EXPECT_TRUE(t.Eof());
  EXPECT_EQ(t.RecNo(), 0u);
  EXPECT_THROW(t.Delete(), TableUsageError);
}

TEST(DocumentTable, BookmarksFollowTheirRecordThroughAppendsAndDeletes) {
  DocumentTable t(TableDefinition(tkItems));
  t.Open();
  for (int i = 1; i <= 5; ++i) AddItem(t, i);
  t.MoveTo(3);
  const Bookmark four = t.GetBookmark();
  const Bookmark two = t.BookmarkAt(1);
  t.First();
  t.Delete();  // 1 goes
  AddItem(t, 6);
  EXPECT_EQ(t.RowOfBookmark(four), 2u);
  EXPECT_TRUE(t.GotoBookmark(four));
  EXPECT_EQ(t.AsInteger(0), 4);
  EXPECT_TRUE(t.GotoBookmark(two));
  t.Delete();
  EXPECT_FALSE(t.BookmarkValid(two));
  EXPECT_EQ(t.RowOfBookmark(two), DocumentTable::npos);
  t.MoveTo(0);
  EXPECT_FALSE(t.GotoBookmark(two));
  EXPECT_EQ(t.RecNo(), 1u);  // a failed goto leaves the cursor alone
  EXPECT_FALSE(t.GotoBookmark(kNoBookmark));
  EXPECT_EQ(Plus(t), (std::vector<int>{3, 4, 5, 6}));
  t.Empty();
  EXPECT_FALSE(t.BookmarkValid(four));
  AddItem(t, 7);
  EXPECT_NE(t.GetBookmark(), four);  // ids are never reused
}

TEST(DocumentTable, DeletingFromTheFrontOfALargeTableStaysCheap) {
  DocumentTable t(TableDefinition(tkItems));
  t.Open();
  RecordBuilder b;
  for (int i = 0; i < 200000; ++i) {
    b.Reset(t.FieldCount());
    b.Set(0, CellValue::Int(i));
    t.AppendBuilt(b);
  }
  const Bookmark last = t.BookmarkAt(199999);
  t.First();
  int deleted = 0;
  while (!t.Eof()) {
    ASSERT_EQ(t.AsInteger(0), deleted);
    t.Delete();
    ++deleted;
    if (deleted == 100000) {
      EXPECT_EQ(t.RowOfBookmark(last), 99999u);
    }
  }
  EXPECT_EQ(deleted, 200000);
}

TEST(DocumentTable, RandomAccessByRowLeavesTheCursorAlone) {
  DocumentTable t(TableDefinition(tkItems));
  t.Open();
  AddItem(t, 1, "a");
  AddItem(t, 2, "b");
  t.First();
  EXPECT_EQ(t.TextAt(1, 1), "b");
  EXPECT_EQ(t.TextAt(1, 0), "2");
  EXPECT_TRUE(t.IsNullAt(1, 4));
  EXPECT_TRUE(t.IsNullAt(99, 0));  // a stale view asking past the end
  EXPECT_EQ(t.TextViewAt(99, 1), "");
  t.SetTextAt(1, 1, "bb");
  t.SetFloatAt(1, 4, 2.5);
  t.SetNullAt(1, 0);
  EXPECT_EQ(t.RecNo(), 1u);
  EXPECT_EQ(t.TextAt(1, 1), "bb");
  EXPECT_EQ(t.FloatAt(1, 4), 2.5);
  EXPECT_TRUE(t.IsNullAt(1, 0));
  EXPECT_THROW(t.SetTextAt(2, 1, "x"), TableUsageError);
  EXPECT_THROW(t.SetTextAt(0, 0, "x"), FieldConversionError);
}

TEST(DocumentTable, ObserversHearChangesAndOneResetAfterASuspendedStretch) {
  DocumentTable t(TableDefinition(tkItems));
  t.Open();
  Recorder r;
  t.AddObserver(&r);
  AddItem(t, 1);
  EXPECT_EQ(r.calls, (std::vector<std::string>{"+?0", "+0", "c0", "d0.0", "d0.1"}));
  r.calls.clear();
  t.SetTextAt(0, 1, "y");
  t.Delete();
  EXPECT_EQ(r.calls, (std::vector<std::string>{"d0.1", "-?0", "-0", "c-"}));
  r.calls.clear();
  t.SuspendNotifications();
  t.SuspendNotifications();
  for (int i = 0; i < 100; ++i) AddItem(t, i);
  t.First();
  t.Delete();
  t.ResumeNotifications();
  EXPECT_EQ(r.calls, (std::vector<std::string>{"R?"}));
  t.ResumeNotifications();
  EXPECT_EQ(r.calls, (std::vector<std::string>{"R?", "R", "c0"}));
  r.calls.clear();
  t.Empty();
  EXPECT_EQ(r.calls, (std::vector<std::string>{"R?", "R", "c-"}));
  t.RemoveObserver(&r);
  r.calls.clear();
  AddItem(t, 1);
  EXPECT_TRUE(r.calls.empty());
}

TEST(DocumentTable, ACustomTableTakesAnyFields) {
  DocumentTable t("tTest", {{"A", FieldType::Text, 3, "A"}, {"B", FieldType::Float, 0, ""}});
  t.Open();
  t.Append();
  t.SetText(0, "abcdef");
  t.SetFloat(1, -0.5);
  t.Post();
  EXPECT_EQ(t.AsText(0), "abc");
  EXPECT_EQ(t.AsFloat("b"), -0.5);
  EXPECT_EQ(t.Kind(), tkNone);
  std::vector<FieldDef> many(65, FieldDef{"F", FieldType::Integer, 0, ""});
  EXPECT_THROW({ DocumentTable big("big", many); }, TableUsageError);
}
