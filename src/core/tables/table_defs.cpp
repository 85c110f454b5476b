#include "tables/table_defs.h"

#include <stdexcept>

namespace vestok {
namespace {

using FT = FieldType;

constexpr FieldDef kItems[] = {
    {"PLUCode", FT::Integer, 0, "Cod PLU"},   {"ItemName", FT::Text, 100, "Denumire articol"},
    {"VAT", FT::Integer, 0, "TVA"},           {"Barcode", FT::Text, 20, "Cod bare"},
    {"Price", FT::Float, 0, "Pret"},          {"PriceType", FT::Integer, 0, "Tip pret"},
    {"Stand", FT::Integer, 0, "Stand"},       {"Group", FT::Integer, 0, "Grup"},
    {"Dummy", FT::Text, 20, ""},
};
constexpr FieldDef kItemSales[] = {
    {"PLUCode", FT::Integer, 0, "Cod PLU"},
    {"Qty", FT::Float, 0, "Cantitate vanduta"},
    {"Value", FT::Float, 0, "Valoare totala a cantitatii vandute"},
};
constexpr FieldDef kGroupSales[] = {
    {"GroupNo", FT::Integer, 0, "Grupa articole"},
    {"Value", FT::Float, 0, "Valoare vanzari"},
};
constexpr FieldDef kStandSales[] = {
    {"StandNo", FT::Integer, 0, "Stand"},
    {"Value", FT::Float, 0, "Valoare vanzari"},
};
constexpr FieldDef kOperators[] = {
    {"OpNumber", FT::Integer, 0, "Numar"},
    {"Name", FT::Text, 100, "Nume operator"},
    {"Passw", FT::Integer, 0, "Parola de acces"},
};
constexpr FieldDef kPayType[] = {
    {"PayTypeNo", FT::Integer, 0, "Numar"},
    {"Text", FT::Text, 20, "Text"},
};
constexpr FieldDef kDisc[] = {
    {"RowNum", FT::Integer, 0, "Numar"},
    {"Allowed", FT::Integer, 0, "Permis/nepermis"},
    {"Value", FT::Float, 0, "Procent"},
};
constexpr FieldDef kRecFmt[] = {
    {"PrintLogo", FT::Integer, 0, "Afisare logo"},
    {"NoTextRowsAtEnd", FT::Integer, 0, "Nr. linii text la sfarsit de bon"},
    {"Reserved1", FT::Integer, 0, ""},
    {"PrintTax", FT::Integer, 0, "Afisare taxe"},
    {"Reserved2", FT::Integer, 0, ""},
    {"SepTotWithBLines", FT::Integer, 0, "Separare total cu linii blank"},
    {"NoLocRec", FT::Integer, 0, "Nr. bonuri platite cu local card"},
    {"NoIntRec", FT::Integer, 0, "Nr. bonuri interne"},
};
constexpr FieldDef kHeadFoot[] = {
    {"Line", FT::Integer, 0, "Numar linie"},
    {"Text", FT::Text, 100, "Text"},
};
// The titles of the operating parameters are the labels of the ECR settings page.
constexpr FieldDef kSettings[] = {
    {"LogicalNo", FT::Integer, 0, "Numar logic:"},
    {"ScalesType", FT::Integer, 0, "Tipul cantarelor conectate:"},
    {"OpenDrawer", FT::Integer, 0, "Deschidere sertar dupa total:"},
    {"InputAmount", FT::Integer, 0, "Introducere obligatorie a sumei platite:"},
    {"NoChangeToCheque", FT::Integer, 0, "Este permis rest in cazul platii cu CEC:"},
    {"PowerSave", FT::Integer, 0, "Economie curent prin stingere ecran ECR:"},
    {"ProgWhileInRec", FT::Integer, 0, "Programare permisa in modul de lucru de vanzare:"},
    {"CommType", FT::Integer, 0, "Tip de comunicatie in modul de lucru vanzare:"},
    {"CommSpeed", FT::Integer, 0, "Viteza de comunicatie cu calculatorul:"},
    {"Reserved1", FT::Integer, 0, ""},
    {"Balance", FT::Integer, 0, "Golire memorie vanzari zilnice la raport Z:"},
    {"ItemsNotProg", FT::Integer, 0, "Modul de lucru cu articolele ce nu sunt programate in memorie:"},
    {"DiscOper", FT::Integer, 0, "Deconectare operator dupa fiecare bon:"},
    {"Reserved2", FT::Integer, 0, ""},
    {"Reserved3", FT::Integer, 0, ""},
    {"ShowTotInAdCurency", FT::Integer, 0, "Afisare total in moneda secundara:"},
    {"MainCurency", FT::Integer, 0, "Indice moneda principala:"},
    {"NoVATPrices", FT::Integer, 0, "Se lucreaza cu preturi care nu includ TVA:"},
    {"Reserved4", FT::Integer, 0, ""},
    {"NoPass", FT::Integer, 0, "Se lucreaza fara parole:"},
};

const TableDef kTables[kTableCount] = {
    {tkItems, "tItems", kItems, true},
    {tkItemSales, "tItemSales", kItemSales, false},
    {tkGroupSales, "tGroupSales", kGroupSales, false},
    {tkStandSales, "tStandSales", kStandSales, false},
    {tkOperators, "tOperators", kOperators, true},
    {tkPayType, "tPayType", kPayType, true},
    {tkDisc, "tDisc", kDisc, true},
    {tkRecFmt, "tRecFmt", kRecFmt, true},
    {tkHeadFoot, "tHeadFoot", kHeadFoot, true},
    {tkSettings, "tSettings", kSettings, true},
};

}  // namespace

const TableDef& TableDefinition(TableKind kind) {
  if (kind >= kTableCount) throw std::out_of_range("no table of this kind");
  return kTables[kind];
}

std::span<const TableDef> AllTableDefinitions() { return kTables; }

TableKind TableKindOfPage(int mainPage, int subPage) {
  auto within = [&](int first, int count) -> TableKind {
    return (subPage >= 0 && subPage < count) ? TableKind(first + subPage) : tkNone;
  };
  switch (mainPage) {
    case 0: return within(tkItems, 4);
    case 1: return within(tkOperators, 3);
    case 2: return within(tkRecFmt, 2);
    case 3: return tkSettings;
    default: return tkNone;
  }
}

}  // namespace vestok
