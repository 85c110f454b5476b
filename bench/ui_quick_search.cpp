// One keystroke in a quick-search box over 100,000 items, in the worst case:
// every keystroke scans the whole table (the match is the last item, or
// there is none and the keystroke is refused). Prints the slowest keystroke.
#include <QApplication>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "tables/document_table.h"
#include "ui/quick_search.h"

using namespace vestok;

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  DocumentTable items(TableDefinition(tkItems));
  items.Open();
  constexpr int kItems = 100000;
  for (int i = 0; i < kItems; ++i) {
    items.Append();
    items.SetInteger("PLUCode", i + 1);
    // Names share their first letters, so the prefix test reads several bytes.
    items.SetText("ItemName", "Articol de test " + std::to_string(i));
    items.SetText("Barcode", std::to_string(5940000000000LL + i));
    items.Post();
  }
  items.First();

  TQuickSearchPanel panel(tkItems, items);
  TSearchBox* name = panel.Box(2);
  TSearchBox* plu = panel.Box(1);
  const std::string last = "articol de test " + std::to_string(kItems - 1);

  using Clock = std::chrono::steady_clock;
  std::vector<double> times;
  auto timed = [&](auto&& step) {
    const auto start = Clock::now();
    step();
    times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  };
  for (int round = 0; round < 3; ++round) {
    // Typing the last item's name letter by letter; the early letters match
    // the first item at once, the last ones only the last item.
    for (std::size_t n = 1; n <= last.size(); ++n)
      timed([&] { name->ApplyTyped(QString::fromStdString(last.substr(0, n))); });
    timed([&] { name->ApplyTyped(QString::fromStdString(last + "x")); });  // refused after a full scan
    timed([&] { plu->ApplyTyped(QString::number(kItems)); });               // the last PLU
    timed([&] { plu->ApplyTyped(QString::number(kItems + 1)); });           // no such PLU
  }
  std::printf("ui.quick_search_100k_ms %.3f ms\n", *std::max_element(times.begin(), times.end()));
  return 0;
}
