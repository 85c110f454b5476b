#pragma once
// The scan of the detection dialog: ports, then speeds, then logical numbers,
// one fiscal number query per combination. Plain C++; the dialog runs it on a
// worker thread and serves its hooks on the user-interface thread.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "ecr/link_port.h"

namespace vestok {

// A register that answered.
struct TDetectFound {
  std::string FiscalNumber;
  std::string PortName;
  std::int32_t Speed = 0;
  std::int16_t LogicNo = 0;
};

// "<fiscal number> - <port> [<speed>], nr logic: <n>"
std::string DetectEntryText(const TDetectFound& found);
// "Incerc <port> [<speed>] - nr logic: <n>"
std::string DetectActionText(const std::string& portName, std::int32_t speed, std::int16_t logicNo);

// What one scan runs with, fixed when it starts.
struct TDetectScanSetup {
  int LogicFrom = 1;
  int LogicTo = 10;
  int TimeoutMs = 500;
  int TickedPorts = 0;   // for the number of combinations only: the ticks
  int TickedSpeeds = 0;  // themselves are read as the scan reaches them
  int PortCount = 0;     // entries of the two lists
  int SpeedCount = 0;
};

struct TDetectScanHooks {
  // Read before each port, each speed and each logical number.
  std::function<bool()> StopRequested;
  // The entry's text when it is ticked at this moment, none otherwise.
  std::function<std::optional<std::string>(int index)> TickedPort;
  std::function<std::optional<std::string>(int index)> TickedSpeed;
  // Before each query: the action text and the progress rounded (0 to 100).
  std::function<void(const std::string& action, int progress)> Trying;
  // Each register that answers, at once.
  std::function<void(const TDetectFound& found)> Found;
  // The query; ReadFiscalNumber on the scan's link when empty.
  std::function<bool(const std::string& port, std::int32_t speed, std::int16_t logicNo, int timeoutMs,
                     std::string& fiscalNumber)>
      Query;
};

// Ticked ports times ticked speeds times the logical numbers from first to
// last (0 when the last is below the first).
int DetectCombinations(const TDetectScanSetup& setup);

// A speed entry ("  4800", "19200") as an integer, leading blanks skipped.
std::optional<std::int32_t> DetectSpeedFromEntry(const std::string& entry);

// Every query of the default kind runs on `link`, with its settings.
void RunDetectScan(TLink& link, const TDetectScanSetup& setup, const TDetectScanHooks& hooks);

}  // namespace vestok
