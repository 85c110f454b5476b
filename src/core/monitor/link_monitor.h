#pragma once
// The line monitor's core: watches the link port (as its observer), decodes
// the traffic into frames and hands the lines to whoever listens: the monitor
// window, the trace file. It also keeps why the link failed last, for the
// status lines of the port tools. Thread-safe: the link is used from the
// user-interface thread and from the port tools' workers.
//
// The thread that uses the port only notes each event (a copy of its bytes
// and the time); a thread of the monitor's own decodes the events and hands
// the lines to the sinks, a few milliseconds later, so an exchange does not
// wait for the decoding and the writing.
#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "monitor/frame_decoder.h"
#include "serial/port_observer.h"

namespace vestok {

struct TLink;

class ILinkMonitorSink {
 public:
  virtual ~ILinkMonitorSink() = default;
  // Called on the monitor's thread, under its lock: it must not block and
  // must not call back into the monitor.
  virtual void MonitorLines(const std::vector<TMonitorLine>& lines) = 0;
};

// One monitor per link: each carries its own decoding state. Its thread is
// started by the first event a sink will see and joined by the destructor.
class TLinkMonitor final : public IPortObserver {
 public:
  TLinkMonitor() = default;
  ~TLinkMonitor() override;
  TLinkMonitor(const TLinkMonitor&) = delete;
  TLinkMonitor& operator=(const TLinkMonitor&) = delete;

  // Makes the monitor the observer of every port `link` opens from now on.
  void Attach(TLink& link);
  // No port `link` opens from now on is watched by this monitor.
  void Detach(TLink& link);

  // A sink receives the lines from now on; after RemoveSink it gets no more.
  void AddSink(ILinkMonitorSink* sink);
  void RemoveSink(ILinkMonitorSink* sink);
  // Returns once every event noted so far has reached the sinks.
  void Drain();

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
  enum class TEventType { Opened, Settings, Sent, Received, WaitEnded, Purged, Closed };
  // What the port's thread notes of one event.
  struct TEvent {
    TEventType Type;
    Clock::time_point At;
    const TBlockSerial* Port = nullptr;
    std::string Bytes;  // sent or received; the port name for Opened
    std::string DeviceName;
    std::string ErrorText;
    std::int32_t Code = 0;
    bool Gone = false;
    int TimeoutMs = 0;
    std::int32_t Speed = 0;
  };

  void Note(TEventType type, const TBlockSerial& port, std::string_view bytes, Clock::time_point at,
            int timeoutMs = 0);
  void NoteFailure(const TBlockSerial& port, const std::string& name);
  void Run();
  void Process(const TEvent& e);
  double Ms(Clock::time_point at);
  void Deliver();
  // A failed operation: one error line per failure in a row.
  void NoteOutcome(const TEvent& e);
  // An open whose line settings never came (a port object of its own, or
  // one released after a failure) is shown when the next event comes.
  void EmitPendingOpen();

  // Guards the sinks, the queue and the failure; taken briefly by the port's thread.
  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable drained_;
  std::vector<ILinkMonitorSink*> sinks_;
  std::deque<TEvent> queue_;
  bool busy_ = false;     // the monitor's thread is processing events
  bool running_ = false;  // the monitor's thread has been started
  bool stopping_ = false; // the destructor waits for the thread
  std::thread thread_;
  int drainers_ = 0;      // callers of Drain waiting
  std::string lastFailure_;

  // The decoding state, used by the monitor's thread only (under mutex_ while
  // lines are handed over).
  TFrameDecoder decoder_;
  std::vector<TMonitorLine> lines_;
  std::optional<Clock::time_point> first_;
  std::optional<std::string> pendingOpen_;  // opened, line settings not yet written
  Clock::time_point pendingOpenAt_{};
  std::int32_t lastError_ = 0;
  const TBlockSerial* openPort_ = nullptr;  // reported open, not yet closed
  bool purged_ = false;  // nothing but a purge since the last purge line
};

}  // namespace vestok
