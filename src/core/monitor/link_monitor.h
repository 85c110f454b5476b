#pragma once
// The line monitor's core: watches the link port (as its observer), decodes
// the traffic into frames and hands the lines to whoever listens: the monitor
// window, the trace file. It also keeps why the link failed last, for the
// status lines of the port tools. Thread-safe: the link is used from the
// user-interface thread and from the port tools' workers.
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "monitor/frame_decoder.h"
#include "serial/port_observer.h"

namespace vestok {

class ILinkMonitorSink {
 public:
  virtual ~ILinkMonitorSink() = default;
  // Called on the thread that uses the link, under the monitor's lock: it
  // must not block and must not call back into the monitor.
  virtual void MonitorLines(const std::vector<TMonitorLine>& lines) = 0;
};

class TLinkMonitor final : public IPortObserver {
 public:
  // The one monitor of the process; it lives for the whole run.
  static TLinkMonitor& Instance();

  // Makes the monitor the observer of every link port opened from now on.
  void Attach();
  // No link port opened from now on is watched.
  void Detach();

  // A sink receives the lines from now on; after RemoveSink it gets no more.
  void AddSink(ILinkMonitorSink* sink);
  void RemoveSink(ILinkMonitorSink* sink);

  // Why the link failed last (a port that would not open, a device that went
  // away), in words; empty when it has not failed since ClearLastFailure.
  std::string LastFailure() const;
  void ClearLastFailure();

  // IPortObserver
  void PortOpened(const TBlockSerial& port, const std::string& name) override;
  void LineSettingsWritten(const TBlockSerial& port) override;
  void BytesSent(const TBlockSerial& port, std::string_view sent, Clock::time_point handedOver) override;
  void BytesReceived(const TBlockSerial& port, std::string_view bytes, int timeoutMs) override;
  void WaitEnded(const TBlockSerial& port, int timeoutMs) override;
  void QueuesDiscarded(const TBlockSerial& port) override;
  void PortClosed(const TBlockSerial& port) override;

 private:
  TLinkMonitor() = default;
  double Ms(Clock::time_point at);
  void Deliver();
  // A failed operation: one error line per failure in a row.
  void NoteOutcome(const TBlockSerial& port, Clock::time_point at);
  // An open whose line settings never came (a port object of its own, or
  // one released after a failure) is shown when the next event comes.
  void EmitPendingOpen();

  mutable std::mutex mutex_;
  std::vector<ILinkMonitorSink*> sinks_;
  TFrameDecoder decoder_;
  std::vector<TMonitorLine> lines_;
  std::optional<Clock::time_point> first_;
  std::optional<std::string> pending_open_;  // opened, line settings not yet written
  Clock::time_point pending_open_at_{};
  std::int32_t last_error_ = 0;
  const TBlockSerial* open_port_ = nullptr;  // reported open, not yet closed
  bool purged_ = false;  // nothing but a purge since the last purge line
  std::string last_failure_;
};

}  // namespace vestok
