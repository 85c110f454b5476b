#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <string>
#include <unistd.h>

#include "tables/table_file.h"
#include "text/decimal_separator.h"

using namespace vestok;

namespace {

struct Loaded {
  DocumentTable table;
  explicit Loaded(TableKind kind) : table(TableDefinition(kind)) { table.Open(); }
};

// The rows of a table as text, "|" between fields, "~" for no value.
std::string Dump(const DocumentTable& t) {
  std::string out;
  for (std::size_t r = 0; r < t.RowCount(); ++r) {
    for (int f = 0; f < t.FieldCount(); ++f) {
      if (f) out += '|';
      out += t.IsNullAt(r, f) ? "~" : t.TextAt(r, f);
    }
    out += '\n';
  }
  return out;
}

std::string Load(TableKind kind, std::string_view bytes) {
  Loaded l(kind);
  LoadTableFromBytes(l.table, bytes);
  return Dump(l.table);
}

// Every field of a row gets a value, no value or (texts) an empty text.
void FillRandomRow(DocumentTable& t, std::mt19937& rng) {
  t.Append();
  for (int f = 0; f < t.FieldCount(); ++f) {
    const int pick = int(rng() % 4);
    if (pick == 0) continue;  // no value
    switch (t.Fields()[std::size_t(f)].type) {
      case FieldType::Integer: t.SetInteger(f, std::int32_t(rng())); break;
      case FieldType::Float: t.SetFloat(f, double(std::int32_t(rng())) / 1000.0); break;
      case FieldType::Text: {
        std::string s;
        if (pick > 1)
          for (int n = int(rng() % 30); n > 0; --n) s += char(1 + rng() % 255);  // a NUL ends a text read back
        t.SetText(f, s);
      }
    }
  }
  t.Post();
}

}  // namespace

TEST(TableFileRead, EveryTableRoundTripsNoValuesEmptyTextsAndOddBytes) {
  std::mt19937 rng(5);
  for (int k = 0; k < kTableCount; ++k) {
    Loaded original{TableKind(k)};
    for (int i = 0; i < 60; ++i) FillRandomRow(original.table, rng);
    const std::string bytes = TableFileBytes(original.table);
    Loaded back{TableKind(k)};
    LoadTableFromBytes(back.table, bytes);
    EXPECT_EQ(Dump(back.table), Dump(original.table)) << k;
    for (std::size_t r = 0; r < 60; ++r) {
      for (int f = 0; f < original.table.FieldCount(); ++f) {
        if (original.table.Fields()[std::size_t(f)].type == FieldType::Float) {
          EXPECT_EQ(back.table.FloatAt(r, f), original.table.FloatAt(r, f));
        }
      }
    }
  }
}

TEST(TableFileRead, TheExampleLoadsBackAndAppendsAfterExistingRecords) {
  const std::string file =
      "\"PLUCode\",\"ItemName\",\"VAT\",\"Barcode\",\"Price\",\"PriceType\",\"Stand\",\"Group\",\"Dummy\",\r\n"
      "\"1\",\"Paine alba\",\"1\",\"1234567890128\",\"2.5\",\"0\",\"1\",\"1\",,\r\n"
      "\"25\",\"Suc 1,5L \"\"natural\"\" 10%%\",\"2\",,\"12.75\",\"1\",\"2\",\"3\",,\r\n";
  Loaded l(tkItems);
  LoadTableFromBytes(l.table, file);
  LoadTableFromBytes(l.table, file);
  EXPECT_EQ(Dump(l.table), std::string("1|Paine alba|1|1234567890128|2.5|0|1|1|~\n"
                                       "25|Suc 1,5L \"natural\" 10%|2|~|12.75|1|2|3|~\n") +
                               "1|Paine alba|1|1234567890128|2.5|0|1|1|~\n"
                               "25|Suc 1,5L \"natural\" 10%|2|~|12.75|1|2|3|~\n");
}

TEST(TableFileRead, LinesEndAtAnyRunOfCrLfNulAndTheLastNeedsNoEnd) {
  EXPECT_EQ(Load(tkHeadFoot, ""), "");
  EXPECT_EQ(Load(tkHeadFoot, "\"Line\",\"Text\",\r\n"), "");
  using namespace std::string_literals;
  EXPECT_EQ(Load(tkHeadFoot, "\"Line\",\"Text\",\n\n\r\r\"1\",\"a\",\r\n\r\n\0\0\"2\",\"b\"\n\r\0\"3\",\"c\","s),
            "1|a\n2|b\n3|c\n");
}

TEST(TableFileRead, HeaderNamesMatchInAnyCaseAndOrderUnknownColumnsIgnored) {
  EXPECT_EQ(Load(tkHeadFoot, "\"text\",\"X\",\"LINE\",\r\n\"a\",\"zz\",\"4\",\r\n"), "4|a\n");
  // Another table's file fills only the shared names.
  EXPECT_EQ(Load(tkPayType, "\"Line\",\"Text\",\r\n\"1\",\"abc\",\r\n"), "~|abc\n");
  EXPECT_EQ(Load(tkPayType, "\"A\",\"B\",\r\n\"1\",\"abc\",\r\n\"2\",,\r\n"), "~|~\n~|~\n");
  // Two columns of the same name: the later value wins.
  EXPECT_EQ(Load(tkHeadFoot, "Line,Line,\r\n1,2,\r\n"), "2|~\n");
}

TEST(TableFileRead, WithoutAHeaderTheFirstLineIsTakenAsOne) {
  EXPECT_EQ(Load(tkHeadFoot, "\"1\",\"a\",\r\n\"2\",\"b\",\r\n"), "~|~\n");
  EXPECT_EQ(Load(tkHeadFoot, "\"1\",\"Text\",\r\n\"2\",\"b\",\r\n"), "~|b\n");
}

TEST(TableFileRead, AFileBeginningWithALineEndReadsItsNextLineAsData) {
  EXPECT_EQ(Load(tkHeadFoot, "\r\n\"2\",\"b\",\r\n"), "2|b\n");
}

TEST(TableFileRead, ShortLinesLeaveNoValuesAndExtraValuesAreIgnored) {
  EXPECT_EQ(Load(tkDisc, "RowNum,Allowed,Value,\r\n\"1\",\r\n\"2\",\"1\",\"0.5\",\"9\",\"x\",\r\n3\r\n"),
            "1|~|~\n2|1|0.5\n3|~|~\n");
}

TEST(TableFileRead, QuotedAndUnquotedValuesAndTheirEdges) {
  // Unquoted values, quotes inside them are ordinary characters.
  EXPECT_EQ(Load(tkHeadFoot, "Line,Text,\r\n7,ab\"c,\r\n"), "7|ab\"c\n");
  // After a closing quote exactly one character is skipped, whatever it is.
  EXPECT_EQ(Load(tkHeadFoot, "Line,Text,\r\n\"7\"x\"ab\"\r\n"), "7|ab\n");
  // An unclosed quote takes the rest of the line.
  EXPECT_EQ(Load(tkHeadFoot, "Line,Text,\r\n\"7\",\"ab,\"\"c,d\r\n"), "7|ab,\"c,d\n");
  // An empty quoted value: no value for numbers, an empty text for texts.
  EXPECT_EQ(Load(tkHeadFoot, "Line,Text,\r\n\"\",\"\",\r\n"), "~|\n");
}

TEST(TableFileRead, TextEscapesAndWidthCut) {
  EXPECT_EQ(Load(tkHeadFoot, "Line,Text,\r\n,\"a%cb%nc%%d%xe%\",\r\n"), "~|a\rb\nc%d%xe%\n");
  EXPECT_EQ(Load(tkHeadFoot, "Line,Text,\r\n,\"ab%0cd\",\r\n"), "~|ab\n");
  EXPECT_EQ(Load(tkPayType, "PayTypeNo,Text,\r\n,\"" + std::string(25, 'x') + "\",\r\n"),
            "~|" + std::string(20, 'x') + "\n");
  // The cut counts the bytes after unescaping.
  EXPECT_EQ(Load(tkPayType, "PayTypeNo,Text,\r\n,\"" + std::string(19, 'x') + "%%%%\",\r\n"),
            "~|" + std::string(19, 'x') + "%\n");
}

TEST(TableFileRead, IntegerAndFloatGrammars) {
  EXPECT_EQ(Load(tkDisc, "RowNum,Allowed,Value,\r\n\"  +12\",\"$1F\",\" 2.5e1 \",\r\n\"-2147483648\",\"0x10\",\"-0\",\r\n"),
            "12|31|25\n-2147483648|16|0\n");
  SetUserDecimalSeparator(',');  // regional settings play no part
  EXPECT_EQ(Load(tkDisc, "RowNum,Allowed,Value,\r\n1,2,3.25,\r\n"), "1|2|3,25\n");
  SetUserDecimalSeparator('.');
  for (const char* bad : {"\"12 \"", "\"1.5\"", "\"2147483648\"", "\"abc\"", "\" \"", "\"0x\"", "\"$FFFFFFFF\""}) {
    Loaded l(tkDisc);
    EXPECT_THROW(LoadTableFromBytes(l.table, std::string("RowNum,\r\n") + bad + ",\r\n"), TableFileValueError)
        << bad;
  }
  for (const char* bad : {"\"2,5\"", "\"1e999\"", "\"1.2.3\"", "\"e5\"", "\"NAN\""}) {
    Loaded l(tkDisc);
    EXPECT_THROW(LoadTableFromBytes(l.table, std::string("Value,\r\n") + bad + ",\r\n"), TableFileValueError)
        << bad;
  }
}

TEST(TableFileRead, ABadValueStopsTheLoadAndKeepsWhatCameBefore) {
  const std::string head = "RowNum,Allowed,Value,\r\n\"1\",\"1\",\"1\",\r\n";
  {  // The failing value is not the first: the line's record stays with the values before it.
    Loaded l(tkDisc);
    try {
      LoadTableFromBytes(l.table, head + "\"2\",\"x\",\"2\",\r\n\"3\",\"3\",\"3\",\r\n");
      FAIL();
    } catch (const TableFileValueError& e) {
      EXPECT_EQ(e.line(), 3u);
      EXPECT_EQ(e.column(), 1u);
    }
    EXPECT_EQ(Dump(l.table), "1|1|1\n2|~|~\n");
  }
  {  // The first value fails: the record is dropped.
    Loaded l(tkDisc);
    EXPECT_THROW(LoadTableFromBytes(l.table, head + "\"x\",\"2\",\"2\",\r\n\"3\",\"3\",\"3\",\r\n"),
                 TableFileValueError);
    EXPECT_EQ(Dump(l.table), "1|1|1\n");
  }
  {  // The first value of a matched column counts, an ignored column before it does not.
    Loaded l(tkDisc);
    EXPECT_THROW(LoadTableFromBytes(l.table, "Junk,Allowed,\r\n\"q\",\"x\",\r\n"), TableFileValueError);
    EXPECT_EQ(Dump(l.table), "");
  }
  {  // A no-value given before the failing one keeps the record.
    Loaded l(tkDisc);
    EXPECT_THROW(LoadTableFromBytes(l.table, "RowNum,Allowed,\r\n,\"x\",\r\n"), TableFileValueError);
    EXPECT_EQ(Dump(l.table), "~|~|~\n");
  }
}

TEST(TableFileRead, ADefinitionBlockBeforeTheHeaderIsSkipped) {
  EXPECT_EQ(Load(tkHeadFoot,
                 "\"@@FILE VERSION@@\",\"251\",\r\n\"@@TABLEDEF START@@\",\r\n\"Line=Integer\",\r\n"
                 "\"Text=String,100\",\r\n\"@@TABLEDEF END@@\",\r\n\"Line\",\"Text\",\r\n\"1\",\"a\",\r\n"),
            "1|a\n");
  EXPECT_EQ(Load(tkHeadFoot, "\"@@TABLEDEF START@@\",\r\n\"Line\",\"Text\",\r\n\"1\",\"a\",\r\n"), "");
}

TEST(TableFileRead, LoadingSuspendsNotificationsAndResetsOnceEvenOnError) {
  struct Counter : ITableObserver {
    int resets = 0, other = 0;
    void Reset() override { ++resets; }
    void RowsInserted(std::size_t, std::size_t) override { ++other; }
  } counter;
  Loaded l(tkHeadFoot);
  l.table.AddObserver(&counter);
  LoadTableFromBytes(l.table, "Line,Text,\r\n1,a,\r\n2,b,\r\n");
  EXPECT_THROW(LoadTableFromBytes(l.table, "Line,Text,\r\n1,a,\r\nx,b,\r\n"), TableFileValueError);
  EXPECT_EQ(counter.resets, 2);
  EXPECT_EQ(counter.other, 0);
  EXPECT_FALSE(l.table.NotificationsSuspended());
  EXPECT_EQ(l.table.RecordCount(), 3u);
}

TEST(TableFileRead, FilesAreReadInBlocksWithLinesAcrossThem) {
  char name[] = "/tmp/vestok-tables-XXXXXX";
  const int fd = mkstemp(name);
  ASSERT_GE(fd, 0);
  close(fd);
  std::string bytes = "\"Line\",\"Text\",\r\n";
  for (int i = 0; i < 40000; ++i) bytes += "\"" + std::to_string(i) + "\",\"" + std::string(i % 97, 'q') + "\",\r\n";
  bytes += "\"-1\",\"" + std::string(3'000'000, 'L') + "\"";  // a line longer than a block, no line end
  std::ofstream(name, std::ios::binary) << bytes;
  Loaded l(tkHeadFoot);
  LoadTableFile(l.table, name);
  std::remove(name);
  ASSERT_EQ(l.table.RecordCount(), 40001u);
  for (std::size_t r = 0; r < 40000; ++r) {
    ASSERT_EQ(l.table.IntegerAt(r, 0), int(r));
    ASSERT_EQ(l.table.TextViewAt(r, 1).size(), r % 97);
  }
  EXPECT_EQ(l.table.TextAt(40000, 1), std::string(100, 'L'));
}

TEST(TableFileRead, AFileThatCannotBeOpenedLeavesTheTableAlone) {
  Loaded l(tkHeadFoot);
  LoadTableFromBytes(l.table, "Line,\r\n1,\r\n");
  EXPECT_THROW(LoadTableFile(l.table, "/nonexistent/dir/file.csv"), TableFileOpenError);
  EXPECT_THROW(LoadTableFile(l.table, "/tmp"), TableFileOpenError);
  EXPECT_EQ(l.table.RecordCount(), 1u);
  DocumentTable closed(TableDefinition(tkHeadFoot));
  EXPECT_THROW(LoadTableFromBytes(closed, ""), TableUsageError);
  EmptyTable(l.table);
  EXPECT_EQ(l.table.RecordCount(), 0u);
}
