// The record texts, table by table, in both protocol variants. Expected texts
// are spelled out here rather than built from the code's own constants.
#include <gtest/gtest.h>

#include "jobs/record_layouts.h"
#include "jobs/record_numbers.h"
#include "tables/document_table.h"
#include "tables/table_errors.h"
#include "text/decimal_separator.h"

namespace vestok {
namespace {

class Layouts : public ::testing::Test {
 protected:
  void SetUp() override { SetUserDecimalSeparator('.'); }
  void TearDown() override { SetUserDecimalSeparator('.'); }

  static DocumentTable& Open(DocumentTable& t) {
    t.Open();
    return t;
  }
  // Appends a row whose fields take the texts given (an empty text: no value).
  static void Row(DocumentTable& t, std::initializer_list<std::string_view> values) {
    t.Append();
    int i = 0;
    for (std::string_view v : values) t.SetText(i++, v);
    t.Post();
  }
};

TEST_F(Layouts, CommandsOfEveryJobKind) {
  const char* upload[10] = {"W0", "", "", "", "W2", "W8", "W4", "W5", "W6", "W1;1"};
  const char* uploadStd[10] = {"W0", "", "", "", "W2", "", "W4", "W5", "W6", "W1;1"};
  const char* download[10] = {"I0", "T0", "R10", "R3", "R2", "R8", "R4", "R5", "R6", "R1"};
  const char* downloadStd[10] = {"R0", "R0", "", "", "R2", "", "R4", "R5", "R6", "R1"};
  for (int k = 0; k < 10; ++k) {
    EXPECT_EQ(UploadCommand(JobKind(k)), upload[k]) << k;
    EXPECT_EQ(UploadCommand(JobKind(100 + k)), uploadStd[k]) << k;
    EXPECT_EQ(DownloadCommand(JobKind(k)), download[k]) << k;
    EXPECT_EQ(DownloadCommand(JobKind(100 + k)), downloadStd[k]) << k;
  }
  EXPECT_EQ(UploadCommand(255), "");
  EXPECT_EQ(DownloadCommand(10), "");
}

TEST_F(Layouts, RequestsDeleteCommandsAndFixedReplies) {
  EXPECT_EQ(BuildRequest("I0", 1), "I0;1;");
  EXPECT_EQ(BuildRequest("R10", 7), "R10;7;");
  EXPECT_EQ(BuildRequest("R0", -3), "R0;-3;");
  EXPECT_EQ(BuildDeleteCommand(125), "C0;125;");
  EXPECT_EQ(BuildDeleteCommand(0), "C0;0;");

  EXPECT_TRUE(IsAcknowledgement("\nD"));
  EXPECT_TRUE(IsAcknowledgement(std::string("\0\0\nD", 4)));
  EXPECT_FALSE(IsAcknowledgement("\nE"));
  EXPECT_FALSE(IsAcknowledgement("\nD;"));
  EXPECT_FALSE(IsAcknowledgement(std::string("\0", 1)));
  EXPECT_FALSE(IsAcknowledgement("D"));

  EXPECT_TRUE(IsEndReply("\nD"));
  EXPECT_TRUE(IsEndReply("\nE"));
  EXPECT_FALSE(IsEndReply(std::string("\0\nD", 3)));  // compared as received
  EXPECT_FALSE(IsEndReply("\nDX"));
  EXPECT_FALSE(IsEndReply(""));
}

TEST_F(Layouts, NextTokenTakesFieldsOffOneByOne) {
  std::string text = "a;;b;c";
  EXPECT_EQ(NextToken(text), "a");
  EXPECT_EQ(text, ";b;c");
  EXPECT_EQ(NextToken(text), "");
  EXPECT_EQ(NextToken(text), "b");
  EXPECT_EQ(NextToken(text), "c");
  EXPECT_EQ(text, "");
  EXPECT_EQ(NextToken(text), "");
  std::string ending = "x;";
  EXPECT_EQ(NextToken(ending), "x");
  EXPECT_EQ(NextToken(ending), "");  // the empty field after the last ';'
}

TEST_F(Layouts, PriceTextHasTwoDecimalsAndNoLeadingZero) {
  EXPECT_EQ(FormatPrice(3.5, '.'), "3.50");
  EXPECT_EQ(FormatPrice(0.5, '.'), ".50");
  EXPECT_EQ(FormatPrice(0, '.'), ".00");
  EXPECT_EQ(FormatPrice(1234.567, '.'), "1234.57");
  EXPECT_EQ(FormatPrice(-2, '.'), "-2.00");
  EXPECT_EQ(FormatPrice(2.675, '.'), "2.68");   // decimal rounding, not the binary value's
  EXPECT_EQ(FormatPrice(0.005, '.'), ".01");
  EXPECT_EQ(FormatPrice(9.995, '.'), "10.00");
  EXPECT_EQ(FormatPrice(0.004, '.'), ".00");
  EXPECT_EQ(FormatPrice(-0.001, '.'), ".00");
  EXPECT_EQ(FormatPrice(1e15, '.'), "1000000000000000.00");
  EXPECT_EQ(FormatPrice(0, ','), ",00");
  EXPECT_EQ(FormatPrice(12.5, ','), "12,50");
}

TEST_F(Layouts, UploadFloatTextIsShortestWithFifteenDigits) {
  EXPECT_EQ(FormatUploadFloat(10, '.'), "10");
  EXPECT_EQ(FormatUploadFloat(2.5, '.'), "2.5");
  EXPECT_EQ(FormatUploadFloat(2.5, ','), "2,5");
  EXPECT_EQ(FormatUploadFloat(-0.75, '.'), "-0.75");
  EXPECT_EQ(FormatUploadFloat(0, '.'), "0");
  EXPECT_EQ(FormatUploadFloat(0.1 + 0.2, '.'), "0.3");
  EXPECT_EQ(FormatUploadFloat(0.00001, '.'), "0.00001");
  EXPECT_EQ(FormatUploadFloat(0.000001, '.'), "1E-6");
  EXPECT_EQ(FormatUploadFloat(1.5e-7, ','), "1,5E-7");
  EXPECT_EQ(FormatUploadFloat(999999999999999, '.'), "999999999999999");
  EXPECT_EQ(FormatUploadFloat(1e15, '.'), "1E15");
  EXPECT_EQ(FormatUploadFloat(1234567890123456, '.'), "1.23456789012346E15");
}

TEST_F(Layouts, ItemRecordSeriaASendsNineFieldsDummyLast) {
  DocumentTable t(TableDefinition(tkItems));
  Open(t);
  Row(t, {"12", "Cola 0.5 la sticla de plastic", "1", "5941234567890", "3.5", "0", "1", "2", ""});
  Row(t, {"", "", "", "", "", "", "", "", "x"});
  EXPECT_EQ(BuildUploadRecord(0, t, 0, '.'), "W0;12;Cola 0.5 la sticla d;1;5941234567890;3.50;0;1;2;;");
  EXPECT_EQ(BuildUploadRecord(0, t, 1, '.'), "W0;;;;;.00;;;;x;");  // an empty price is 0
  EXPECT_EQ(BuildUploadRecord(0, t, 0, ','), "W0;12;Cola 0.5 la sticla d;1;5941234567890;3,50;0;1;2;;");
}

TEST_F(Layouts, ItemRecordStandardSplitsTheBarcode) {
  DocumentTable t(TableDefinition(tkItems));
  Open(t);
  Row(t, {"12", "Cola 0.5", "1", "5941234567890", "3.5", "0", "1", "2", "d"});
  Row(t, {"13", "Apa", "2", "", "1", "1", "3", "4", ""});
  Row(t, {"14", "Paine", "2", "12345678", "0.5", "2", "3", "4", ""});
  Row(t, {"15", "Lapte", "2", "123456789", "", "", "", "", ""});
  EXPECT_EQ(BuildUploadRecord(100, t, 0, '.'), "W0;1;12;Cola 0.5;3.50;0;1;2;1;0;0;59412;34567890;");
  EXPECT_EQ(BuildUploadRecord(100, t, 1, '.'), "W0;2;13;Apa;1.00;0;3;4;2;1;0;0;0;");
  EXPECT_EQ(BuildUploadRecord(100, t, 2, '.'), "W0;3;14;Paine;.50;0;3;4;2;2;0;0;12345678;");
  EXPECT_EQ(BuildUploadRecord(100, t, 3, '.'), "W0;4;15;Lapte;.00;0;;;2;;0;1;23456789;");
}

TEST_F(Layouts, OtherTablesSendEveryFieldInOrder) {
  DocumentTable ops(TableDefinition(tkOperators));
  Row(Open(ops), {"1", std::string(30, 'n'), "1234"});
  EXPECT_EQ(BuildUploadRecord(4, ops, 0, '.'), "W2;1;" + std::string(30, 'n') + ";1234;");  // whole name
  EXPECT_EQ(BuildUploadRecord(104, ops, 0, '.'), BuildUploadRecord(4, ops, 0, '.'));

  DocumentTable pay(TableDefinition(tkPayType));
  Row(Open(pay), {"2", "Card"});
  EXPECT_EQ(BuildUploadRecord(5, pay, 0, '.'), "W8;2;Card;");
  EXPECT_EQ(BuildUploadRecord(105, pay, 0, '.'), "");  // no payment means under "Standard"

  DocumentTable disc(TableDefinition(tkDisc));
  Row(Open(disc), {"1", "1", "2.5"});
  Row(disc, {"2", "0", ""});
  EXPECT_EQ(BuildUploadRecord(6, disc, 0, ','), "W4;1;1;2,5;");
  EXPECT_EQ(BuildUploadRecord(106, disc, 1, '.'), "W4;2;0;;");

  DocumentTable fmt(TableDefinition(tkRecFmt));
  Row(Open(fmt), {"1", "2", "", "4", "5", "6", "7", "8"});
  EXPECT_EQ(BuildUploadRecord(7, fmt, 0, '.'), "W5;1;2;;4;5;6;7;8;");

  DocumentTable head(TableDefinition(tkHeadFoot));
  Row(Open(head), {"1", "Magazin Central"});
  EXPECT_EQ(BuildUploadRecord(8, head, 0, '.'), "W6;1;Magazin Central;");

  DocumentTable set(TableDefinition(tkSettings));
  Row(Open(set), {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10",
                  "11", "12", "13", "14", "15", "16", "17", "18", "19", "20"});
  const std::string settings = "W1;1;1;2;3;4;5;6;7;8;9;10;11;12;13;14;15;16;17;18;19;20;";
  EXPECT_EQ(BuildUploadRecord(9, set, 0, '.'), settings);
  EXPECT_EQ(BuildUploadRecord(109, set, 0, '.'), settings);
}

TEST_F(Layouts, RowsWithSeparatorsInTheirTextsAreNotSendable) {
  DocumentTable items(TableDefinition(tkItems));
  Open(items);
  Row(items, {"1", "Cafea; boabe", "1", "", "1", "0", "1", "1", ""});
  Row(items, {"2", "Ceai", "1", "12\r3", "1", "0", "1", "1", ""});
  Row(items, {"3", "Zahar", "1", "", "1", "0", "1", "1", "a\nb"});
  Row(items, {"4", "Un nume lung de douazeci;dupa", "1", "", "1", "0", "1", "1", ""});
  EXPECT_FALSE(UploadRecordSendable(0, items, 0));
  EXPECT_FALSE(UploadRecordSendable(100, items, 0));
  EXPECT_FALSE(UploadRecordSendable(0, items, 1));
  EXPECT_FALSE(UploadRecordSendable(0, items, 2));
  EXPECT_TRUE(UploadRecordSendable(100, items, 2));  // the Standard record leaves Dummy out
  EXPECT_TRUE(UploadRecordSendable(0, items, 3));    // the ';' lies beyond the 20 characters sent

  DocumentTable head(TableDefinition(tkHeadFoot));
  Row(Open(head), {"1", "Va multumim!"});
  Row(head, {"2", "Linia 1\r\nLinia 2"});
  EXPECT_TRUE(UploadRecordSendable(8, head, 0));
  EXPECT_FALSE(UploadRecordSendable(8, head, 1));
}

using Values = std::vector<std::string>;

TEST_F(Layouts, RepliesOfTheSeriaALayouts) {
  EXPECT_EQ(ParseReply(0, "\nX;12;COLA;1;594;3.50;0;1;2;"), (Values{"12", "COLA", "1", "594", "3.50", "0", "1", "2"}));
  EXPECT_EQ(ParseReply(1, "1;7;a;b;c;d;e;f;g;h;2.5;10.25;"), (Values{"7", "2.5", "10.25"}));
  EXPECT_EQ(ParseReply(2, "x;3;100.5;"), (Values{"3", "100.5"}));
  EXPECT_EQ(ParseReply(3, "x;4;7;"), (Values{"4", "7"}));
  EXPECT_EQ(ParseReply(4, "x;1;ION;1234;"), (Values{"1", "ION", "1234"}));
  EXPECT_EQ(ParseReply(5, "x;2;CARD;"), (Values{"2", "CARD"}));
  EXPECT_EQ(ParseReply(6, "x;1;1;2.5;"), (Values{"1", "1", "2.5"}));
  EXPECT_EQ(ParseReply(7, "x;1;2;3;4;5;6;7;8;"), (Values{"1", "2", "3", "4", "5", "6", "7", "8"}));
  EXPECT_EQ(ParseReply(8, "x;1;MAGAZIN;"), (Values{"1", "MAGAZIN"}));
  // A short reply gives empty values for the fields it lacks.
  EXPECT_EQ(ParseReply(0, "x;12;"), (Values{"12", "", "", "", "", "", "", ""}));
  EXPECT_EQ(ParseReply(8, "x"), (Values{"", ""}));
  EXPECT_EQ(ParseReply(102, "x;1;2;"), Values{});
}

TEST_F(Layouts, RepliesOfTheStandardLayouts) {
  EXPECT_EQ(ParseReply(100, "x;1;12;COLA;3.50;0;1;2;9;0;2;59412;34567890;"),
            (Values{"12", "COLA", "9", "5941234567890", "3.50", "2", "1", "2"}));
  EXPECT_EQ(ParseReply(100, "x;1;12;COLA;3.50;0;1;2;9;0;2;0;12345;")[3], "012345");
  EXPECT_EQ(ParseReply(101, "x;1;12;a;b;4.5;z;"), (Values{"12", "4.5", "0"}));
  EXPECT_EQ(ParseReply(104, "x;1;ION;1234;"), (Values{"1", "ION", "1234"}));
  EXPECT_EQ(ParseReply(108, "x;1;MAGAZIN;"), (Values{"1", "MAGAZIN"}));
}

TEST_F(Layouts, OperatingParametersSkipReservedFieldsAndFillZeros) {
  std::string reply = "x;f1";
  for (int i = 2; i <= 21; ++i) reply += ";" + std::to_string(i);
  reply += ";";
  const Values expected = {"2", "3", "4", "5", "6", "7", "8", "9", "10", "", "12", "13", "14",
                           "", "", "17", "18", "19", "", "21"};
  EXPECT_EQ(ParseReply(9, reply), expected);
  EXPECT_EQ(ParseReply(109, reply), expected);
  const Values shortReply = {"5", "0", "0", "0", "0", "0", "0", "0", "0", "", "0", "0", "0",
                             "", "", "0", "0", "0", "", "0"};
  EXPECT_EQ(ParseReply(9, "x;1;5;"), shortReply);
}

TEST_F(Layouts, StoringRepliesReadsNumbersWithTheUserSeparator) {
  DocumentTable items(TableDefinition(tkItems));
  Open(items);
  items.Append();
  items.SetText("Dummy", "keep");
  StoreReplyValues(items, ParseReply(0, "x;12;Cola;1;594;12.50;0;;2;"));
  items.Post();
  EXPECT_EQ(items.AsInteger("PLUCode"), 12);
  EXPECT_DOUBLE_EQ(items.AsFloat("Price"), 12.5);
  EXPECT_TRUE(items.IsNull("Stand"));
  EXPECT_EQ(items.AsText("Dummy"), "keep");  // beyond the layout: untouched

  SetUserDecimalSeparator(',');
  items.Append();
  StoreReplyValues(items, ParseReply(0, "x;13;Apa;1;;2,25;0;1;2;"));
  items.Post();
  EXPECT_DOUBLE_EQ(items.AsFloat("Price"), 2.25);
  items.Append();
  EXPECT_THROW(StoreReplyValues(items, ParseReply(0, "x;14;Apa;1;;12.50;0;1;2;")), FieldConversionError);
  items.Cancel();
  EXPECT_EQ(items.RecordCount(), 2u);

  items.Append();
  EXPECT_THROW(StoreReplyValues(items, ParseReply(0, "x;abc;")), FieldConversionError);
  items.Cancel();

  DocumentTable head(TableDefinition(tkHeadFoot));
  Open(head).Append();
  StoreReplyValues(head, {"1", std::string(120, 't')});
  head.Post();
  EXPECT_EQ(head.AsText("Text").size(), 100u);  // cut to the field's width
}

}  // namespace
}  // namespace vestok
