#include <gtest/gtest.h>

#include "tables/price_type.h"
#include "tables/table_defs.h"

using namespace vestok;

namespace {

std::string FieldList(TableKind kind) {
  std::string out;
  for (const FieldDef& f : TableDefinition(kind).fields) {
    out += std::string(f.name);
    out += f.type == FieldType::Integer ? ":i" : f.type == FieldType::Float ? ":f" : ":t" + std::to_string(f.width);
    out += f.Shown() ? "=" + std::string(f.title) : "";
    out += ";";
  }
  return out;
}

}  // namespace

TEST(TableDefs, TheTenTablesHaveTheirFieldsTypesWidthsAndTitles) {
  EXPECT_EQ(FieldList(0),
            "PLUCode:i=Cod PLU;ItemName:t100=Denumire articol;VAT:i=TVA;Barcode:t20=Cod bare;Price:f=Pret;"
            "PriceType:i=Tip pret;Stand:i=Stand;Group:i=Grup;Dummy:t20;");
  EXPECT_EQ(FieldList(1), "PLUCode:i=Cod PLU;Qty:f=Cantitate vanduta;Value:f=Valoare totala a cantitatii vandute;");
  EXPECT_EQ(FieldList(2), "GroupNo:i=Grupa articole;Value:f=Valoare vanzari;");
  EXPECT_EQ(FieldList(3), "StandNo:i=Stand;Value:f=Valoare vanzari;");
  EXPECT_EQ(FieldList(4), "OpNumber:i=Numar;Name:t100=Nume operator;Passw:i=Parola de acces;");
  EXPECT_EQ(FieldList(5), "PayTypeNo:i=Numar;Text:t20=Text;");
  EXPECT_EQ(FieldList(6), "RowNum:i=Numar;Allowed:i=Permis/nepermis;Value:f=Procent;");
  EXPECT_EQ(FieldList(7),
            "PrintLogo:i=Afisare logo;NoTextRowsAtEnd:i=Nr. linii text la sfarsit de bon;Reserved1:i;"
            "PrintTax:i=Afisare taxe;Reserved2:i;SepTotWithBLines:i=Separare total cu linii blank;"
            "NoLocRec:i=Nr. bonuri platite cu local card;NoIntRec:i=Nr. bonuri interne;");
  EXPECT_EQ(FieldList(8), "Line:i=Numar linie;Text:t100=Text;");
  const auto& settings = TableDefinition(9);
  ASSERT_EQ(settings.fields.size(), 20u);
  EXPECT_EQ(settings.fields[0].title, "Numar logic:");
  EXPECT_EQ(settings.fields[11].title, "Modul de lucru cu articolele ce nu sunt programate in memorie:");
  EXPECT_FALSE(settings.fields[9].Shown());   // Reserved1
  EXPECT_FALSE(settings.fields[18].Shown());  // Reserved4
  EXPECT_EQ(settings.fields[19].name, "NoPass");
  for (int k = 0; k < kTableCount; ++k) EXPECT_EQ(TableDefinition(TableKind(k)).kind, k);
  EXPECT_EQ(TableDefinition(6).name, "tDisc");
  EXPECT_FALSE(TableDefinition(1).editable);
  EXPECT_TRUE(TableDefinition(0).editable);
  EXPECT_THROW(TableDefinition(255), std::out_of_range);
  EXPECT_THROW(TableDefinition(10), std::out_of_range);
}

TEST(TableDefs, PagesGiveTheirTableKind) {
  EXPECT_EQ(TableKindOfPage(0, 0), 0);
  EXPECT_EQ(TableKindOfPage(0, 3), 3);
  EXPECT_EQ(TableKindOfPage(1, 2), 6);  // "Reduceri/Majorari"
  EXPECT_EQ(TableKindOfPage(2, 1), 8);  // "Antet bon"
  EXPECT_EQ(TableKindOfPage(3, 0), 9);
  EXPECT_EQ(TableKindOfPage(3, -1), 9);
  EXPECT_EQ(TableKindOfPage(-1, 0), 255);
  EXPECT_EQ(TableKindOfPage(4, 0), 255);
  EXPECT_EQ(TableKindOfPage(2, 2), 255);
}

TEST(PriceType, ShowingFollowsTheValueAndTheStoredRecords) {
  EXPECT_EQ(PriceTypeText(true, 0), "Fix");
  EXPECT_EQ(PriceTypeText(true, 1), "Liber");
  EXPECT_EQ(PriceTypeText(true, 2), "Liber max");
  EXPECT_EQ(PriceTypeText(true, std::nullopt), "Fix");
  EXPECT_EQ(PriceTypeText(true, 3), "");
  EXPECT_EQ(PriceTypeText(true, -1), "");
  EXPECT_EQ(PriceTypeText(false, 1), "");
}

TEST(PriceType, EnteringMatchesExactly) {
  EXPECT_EQ(PriceTypeFromText("Fix"), 0);
  EXPECT_EQ(PriceTypeFromText("Liber"), 1);
  EXPECT_EQ(PriceTypeFromText("Liber max"), 2);
  EXPECT_EQ(PriceTypeFromText("fix"), std::nullopt);
  EXPECT_EQ(PriceTypeFromText("Liber "), std::nullopt);
  EXPECT_EQ(PriceTypeFromText(""), std::nullopt);
}
