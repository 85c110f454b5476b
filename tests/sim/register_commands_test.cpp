// The simulated register's answers, field for field, in both protocol variants.
#include <gtest/gtest.h>

#include "sim/register_commands.h"

namespace vestok {
namespace {

class RegisterCommands : public ::testing::Test {
 protected:
  std::string Send(const std::string& text) { return AnswerCommand(memory, text, rules); }
  TRegisterMemory memory;
  TCommandRules rules;
};

TEST_F(RegisterCommands, SeriaAItemUploadIsStoredAndReadBackWithI0) {
  EXPECT_EQ(Send("W0;12;COLA 0.5;1;5941234567890;3.50;0;1;2;;"), "\nD");
  EXPECT_EQ(Send("W0;7;P\xC2INE;2;;.50;1;3;4;X;"), "\nD");
  EXPECT_EQ(Send("I0;1;"), "I0;7;P\xC2INE;2;;.50;1;3;4;");
  EXPECT_EQ(Send("I0;8;"), "I0;12;COLA 0.5;1;5941234567890;3.50;0;1;2;");
  EXPECT_EQ(Send("I0;13;"), "\nE");
  rules.EndReply = 'D';
  EXPECT_EQ(Send("I0;13;"), "\nD");
}

TEST_F(RegisterCommands, UploadWithAStoredNumberReplacesItOthersGoInNumberOrder) {
  Send("W2;3;ANA;111;");
  Send("W2;1;ION;222;");
  Send("W2;3;MARIA;333;");
  ASSERT_EQ(memory.Records(SimTable::Operators).size(), 2u);
  EXPECT_EQ(Send("R2;1;"), "R2;1;ION;222;");
  EXPECT_EQ(Send("R2;2;"), "R2;3;MARIA;333;");
  EXPECT_EQ(Send("R2;4;"), "\nE");
}

TEST_F(RegisterCommands, StandardItemUploadAndR0ReplyInTheirOwnOrders) {
  // pos;PLU;name;price;0;stand;group;VAT;price type;0;barcode high;low
  EXPECT_EQ(Send("W0;1;12;COLA 0.5;3.50;0;1;2;1;2;0;59412;34567890;"), "\nD");
  const auto& item = memory.Records(SimTable::Items).at(0);
  EXPECT_EQ(item, (SimRecord{"12", "COLA 0.5", "1", "5941234567890", "3.50", "2", "1", "2", ""}));
  // The reply has the price type in its tenth field and the quantity sold in the fifth.
  memory.Put(SimTable::ItemSales, {"12", "4.5", "15.75"});
  EXPECT_EQ(Send("R0;1;"), "R0;1;12;COLA 0.5;3.50;4.5;1;2;1;0;2;59412;34567890;");
  EXPECT_EQ(Send("R0;2;"), "\nE");
}

TEST_F(RegisterCommands, StandardBarcodeSplit) {
  Send("W0;1;1;A;1.00;0;1;1;1;0;0;0;0;");
  Send("W0;2;2;B;1.00;0;1;1;1;0;0;0;12345;");
  Send("W0;3;3;C;1.00;0;1;1;1;0;0;0;12345678;");
  EXPECT_EQ(memory.Records(SimTable::Items)[0][3], "");
  EXPECT_EQ(memory.Records(SimTable::Items)[1][3], "12345");
  EXPECT_EQ(memory.Records(SimTable::Items)[2][3], "12345678");
  EXPECT_EQ(Send("R0;1;"), "R0;1;1;A;1.00;0;1;1;1;0;0;0;0;");
  EXPECT_EQ(Send("R0;2;"), "R0;2;2;B;1.00;0;1;1;1;0;0;0;12345;");
}

TEST_F(RegisterCommands, SeriaANumberingAnswersTheFirstRecordAtOrAfterTheNumberStandardTheNth) {
  for (const char* plu : {"5", "6", "20"}) Send(std::string("W0;") + plu + ";X;1;;1.00;0;1;1;;");
  EXPECT_EQ(Send("I0;1;").substr(0, 5), "I0;5;");
  EXPECT_EQ(Send("I0;7;").substr(0, 6), "I0;20;");
  EXPECT_EQ(Send("I0;21;"), "\nE");
  rules.Variant = SimVariant::Standard;
  EXPECT_EQ(Send("I0;3;").substr(0, 6), "I0;20;");
  EXPECT_EQ(Send("I0;4;"), "\nE");
}

TEST_F(RegisterCommands, ExplicitVariantDecidesTheItemUploadLayout) {
  rules.Variant = SimVariant::SeriaA;
  Send("W0;1;12;COLA;3.50;0;1;2;1;0;0;59412;34567890;");
  EXPECT_EQ(memory.Records(SimTable::Items).at(0)[0], "1");
  rules.Variant = SimVariant::Standard;
  Send("W0;9;X;1;;1.00;0;1;1;;");
  EXPECT_NE(memory.Find(SimTable::Items, 0), nullptr);  // "X" read as the PLU
}

TEST_F(RegisterCommands, ItemSalesReplyCarriesQuantityAndValueInFields10And11) {
  Send("W0;12;COLA;1;594;3.50;0;1;2;D;");
  memory.Put(SimTable::ItemSales, {"12", "4", "14.00"});
  memory.Put(SimTable::ItemSales, {"30", "1", "2.5"});
  EXPECT_EQ(Send("T0;1;"), "T0;12;COLA;1;594;3.50;0;1;2;D;4;14.00;");
  EXPECT_EQ(Send("T0;13;"), "T0;30;;;;;;;;;1;2.5;");
}

TEST_F(RegisterCommands, EveryTableAnswersInItsReplyLayout) {
  memory.Put(SimTable::GroupSales, {"3", "100.5"});
  memory.Put(SimTable::StandSales, {"2", "40"});
  EXPECT_EQ(Send("R10;1;"), "R10;3;100.5;");
  EXPECT_EQ(Send("R3;1;"), "R3;2;40;");
  EXPECT_EQ(Send("W8;2;CARD;"), "\nD");
  EXPECT_EQ(Send("R8;1;"), "R8;2;CARD;");
  EXPECT_EQ(Send("W4;1;1;10;"), "\nD");
  EXPECT_EQ(Send("R4;1;"), "R4;1;1;10;");
  EXPECT_EQ(Send("W5;1;2;;1;;0;3;4;"), "\nD");
  EXPECT_EQ(Send("R5;1;"), "R5;1;2;;1;;0;3;4;");
  EXPECT_EQ(Send("R5;2;"), "\nE");
  EXPECT_EQ(Send("W6;1;MAGAZIN CENTRAL;"), "\nD");
  EXPECT_EQ(Send("R6;1;"), "R6;1;MAGAZIN CENTRAL;");
}

TEST_F(RegisterCommands, OperatingParametersAreOneRecordNumberOne) {
  const std::string twenty = "1;0;1;0;0;1;0;1;4;;1;0;0;;;0;1;0;;1;";
  EXPECT_EQ(Send("W1;1;" + twenty), "\nD");
  EXPECT_EQ(Send("R1;1;"), "R1;1;" + twenty);
  EXPECT_EQ(Send("R1;2;"), "\nE");
  EXPECT_EQ(Send("W1;2;" + twenty), "\nE");
  EXPECT_EQ(memory.Records(SimTable::Settings).size(), 1u);
}

TEST_F(RegisterCommands, DeleteAcknowledgesUnknownAndRefusesTheRefusedPlu) {
  Send("W0;12;COLA;1;;3.50;0;1;2;;");
  Send("W0;13;APA;1;;1.50;0;1;2;;");
  EXPECT_EQ(Send("C0;12;"), "\nD");
  EXPECT_EQ(memory.Records(SimTable::Items).size(), 1u);
  EXPECT_EQ(Send("C0;99;"), "\nD");
  rules.RefusedPlu = 13;
  EXPECT_EQ(Send("C0;13;"), "\nE");
  EXPECT_EQ(Send("W0;13;APA;1;;1.50;0;1;2;;"), "\nE");
  EXPECT_EQ(memory.Records(SimTable::Items).size(), 1u);
}

TEST_F(RegisterCommands, RefusedAndUnansweredRecordNumbersInEveryTable) {
  rules.RefusedRecords = {12, 1};
  rules.UnansweredRecords = {13};
  EXPECT_EQ(Send("W0;12;COLA;1;;3.50;0;1;2;;"), "\nE");
  EXPECT_EQ(Send("W0;1;12;COLA;3.50;0;1;2;1;0;0;0;12;"), "\nE");  // Standard: the PLU counts, not the position
  EXPECT_EQ(Send("W0;13;APA;1;;1.50;0;1;2;;"), "");               // stored, no reply
  EXPECT_EQ(Send("W2;1;ANA;111;"), "\nE");
  EXPECT_EQ(Send("W2;13;ION;222;"), "");
  EXPECT_EQ(Send("W5;0;3;;1;;0;1;1;"), "\nE");  // the receipt format is record 1
  EXPECT_EQ(Send("C0;12;"), "\nE");
  EXPECT_EQ(memory.Records(SimTable::Items).size(), 1u);
  EXPECT_EQ(memory.Records(SimTable::Operators).size(), 1u);
  EXPECT_TRUE(memory.Records(SimTable::ReceiptFormat).empty());
  EXPECT_EQ(Send("C0;13;"), "");  // deleted, no reply
  EXPECT_TRUE(memory.Records(SimTable::Items).empty());
  EXPECT_EQ(Send("W0;14;LAPTE;1;;1.50;0;1;2;;"), "\nD");
}

TEST_F(RegisterCommands, UnknownOrMalformedCommandsAreRefusedOrEnded) {
  EXPECT_EQ(Send("X9;1;"), "\nE");
  EXPECT_EQ(Send("W9;1;"), "\nE");
  EXPECT_EQ(Send(""), "\nE");
  EXPECT_EQ(Send("I0;abc;"), "\nE");
}

}  // namespace
}  // namespace vestok
