#include <gtest/gtest.h>

#include "tables/table_file.h"
#include "text/decimal_separator.h"

using namespace vestok;

namespace {

const std::string kItemsHeader =
    "\"PLUCode\",\"ItemName\",\"VAT\",\"Barcode\",\"Price\",\"PriceType\",\"Stand\",\"Group\",\"Dummy\",\r\n";

void AddItem(DocumentTable& t, int plu, std::string_view name, int vat, std::optional<std::string_view> barcode,
             double price, int priceType, int stand, int group) {
  t.Append();
  t.SetInteger("PLUCode", plu);
  t.SetText("ItemName", name);
  t.SetInteger("VAT", vat);
  if (barcode) t.SetText("Barcode", *barcode);
  t.SetFloat("Price", price);
  t.SetInteger("PriceType", priceType);
  t.SetInteger("Stand", stand);
  t.SetInteger("Group", group);
  t.Post();
}

}  // namespace

TEST(TableFileWrite, TheItemExampleComesOutByteForByte) {
  SetUserDecimalSeparator(',');  // the file does not care
  DocumentTable t(TableDefinition(tkItems));
  t.Open();
  AddItem(t, 1, "Paine alba", 1, "1234567890128", 2.5, 0, 1, 1);
  AddItem(t, 25, "Suc 1,5L \"natural\" 10%", 2, std::nullopt, 12.75, 1, 2, 3);
  EXPECT_EQ(TableFileBytes(t), kItemsHeader +
                                   "\"1\",\"Paine alba\",\"1\",\"1234567890128\",\"2.5\",\"0\",\"1\",\"1\",,\r\n"
                                   "\"25\",\"Suc 1,5L \"\"natural\"\" 10%%\",\"2\",,\"12.75\",\"1\",\"2\",\"3\",,\r\n");
  SetUserDecimalSeparator('.');
}

TEST(TableFileWrite, EveryTableWritesItsHeaderLine) {
  const char* expected[kTableCount] = {
      "\"PLUCode\",\"ItemName\",\"VAT\",\"Barcode\",\"Price\",\"PriceType\",\"Stand\",\"Group\",\"Dummy\",",
      "\"PLUCode\",\"Qty\",\"Value\",",
      "\"GroupNo\",\"Value\",",
      "\"StandNo\",\"Value\",",
      "\"OpNumber\",\"Name\",\"Passw\",",
      "\"PayTypeNo\",\"Text\",",
      "\"RowNum\",\"Allowed\",\"Value\",",
      "\"PrintLogo\",\"NoTextRowsAtEnd\",\"Reserved1\",\"PrintTax\",\"Reserved2\",\"SepTotWithBLines\",\"NoLocRec\","
      "\"NoIntRec\",",
      "\"Line\",\"Text\",",
      "\"LogicalNo\",\"ScalesType\",\"OpenDrawer\",\"InputAmount\",\"NoChangeToCheque\",\"PowerSave\","
      "\"ProgWhileInRec\",\"CommType\",\"CommSpeed\",\"Reserved1\",\"Balance\",\"ItemsNotProg\",\"DiscOper\","
      "\"Reserved2\",\"Reserved3\",\"ShowTotInAdCurency\",\"MainCurency\",\"NoVATPrices\",\"Reserved4\",\"NoPass\",",
  };
  for (int k = 0; k < kTableCount; ++k) {
    DocumentTable t(TableDefinition(TableKind(k)));
    t.Open();
    EXPECT_EQ(TableFileBytes(t), std::string(expected[k]) + "\r\n") << k;
  }
}

TEST(TableFileWrite, EscapesControlCharactersAndKeepsEmptyTextApartFromNoValue) {
  DocumentTable t(TableDefinition(tkHeadFoot));
  t.Open();
  t.Append();
  t.SetInteger(0, -7);
  t.SetText(1, std::string("a\r\nb\0c%\"", 8));
  t.Post();
  t.Append();
  t.SetText(1, "");
  t.Post();
  t.Append();
  t.Post();
  EXPECT_EQ(TableFileBytes(t),
            "\"Line\",\"Text\",\r\n"
            "\"-7\",\"a%c%nb%0c%%\"\"\",\r\n"
            ",\"\",\r\n"
            ",,\r\n");
}

TEST(TableFileWrite, FloatsFollowTheFifteenDigitRules) {
  DocumentTable t(TableDefinition(tkGroupSales));
  t.Open();
  for (double v : {10.0, -0.75, 0.0001, 5e-5, 1e15, 1234567890123456.0}) {
    t.Append();
    t.SetFloat(1, v);
    t.Post();
  }
  EXPECT_EQ(TableFileBytes(t),
            "\"GroupNo\",\"Value\",\r\n,\"10\",\r\n,\"-0.75\",\r\n,\"0.0001\",\r\n,\"5E-5\",\r\n,\"1E15\",\r\n"
            ",\"1.23456789012346E15\",\r\n");
}
