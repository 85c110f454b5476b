#pragma once
// The link test: select one register over and over, read its answer to each
// selection, check the answer frame and count what happened. Plain C++; the
// dialog runs it on a worker thread of its own and redraws the counters.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "ecr/link_port.h"

namespace vestok {

struct TLinkTestCounters {
  std::int32_t BlocksSent = 0;
  std::int32_t BlocksReceived = 0;
  std::int32_t CRCErrors = 0;
  std::int32_t ByteTimeouts = 0;
  std::int32_t BlockTimeouts = 0;
  bool operator==(const TLinkTestCounters&) const = default;
};

// What one test runs with, fixed when it starts.
struct TLinkTestSetup {
  std::string PortName;
  std::optional<std::int32_t> Speed;  // none: the speed box held no number
  std::int16_t LogicNo = 1;
  int TimeoutMs = 500;          // first byte of an answer and every further byte
  std::int32_t Blocks = 999999; // TestCmd
  std::int32_t ByteTimeoutLimit = 1000;  // TestByte: byte time-outs allowed in one answer
};

struct TLinkTestHooks {
  // Read before each block and between the bytes of an answer.
  std::function<bool()> StopRequested;
  // Called after every change of a counter, with their values at that moment.
  std::function<void(const TLinkTestCounters&)> CountersChanged;
};

// The speed box's text as an integer (blanks around it allowed); none for
// an empty box or anything that is no number.
std::optional<std::int32_t> LinkTestSpeed(const std::string& text);

// Opens `link`, runs the blocks and closes the link again. When the speed
// is missing or the port cannot be opened nothing is sent and every counter
// stays 0. Returns the final counters.
TLinkTestCounters RunLinkTest(TLink& link, const TLinkTestSetup& setup, const TLinkTestHooks& hooks);

}  // namespace vestok
