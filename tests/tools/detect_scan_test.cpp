// The detection scan's order, progress and texts, with a query of its own.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "support/window_state_for_tests.h"
#include "tools/detect_scan.h"

namespace vestok {
namespace {

TEST(DetectTextsTest, EntryAndActionTextsSpellOutPortSpeedAndLogicalNumber) {
  EXPECT_EQ(DetectEntryText({"1234567890", "COM1", 9600, 5}), "1234567890 - COM1 [9600], nr logic: 5");
  EXPECT_EQ(DetectEntryText({"", "/dev/ttyUSB0", 19200, 12}), " - /dev/ttyUSB0 [19200], nr logic: 12");
  EXPECT_EQ(DetectActionText("COM1", 9600, 5), "Incerc COM1 [9600] - nr logic: 5");
  EXPECT_EQ(DetectSpeedFromEntry("  4800"), 4800);
  EXPECT_EQ(DetectSpeedFromEntry("38400"), 38400);
}

TEST(DetectTextsTest, CombinationsAreTicksTimesTheLogicalRange) {
  TDetectScanSetup s;
  s.TickedPorts = 2;
  s.TickedSpeeds = 3;
  s.LogicFrom = 3;
  s.LogicTo = 7;
  EXPECT_EQ(DetectCombinations(s), 30);
  s.LogicTo = 2;
  EXPECT_EQ(DetectCombinations(s), 0);
  s.LogicTo = 3;
  s.TickedSpeeds = 0;
  EXPECT_EQ(DetectCombinations(s), 0);
}

// A scan over fixed lists; `answering` maps "port speed n" to a fiscal number.
struct FakeScan {
  std::vector<std::pair<std::string, bool>> ports;
  std::vector<std::pair<std::string, bool>> speeds = {{"  4800", false}, {"  9600", true}, {"19200", false}, {"38400", false}};
  std::map<std::string, std::string> answering;
  std::vector<std::string> actions;
  std::vector<int> progress;
  std::vector<std::string> found;
  std::vector<std::string> queried;
  std::function<void()> afterTry;
  bool stop = false;

  void Run(int from, int to) {
    TDetectScanSetup s;
    s.LogicFrom = from;
    s.LogicTo = to;
    s.TimeoutMs = 70;
    for (auto& p : ports) s.TickedPorts += p.second;
    for (auto& p : speeds) s.TickedSpeeds += p.second;
    s.PortCount = int(ports.size());
    s.SpeedCount = int(speeds.size());
    TDetectScanHooks h;
    h.StopRequested = [&] { return stop; };
    h.TickedPort = [&](int i) { return ports[i].second ? std::optional(ports[i].first) : std::nullopt; };
    h.TickedSpeed = [&](int i) { return speeds[i].second ? std::optional(speeds[i].first) : std::nullopt; };
    h.Trying = [&](const std::string& a, int p) {
      actions.push_back(a);
      progress.push_back(p);
      if (afterTry) afterTry();
    };
    h.Found = [&](const TDetectFound& f) { found.push_back(DetectEntryText(f)); };
    h.Query = [&](const std::string& port, std::int32_t speed, std::int16_t n, int timeout, std::string& fiscal) {
      EXPECT_EQ(timeout, 70);
      const std::string key = port + " " + std::to_string(speed) + " " + std::to_string(n);
      queried.push_back(key);
      auto it = answering.find(key);
      if (it == answering.end()) return false;
      fiscal = it->second;
      return true;
    };
    RunDetectScan(LinkPort, s, h);
  }
};

TEST(DetectScanTest, PortsThenSpeedsThenLogicalNumbersInAscendingOrder) {
  FakeScan scan;
  scan.ports = {{"COM1", true}, {"COM2", false}, {"COM3", true}};
  scan.speeds[3].second = true;
  scan.answering = {{"COM1 9600 2", "F1"}, {"COM3 38400 1", "F 2"}};
  scan.Run(1, 2);
  EXPECT_EQ(scan.queried, (std::vector<std::string>{"COM1 9600 1", "COM1 9600 2", "COM1 38400 1", "COM1 38400 2",
                                                     "COM3 9600 1", "COM3 9600 2", "COM3 38400 1", "COM3 38400 2"}));
  EXPECT_EQ(scan.actions.front(), "Incerc COM1 [9600] - nr logic: 1");
  EXPECT_EQ(scan.found, (std::vector<std::string>{"F1 - COM1 [9600], nr logic: 2", "F 2 - COM3 [38400], nr logic: 1"}));
  EXPECT_EQ(scan.progress.back(), 100);
}

TEST(DetectScanTest, ThreeCombinationsShowTheRoundedRunningTotal) {
  FakeScan scan;
  scan.ports = {{"COM1", true}};
  scan.Run(4, 6);
  EXPECT_EQ(scan.progress, (std::vector<int>{33, 67, 100}));
}

TEST(DetectScanTest, TicksAreReadAsTheScanReachesThemAndTheGaugeStopsAt100) {
  FakeScan scan;
  scan.ports = {{"COM1", true}, {"COM2", false}};
  // Ticked during the scan: COM2 is scanned too, beyond the planned 100 %.
  scan.afterTry = [&] { scan.ports[1].second = true; };
  scan.Run(1, 2);
  EXPECT_EQ(scan.queried, (std::vector<std::string>{"COM1 9600 1", "COM1 9600 2", "COM2 9600 1", "COM2 9600 2"}));
  EXPECT_EQ(scan.progress, (std::vector<int>{50, 100, 100, 100}));
}

TEST(DetectScanTest, NothingTickedOrAnEmptyRangeTriesNothing) {
  FakeScan scan;
  scan.ports = {{"COM1", false}};
  scan.Run(1, 10);
  scan.ports = {{"COM1", true}};
  scan.Run(5, 4);
  EXPECT_TRUE(scan.queried.empty());
  EXPECT_TRUE(scan.progress.empty());
}

TEST(DetectScanTest, StopEndsTheScanBeforeTheNextLogicalNumber) {
  FakeScan scan;
  scan.ports = {{"COM1", true}, {"COM2", true}};
  scan.answering = {{"COM1 9600 1", "A"}};
  scan.afterTry = [&] { scan.stop = scan.actions.size() == 2; };
  scan.Run(1, 10);
  EXPECT_EQ(scan.queried.size(), 2u);  // the query under way is finished
  EXPECT_EQ(scan.found.size(), 1u);
}

}  // namespace
}  // namespace vestok
