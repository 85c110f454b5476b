#include "tools/detect_scan.h"

#include <algorithm>
#include <cmath>

#include "ecr/fiscal_number.h"
#include "text/ascii.h"
#include "text/number_text.h"

namespace vestok {

std::string DetectEntryText(const TDetectFound& found) {
  return found.FiscalNumber + " - " + found.PortName + " [" + IntToText(found.Speed) + "], " + "nr logic:" + " " +
         IntToText(found.LogicNo);
}

std::string DetectActionText(const std::string& portName, std::int32_t speed, std::int16_t logicNo) {
  return "Incerc " + portName + " [" + IntToText(speed) + "] - " + "nr logic:" + " " + IntToText(logicNo);
}

int DetectCombinations(const TDetectScanSetup& setup) {
  const long long numbers = setup.LogicTo >= setup.LogicFrom ? setup.LogicTo - setup.LogicFrom + 1 : 0;
  const long long combinations =
      static_cast<long long>(std::max(setup.TickedPorts, 0)) * std::max(setup.TickedSpeeds, 0) * numbers;
  return static_cast<int>(std::min<long long>(combinations, 0x7FFFFFFF));
}

std::optional<std::int32_t> DetectSpeedFromEntry(const std::string& entry) {
  return ParseInt32(TrimBlanks(entry));
}

void RunDetectScan(TLink& link, const TDetectScanSetup& setup, const TDetectScanHooks& hooks) {
  const auto stopped = [&] { return hooks.StopRequested && hooks.StopRequested(); };
  const auto defaultQuery = [&link](const std::string& port, std::int32_t speed, std::int16_t logicNo, int timeoutMs,
                                    std::string& fiscalNumber) {
    return ReadFiscalNumber(link, port, speed, logicNo, timeoutMs, fiscalNumber) == FiscalQueryOk;
  };
  const auto& query = hooks.Query ? hooks.Query : decltype(hooks.Query)(defaultQuery);
  const int combinations = DetectCombinations(setup);
  const double step = combinations > 0 ? 100.0 / combinations : 0.0;
  double progress = 0.0;

  for (int p = 0; p < setup.PortCount; ++p) {
    if (stopped()) return;
    const auto port = hooks.TickedPort(p);
    if (!port) continue;
    for (int s = 0; s < setup.SpeedCount; ++s) {
      if (stopped()) return;
      const auto entry = hooks.TickedSpeed(s);
      if (!entry) continue;
      const auto speed = DetectSpeedFromEntry(*entry);
      if (!speed) continue;
      for (int n = setup.LogicFrom; n <= setup.LogicTo; ++n) {
        if (stopped()) return;
        const auto logicNo = static_cast<std::int16_t>(n);
        progress += step;
        // Ticks added during the scan can carry the sum past 100; the gauge
        // stops there.
        const int shown = static_cast<int>(std::lround(std::min(progress, 100.0)));
        if (hooks.Trying) hooks.Trying(DetectActionText(*port, *speed, logicNo), shown);
        std::string fiscalNumber;
        if (query(*port, *speed, logicNo, setup.TimeoutMs, fiscalNumber) && hooks.Found)
          hooks.Found(TDetectFound{fiscalNumber, *port, *speed, logicNo});
      }
    }
  }
}

}  // namespace vestok
