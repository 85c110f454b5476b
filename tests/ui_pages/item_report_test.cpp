#include <gtest/gtest.h>

#include <QFontMetricsF>
#include <algorithm>
#include <cmath>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "pages_test_app.h"
#include "ui/item_report.h"

using namespace vestok;

namespace {

void AddItem(DocumentTable& t, int plu, const std::string& name, std::optional<int> priceType = 0,
             std::optional<double> price = std::nullopt) {
  t.Append();
  t.SetInteger("PLUCode", plu);
  t.SetText("ItemName", name);
  t.SetInteger("VAT", 1);
  if (priceType) t.SetInteger("PriceType", *priceType);
  if (price) t.SetFloat("Price", *price);
  t.Post();
}

std::vector<TReportText> TextsInBand(const std::vector<TReportText>& texts, int top, int height) {
  std::vector<TReportText> out;
  for (const auto& t : texts)
    if (t.top >= top && t.top < top + height) out.push_back(t);
  return out;
}

// Widths as a page rendered at 4 pixels per millimetre has them.
class ItemReportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    pages_test::EnsureApplication();
    items = pages_test::OpenTable(tkItems);
    image.setDotsPerMeterX(4000);
    image.setDotsPerMeterY(4000);
  }
  TItemListLayout Layout(char separator = '.') { return LayoutItemList(*items, measure, separator); }
  std::vector<TReportText> Texts(const TItemListLayout& layout, std::size_t page, char separator = '.') {
    return ItemListPageTexts(*items, layout, page, measure, separator);
  }
  std::unique_ptr<DocumentTable> items;
  QImage image{840, 1188, QImage::Format_RGB32};
  TDeviceTextMeasure measure{&image, 4.0};
};

TEST_F(ItemReportTest, AnEmptyTableGivesOnePageWithTitleAndHeadings) {
  const auto layout = Layout();
  ASSERT_EQ(layout.pages.size(), 1u);
  const auto& bands = layout.pages[0].bands;
  ASSERT_EQ(bands.size(), 2u);
  EXPECT_EQ(bands[0].kind, TReportBandKind::Title);
  EXPECT_EQ(bands[0].top, 1270);
  EXPECT_EQ(bands[1].kind, TReportBandKind::ColumnHeader);
  EXPECT_EQ(bands[1].top, 1270 + 1058);

  const auto texts = Texts(layout, 0);
  ASSERT_EQ(texts.size(), 9u);
  EXPECT_EQ(texts[0].text, "LISTA DE PRODUSE");
  EXPECT_TRUE(texts[0].centred);
  EXPECT_EQ(texts[0].left, 1270);
  EXPECT_EQ(texts[0].width, 18468);
  EXPECT_EQ(texts[0].top, 1270 + 212);
  const std::pair<int, const char*> headings[] = {{212, "Cod PLU"},  {2328, "Denumire articol"},
                                                  {7832, "TVA"},     {9525, "Cod bare"},
                                                  {12700, "Pret"},   {14605, "Tip pret"},
                                                  {16087, "Stand"},  {17568, "Grup"}};
  for (std::size_t c = 0; c < 8; ++c) {
    EXPECT_EQ(texts[c + 1].text, headings[c].second);
    EXPECT_EQ(texts[c + 1].left, 1270 + headings[c].first);
    EXPECT_EQ(texts[c + 1].top, 1270 + 1058 + 212);
    EXPECT_FALSE(texts[c + 1].centred);
    EXPECT_EQ(texts[c + 1].points, 10.0);
  }
  // Each column reaches up to the gap before the next one; the last up to the right margin.
  EXPECT_EQ(texts[2].width, 7832 - 2328 - kReportColumnGap);
  EXPECT_EQ(texts[8].width, 18468 - 17568);
}

TEST_F(ItemReportTest, DetailValuesPrintAsTheGridShowsThem) {
  AddItem(*items, 9, "Lapte", 0, 2.5);
  AddItem(*items, 3, "Paine", 1, 1234567.891);
  AddItem(*items, 7, "Ou", 2);
  AddItem(*items, 8, "Sare", std::nullopt);
  AddItem(*items, 4, "Mar", 3);
  items->Append();  // an item being typed in is no stored record and is not printed
  const auto layout = Layout(',');
  ASSERT_EQ(layout.pages.size(), 1u);
  ASSERT_EQ(layout.pages[0].bands.size(), 2u + 5u);
  EXPECT_EQ(layout.detailPoints, 10.0);

  const auto texts = Texts(layout, 0, ',');
  auto row = [&](std::size_t r) { return TextsInBand(texts, 1270 + 2 * 1058 + int(r) * 661, 661); };
  const auto first = row(0);
  ASSERT_EQ(first.size(), 5u);  // PLU, name, VAT, price, price type; empty fields print nothing
  EXPECT_EQ(first[0].text, "9");
  EXPECT_EQ(first[0].top, 1270 + 2 * 1058 + 79);
  EXPECT_EQ(first[1].text, "Lapte");
  EXPECT_EQ(first[2].text, "1");
  EXPECT_EQ(first[3].text, "2,5");
  EXPECT_EQ(first[4].text, "Fix");

  EXPECT_EQ(row(1)[0].text, "3") << "table order, not sorted";
  EXPECT_EQ(row(1)[3].text, "1234567,891");
  EXPECT_EQ(row(1)[4].text, "Liber");
  EXPECT_EQ(row(2)[3].text, "Liber max");
  EXPECT_EQ(row(3).back().text, "Fix") << "no price type prints as Fix";
  EXPECT_EQ(row(4).back().text, "1") << "an unknown price type prints nothing";

  EXPECT_EQ(Texts(Layout('.'), 0, '.')[9 + 3].text, "2.5");
}

TEST_F(ItemReportTest, ItemsThatDoNotFitStartAPageWithTheHeadingsOnly) {
  for (int i = 1; i <= 37; ++i) AddItem(*items, i, "x");
  ASSERT_EQ(Layout().pages.size(), 1u) << "37 detail bands fit under title and headings";
  AddItem(*items, 38, "x");
  auto layout = Layout();
  ASSERT_EQ(layout.pages.size(), 2u);
  EXPECT_EQ(layout.pages[0].bands.back().top + 661, 1270 + 2 * 1058 + 37 * 661);
  const auto& second = layout.pages[1].bands;
  ASSERT_EQ(second.size(), 2u);
  EXPECT_EQ(second[0].kind, TReportBandKind::ColumnHeader);
  EXPECT_EQ(second[0].top, 1270);
  EXPECT_EQ(second[1].kind, TReportBandKind::Detail);
  EXPECT_EQ(second[1].top, 1270 + 1058);
  EXPECT_EQ(second[1].record, 37u);
  EXPECT_EQ(Texts(layout, 1)[0].text, "Cod PLU") << "no title on the second page";

  for (int i = 39; i <= 37 + 39; ++i) AddItem(*items, i, "x");
  EXPECT_EQ(Layout().pages.size(), 2u) << "39 on a following page";
  AddItem(*items, 77, "x");
  EXPECT_EQ(Layout().pages.size(), 3u);
}

// The words pdftotext finds on the first page: text and left and right edge (points).
struct TPdfWord {
  std::string text;
  double left, right, top;
};
std::vector<TPdfWord> PdfWords(const QString& pdf) {
  const QString html = pdf + ".html";
  const std::string command = "pdftotext -f 1 -l 1 -bbox '" + pdf.toStdString() + "' '" + html.toStdString() + "'";
  if (std::system(command.c_str()) != 0) return {};
  std::ifstream in(html.toStdString());
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  static const QRegularExpression word(
      QStringLiteral("<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" yMax=\"[0-9.]+\">([^<]*)</word>"));
  std::vector<TPdfWord> words;
  for (const auto& m : word.globalMatch(QString::fromStdString(text)))
    words.push_back({m.captured(4).toStdString(), m.captured(1).toDouble(), m.captured(3).toDouble(),
                     m.captured(2).toDouble()});
  return words;
}

TEST_F(ItemReportTest, TheLargestValuesATableHoldsPrintWholeOnThePdf) {
  if (std::system("command -v pdftotext >/dev/null 2>&1") != 0) GTEST_SKIP() << "pdftotext missing (scripts/setup)";
  // The widest values each field can hold: nothing may be cut, and no two
  // columns may run into each other.
  const std::string name = "Ciocolata amaruie " + std::string(82, 'M');
  const std::string barcode(20, 'W');
  auto addWidest = [&](int plu, double price) {
    items->Append();
    items->SetInteger("PLUCode", plu);
    items->SetText("ItemName", name);
    items->SetInteger("VAT", -2147483647 - 1);
    items->SetText("Barcode", barcode);
    items->SetFloat("Price", price);
    items->SetInteger("PriceType", 2);
    items->SetInteger("Stand", 2147483647);
    items->SetInteger("Group", 999999999);
    items->Post();
  };
  addWidest(2147483647, -1.23456789012345e-300);
  addWidest(-2147483647 - 1, 123456789012345.0);
  QTemporaryDir dir;
  const QString pdf = dir.filePath("widest.pdf");
  ASSERT_TRUE(WriteItemListPdf(*items, pdf, ','));
  const auto words = PdfWords(pdf);
  ASSERT_FALSE(words.empty());
  auto count = [&](const std::string& text) {
    return std::count_if(words.begin(), words.end(), [&](const TPdfWord& w) { return w.text == text; });
  };
  for (const char* whole : {"2147483647", "-2147483648", "999999999", "-1,23456789012345E-300", "123456789012345",
                            "max", "Cod", "PLU", "Denumire", "articol", "bare", "Tip", "pret", "Stand", "Grup"})
    EXPECT_GE(count(whole), 1) << whole;
  EXPECT_EQ(count("2147483647"), 3) << "a PLU code and two stands";
  EXPECT_EQ(count("-2147483648"), 3) << "a PLU code and two VAT groups";
  EXPECT_EQ(count("Liber"), 2);
  EXPECT_EQ(count("999999999"), 2);
  // The texts that wrap: their pieces, in order, are all of them.
  std::string names, codes;
  for (const TPdfWord& w : words) {
    if (w.text.find_first_not_of('M') == std::string::npos || w.text == "Ciocolata" || w.text == "amaruie")
      names += w.text;
    if (w.text.find_first_not_of('W') == std::string::npos) codes += w.text;
  }
  EXPECT_EQ(names, "Ciocolataamaruie" + std::string(82, 'M') + "Ciocolataamaruie" + std::string(82, 'M'));
  EXPECT_EQ(codes, barcode + barcode);
  // No two words of one line overlap.
  for (std::size_t i = 0; i < words.size(); ++i)
    for (std::size_t j = i + 1; j < words.size(); ++j) {
      if (std::abs(words[i].top - words[j].top) >= 1) continue;
      EXPECT_TRUE(words[i].right <= words[j].left || words[j].right <= words[i].left)
          << words[i].text << " / " << words[j].text;
    }

  // Names wrap before the font shrinks, and it never shrinks below 7 points.
  const auto layout = Layout(',');
  EXPECT_TRUE(layout.columns[kItemListNameColumn].wraps);
  EXPECT_GE(layout.detailPoints, kReportMinDetailPoints);
  EXPECT_LT(layout.detailPoints, 10.0) << "these values do not fit at 10 points even with the names wrapped";
  for (std::size_t c : {0, 2, 4, 5, 6, 7}) EXPECT_FALSE(layout.columns[c].wraps) << "numbers never wrap";
  EXPECT_LE(layout.columns[7].offset + layout.columns[7].width, kReportPrintableWidth);
  EXPECT_GT(layout.pages[0].bands[2].height, kReportDetailHeight) << "the band holds the name's lines";

  // A list whose values fit keeps the usual offsets and font, the name a line.
  while (items->RecordCount() > 0) {
    items->First();
    items->Delete();
  }
  AddItem(*items, 7, std::string(32, 'a'));
  const auto fits = Layout(',');
  EXPECT_EQ(fits.detailPoints, 10.0);
  EXPECT_FALSE(fits.columns[kItemListNameColumn].wraps);
  EXPECT_EQ(fits.columns[0].offset, 212);
  EXPECT_GT(fits.columns[2].offset, 7832) << "the name pushes the TVA column right instead of being cut";
  EXPECT_EQ(fits.columns[7].offset, 17568);
}

int PdfPageCount(const QString& path) {
  std::ifstream in(path.toStdString(), std::ios::binary);
  const std::string pdf((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (pdf.rfind("%PDF", 0) != 0) return -1;
  static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?!s)"));
  return int(QString::fromLatin1(pdf.data(), qsizetype(pdf.size())).count(page));
}

TEST_F(ItemReportTest, ThePagesGoToAPdfFile) {
  QTemporaryDir dir;
  const QString empty = dir.filePath("empty.pdf");
  ASSERT_TRUE(WriteItemListPdf(*items, empty, '.'));
  EXPECT_EQ(PdfPageCount(empty), 1);

  for (int i = 1; i <= 50; ++i) AddItem(*items, i, "Articol " + std::to_string(i), i % 3, i * 1.25);
  const QString two = dir.filePath("two.pdf");
  ASSERT_TRUE(WriteItemListPdf(*items, two, ','));
  EXPECT_EQ(PdfPageCount(two), 2);

  EXPECT_FALSE(WriteItemListPdf(*items, dir.filePath("no/such/folder/x.pdf"), '.'));
}

// Not a check: writes the sample list of docs/ when VESTOK_SAMPLE_DIR names a folder.
TEST_F(ItemReportTest, WritesTheSampleListWhenAsked) {
  const char* folder = std::getenv("VESTOK_SAMPLE_DIR");
  if (!folder) GTEST_SKIP() << "VESTOK_SAMPLE_DIR not set";
  const char* names[] = {"Paine alba", "Lapte 1,5%", "Unt 200g", "Cafea macinata 250g", "Zahar tos 1kg",
                         "Ulei floarea soarelui 1l", "Oua M (10 buc)", "Apa minerala 2l", "Mere Golden",
                         "Branza telemea de vaca, ambalata in vid, produs traditional cu termen lung"};
  for (int i = 0; i < 60; ++i) {
    items->Append();
    items->SetInteger("PLUCode", 100 + i);
    items->SetText("ItemName", names[i % 10]);
    items->SetInteger("VAT", 1 + i % 3);
    items->SetText("Barcode", std::to_string(5941234000000LL + i * 7));
    items->SetFloat("Price", 1.5 + i * 0.75);
    items->SetInteger("PriceType", i % 3);
    items->SetInteger("Stand", 1 + i % 4);
    items->SetInteger("Group", 1 + i % 5);
    items->Post();
  }
  ASSERT_TRUE(WriteItemListPdf(*items, QString::fromLocal8Bit(folder) + "/item-list-sample.pdf", ','));
  if (std::getenv("VESTOK_SAMPLE_PNG")) {  // a look at the pages without a PDF viewer
    const auto layout = Layout(',');
    for (std::size_t p = 0; p < layout.pages.size(); ++p) {
      image.fill(Qt::white);
      QPainter painter(&image);
      PaintItemListPage(painter, 4, *items, layout, p, ',');
      painter.end();
      image.save(QString::fromLocal8Bit(std::getenv("VESTOK_SAMPLE_PNG")) + QString("-%1.png").arg(p + 1));
    }
  }
}

}  // namespace
