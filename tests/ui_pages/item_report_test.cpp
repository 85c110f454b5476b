#include <gtest/gtest.h>

#include <QFontMetricsF>
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

class ItemReportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    pages_test::EnsureApplication();
    items = pages_test::OpenTable(tkItems);
  }
  std::unique_ptr<DocumentTable> items;
};

TEST_F(ItemReportTest, AnEmptyTableGivesOnePageWithTitleAndHeadings) {
  const auto pages = LayoutItemList(*items);
  ASSERT_EQ(pages.size(), 1u);
  ASSERT_EQ(pages[0].bands.size(), 2u);
  EXPECT_EQ(pages[0].bands[0].kind, TReportBandKind::Title);
  EXPECT_EQ(pages[0].bands[0].top, 1270);
  EXPECT_EQ(pages[0].bands[1].kind, TReportBandKind::ColumnHeader);
  EXPECT_EQ(pages[0].bands[1].top, 1270 + 1058);

  const auto texts = ItemListPageTexts(*items, pages[0], '.');
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
  }
  // Each column reaches up to the next one; the last up to the right margin.
  EXPECT_EQ(texts[2].width, 7832 - 2328);
  EXPECT_EQ(texts[8].width, 18468 - 17568);
}

TEST_F(ItemReportTest, DetailValuesPrintAsTheGridShowsThem) {
  AddItem(*items, 9, "Lapte", 0, 2.5);
  AddItem(*items, 3, "Paine", 1, 1234567.891);
  AddItem(*items, 7, "Ou", 2);
  AddItem(*items, 8, "Sare", std::nullopt);
  AddItem(*items, 4, "Mar", 3);
  items->Append();  // an item being typed in is no stored record and is not printed
  const auto pages = LayoutItemList(*items);
  ASSERT_EQ(pages.size(), 1u);
  ASSERT_EQ(pages[0].bands.size(), 2u + 5u);

  const auto texts = ItemListPageTexts(*items, pages[0], ',');
  auto row = [&](std::size_t r) { return TextsInBand(texts, 1270 + 2 * 1058 + int(r) * 661, 661); };
  const auto first = row(0);
  ASSERT_EQ(first.size(), 5u);  // PLU, name, VAT, price, price type; empty fields print nothing
  EXPECT_EQ(first[0].text, "9");
  EXPECT_EQ(first[0].top, 1270 + 2 * 1058 + 79);
  EXPECT_EQ(first[1].text, "Lapte");
  EXPECT_EQ(first[2].text, "1");
  EXPECT_EQ(first[3].text, "2,5");
  EXPECT_EQ(first[3].left, 1270 + 12700);
  EXPECT_EQ(first[4].text, "Fix");
  EXPECT_EQ(first[4].left, 1270 + 14605);

  EXPECT_EQ(row(1)[0].text, "3") << "table order, not sorted";
  EXPECT_EQ(row(1)[3].text, "1234567,891");
  EXPECT_EQ(row(1)[4].text, "Liber");
  EXPECT_EQ(row(2)[3].text, "Liber max");
  EXPECT_EQ(row(3).back().text, "Fix") << "no price type prints as Fix";
  EXPECT_EQ(row(4).back().text, "1") << "an unknown price type prints nothing";

  EXPECT_EQ(ItemListPageTexts(*items, pages[0], '.')[9 + 3].text, "2.5");
}

TEST_F(ItemReportTest, ItemsThatDoNotFitStartAPageWithTheHeadingsOnly) {
  for (int i = 1; i <= 37; ++i) AddItem(*items, i, "x");
  ASSERT_EQ(LayoutItemList(*items).size(), 1u) << "37 detail bands fit under title and headings";
  AddItem(*items, 38, "x");
  auto pages = LayoutItemList(*items);
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_EQ(pages[0].bands.back().top + 661, 1270 + 2 * 1058 + 37 * 661);
  const auto& second = pages[1].bands;
  ASSERT_EQ(second.size(), 2u);
  EXPECT_EQ(second[0].kind, TReportBandKind::ColumnHeader);
  EXPECT_EQ(second[0].top, 1270);
  EXPECT_EQ(second[1].kind, TReportBandKind::Detail);
  EXPECT_EQ(second[1].top, 1270 + 1058);
  EXPECT_EQ(second[1].record, 37u);
  const auto texts = ItemListPageTexts(*items, pages[1], '.');
  EXPECT_EQ(texts[0].text, "Cod PLU") << "no title on the second page";

  for (int i = 39; i <= 37 + 39; ++i) AddItem(*items, i, "x");
  EXPECT_EQ(LayoutItemList(*items).size(), 2u) << "39 on a following page";
  AddItem(*items, 77, "x");
  EXPECT_EQ(LayoutItemList(*items).size(), 3u);
}

TEST_F(ItemReportTest, ALongValueIsCutBeforeTheNextColumn) {
  const QString name(120, QChar('W'));
  AddItem(*items, 1, std::string(100, 'W'));
  items->First();
  items->SetNull("VAT");
  items->Post();

  // Rendered at 4 pixels per millimetre: nothing may reach the TVA column.
  const qreal perMm = 4;
  QImage image(int(210 * perMm), int(297 * perMm), QImage::Format_RGB32);
  image.setDotsPerMeterX(int(perMm * 1000));
  image.setDotsPerMeterY(int(perMm * 1000));
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    PaintItemListPage(painter, perMm, *items, LayoutItemList(*items)[0], '.');
  }
  auto inkIn = [&](qreal leftMm, qreal rightMm, qreal topMm, qreal bottomMm) {
    int ink = 0;
    for (int y = int(topMm * perMm); y < int(bottomMm * perMm); ++y)
      for (int x = int(leftMm * perMm); x < int(rightMm * perMm); ++x)
        if (qGray(image.pixel(x, y)) < 128) ++ink;
    return ink;
  };
  const qreal bandTop = 12.7 + 2 * 10.58;
  EXPECT_GT(inkIn(12.7 + 23.28, 12.7 + 78.32, bandTop, bandTop + 6.61), 0) << "the name is printed";
  EXPECT_EQ(inkIn(12.7 + 78.32, 12.7 + 127.0, bandTop, bandTop + 6.61), 0) << "and stops at the TVA column";

  const QFontMetricsF metrics(ItemListFont(), &image);
  const QString fitted = FitTextToWidth(name, metrics, 55.04 * perMm);
  EXPECT_LT(fitted.size(), name.size());
  EXPECT_GT(fitted.size(), 0);
  EXPECT_LE(metrics.horizontalAdvance(fitted), 55.04 * perMm);
  EXPECT_GT(metrics.horizontalAdvance(name.left(fitted.size() + 1)), 55.04 * perMm) << "the longest start that fits";
  EXPECT_EQ(FitTextToWidth("Ou", metrics, 100), "Ou");

  // A value a little too wide is condensed rather than cut; a long one is cut.
  const QString liberMax = QStringLiteral("Liber max");
  const qreal natural = metrics.horizontalAdvance(liberMax);
  const TFittedText slightly = FitTextToColumn(liberMax, ItemListFont(), &image, natural * 0.95);
  EXPECT_EQ(slightly.text, liberMax);
  EXPECT_LT(slightly.stretch, 100);
  EXPECT_GE(slightly.stretch, kMinTextStretch);
  const TFittedText cut = FitTextToColumn(name, ItemListFont(), &image, 55.04 * perMm);
  EXPECT_EQ(cut.text, fitted);
  EXPECT_EQ(cut.stretch, 100);
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
    const auto pages = LayoutItemList(*items);
    for (std::size_t p = 0; p < pages.size(); ++p) {
      QImage image(840, 1188, QImage::Format_RGB32);
      image.setDotsPerMeterX(4000);
      image.setDotsPerMeterY(4000);
      image.fill(Qt::white);
      QPainter painter(&image);
      PaintItemListPage(painter, 4, *items, pages[p], ',');
      painter.end();
      image.save(QString::fromLocal8Bit(std::getenv("VESTOK_SAMPLE_PNG")) + QString("-%1.png").arg(p + 1));
    }
  }
}

}  // namespace
