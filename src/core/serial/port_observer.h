#pragma once
// What a port object reports to whoever watches the line: every open, every
// line setting, every send (the bytes that went out, when they were handed
// over and when the send completed), every run of bytes that arrived, every
// wait that ran out, every purge and every close. The calls come on the thread
// that uses the port, from its public operations, so every kind of port
// behind them is watched alike. A port with no observer reports nothing.
#include <chrono>
#include <string>
#include <string_view>
#include <utility>

namespace vestok {

class TBlockSerial;

class IPortObserver {
 public:
  using Clock = std::chrono::steady_clock;
  virtual ~IPortObserver() = default;

  // OpenPort has ended; LastErrorCode of the port is its outcome.
  virtual void PortOpened(const TBlockSerial& port, const std::string& name) = 0;
  // WriteLineSettings has ended; the port's LineSettings and outcome.
  virtual void LineSettingsWritten(const TBlockSerial& port) = 0;
  // SendBytes has ended: `sent` are the bytes that went out.
  virtual void BytesSent(const TBlockSerial& port, std::string_view sent, Clock::time_point handedOver) = 0;
  // Bytes taken from the platform (possibly none, when the read failed:
  // LastErrorCode says why, 9997 for a read that ran out of time).
  virtual void BytesReceived(const TBlockSerial& port, std::string_view bytes, int timeoutMs) = 0;
  // WaitReadable came back without data: time-out, or a failure.
  virtual void WaitEnded(const TBlockSerial& port, int timeoutMs) = 0;
  virtual void QueuesDiscarded(const TBlockSerial& port) = 0;
  virtual void PortClosed(const TBlockSerial& port) = 0;
};

// Runs `f` when the scope ends, whichever way an operation returns.
template <class F>
class TOnExit {
 public:
  explicit TOnExit(F f) : f_(std::move(f)) {}
  ~TOnExit() { f_(); }
  TOnExit(const TOnExit&) = delete;
  TOnExit& operator=(const TOnExit&) = delete;

 private:
  F f_;
};

}  // namespace vestok
