#include "monitor/link_monitor.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "ecr/link_port.h"
#include "monitor/port_failure.h"
#include "serial/block_serial.h"
#include "text/number_text.h"

namespace vestok {
namespace {

std::string PortLabel(const std::string& deviceName, const std::string& name) {
  if (deviceName.empty() || deviceName == name) return name;
  return name + " (" + deviceName + ")";
}

// How long the monitor's thread gathers events before it decodes them.
constexpr auto kGather = std::chrono::milliseconds(5);

}  // namespace

TLinkMonitor::~TLinkMonitor() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable()) thread_.join();
}

void TLinkMonitor::Attach(TLink& link) { link.Observer = this; }
void TLinkMonitor::Detach(TLink& link) {
  if (link.Observer == this) link.Observer = nullptr;
}

void TLinkMonitor::AddSink(ILinkMonitorSink* sink) {
  std::lock_guard lock(mutex_);
  if (std::find(sinks_.begin(), sinks_.end(), sink) == sinks_.end()) sinks_.push_back(sink);
}

void TLinkMonitor::RemoveSink(ILinkMonitorSink* sink) {
  std::lock_guard lock(mutex_);
  sinks_.erase(std::remove(sinks_.begin(), sinks_.end(), sink), sinks_.end());
}

void TLinkMonitor::Drain() {
  std::unique_lock lock(mutex_);
  ++drainers_;
  wake_.notify_all();
  drained_.wait(lock, [this] { return queue_.empty() && !busy_; });
  --drainers_;
}

std::string TLinkMonitor::LastFailure() const {
  std::lock_guard lock(mutex_);
  return lastFailure_;
}

void TLinkMonitor::ClearLastFailure() {
  std::lock_guard lock(mutex_);
  lastFailure_.clear();
}

// ---- the port's thread

void TLinkMonitor::NoteFailure(const TBlockSerial& port, const std::string& name) {
  const std::int32_t code = port.LastErrorCode;
  if (code == 0 || code == ErrTimeout) return;
  if (port.DeviceGone())
    lastFailure_ = "Legatura cu casa de marcat s-a pierdut: " + PortFailureReason(code, true);
  else if (!name.empty())
    lastFailure_ = "Portul " + name + " nu poate fi deschis: " + PortFailureReason(code);
}

void TLinkMonitor::Note(TEventType type, const TBlockSerial& port, std::string_view bytes, Clock::time_point at,
                        int timeoutMs) {
  bool wake = false;
  {
    std::lock_guard lock(mutex_);
    const bool opening = type == TEventType::Opened || type == TEventType::Settings;
    NoteFailure(port, opening ? (type == TEventType::Opened ? std::string(bytes) : port.DeviceName) : std::string());
    if (sinks_.empty()) return;
    TEvent e;
    e.Type = type;
    e.At = at;
    e.Port = &port;
    e.Bytes.assign(bytes);
    e.Code = port.LastErrorCode;
    e.Gone = port.DeviceGone();
    e.TimeoutMs = timeoutMs;
    if (type == TEventType::Opened || type == TEventType::Settings || type == TEventType::Closed) {
      e.DeviceName = port.DeviceName;
      e.ErrorText = port.LastErrorText;
      e.Speed = port.LineSettings.Speed;
    }
    wake = queue_.empty();
    queue_.push_back(std::move(e));
    if (!running_) {
      running_ = true;
      thread_ = std::thread([this] { Run(); });
    }
  }
  if (wake) wake_.notify_all();
}

void TLinkMonitor::PortOpened(const TBlockSerial& port, const std::string& name) {
  Note(TEventType::Opened, port, name, Clock::now());
}
void TLinkMonitor::LineSettingsWritten(const TBlockSerial& port) { Note(TEventType::Settings, port, {}, Clock::now()); }
void TLinkMonitor::BytesSent(const TBlockSerial& port, std::string_view sent, Clock::time_point handedOver) {
  Note(TEventType::Sent, port, sent, handedOver);
}
void TLinkMonitor::BytesReceived(const TBlockSerial& port, std::string_view bytes, int timeoutMs) {
  Note(TEventType::Received, port, bytes, Clock::now(), timeoutMs);
}
void TLinkMonitor::WaitEnded(const TBlockSerial& port, int timeoutMs) {
  Note(TEventType::WaitEnded, port, {}, Clock::now(), timeoutMs);
}
void TLinkMonitor::QueuesDiscarded(const TBlockSerial& port) { Note(TEventType::Purged, port, {}, Clock::now()); }
void TLinkMonitor::PortClosed(const TBlockSerial& port) { Note(TEventType::Closed, port, {}, Clock::now()); }

// ---- the monitor's thread

void TLinkMonitor::Run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    wake_.wait(lock, [this] { return !queue_.empty() || stopping_; });
    if (queue_.empty()) return;  // stopping, with every event delivered
    // Events come in bursts (an exchange); they are taken together.
    wake_.wait_for(lock, kGather, [this] { return drainers_ > 0 || stopping_; });
    std::deque<TEvent> events;
    events.swap(queue_);
    busy_ = true;
    lock.unlock();
    for (const TEvent& e : events) Process(e);
    lock.lock();
    Deliver();
    busy_ = false;
    if (queue_.empty()) drained_.notify_all();
  }
}

double TLinkMonitor::Ms(Clock::time_point at) {
  if (!first_) first_ = at;
  return std::chrono::duration<double, std::milli>(at - *first_).count();
}

void TLinkMonitor::Deliver() {
  if (lines_.empty()) return;
  for (ILinkMonitorSink* sink : sinks_) sink->MonitorLines(lines_);
  lines_.clear();
}

void TLinkMonitor::NoteOutcome(const TEvent& e) {
  if (e.Code == 0 || e.Code == ErrTimeout) {
    lastError_ = 0;
    return;
  }
  if (e.Code == lastError_) return;
  lastError_ = e.Code;
  decoder_.PortEvent(Ms(e.At), TMonitorKind::Error, PortFailureReason(e.Code, e.Gone), lines_);
}

void TLinkMonitor::EmitPendingOpen() {
  if (!pendingOpen_) return;
  decoder_.PortEvent(Ms(pendingOpenAt_), TMonitorKind::Open, *pendingOpen_ + ": OK", lines_);
  pendingOpen_.reset();
}

void TLinkMonitor::Process(const TEvent& e) {
  if (e.Type != TEventType::Purged) purged_ = false;
  switch (e.Type) {
    case TEventType::Opened:
      EmitPendingOpen();
      lastError_ = 0;
      if (e.Code == 0) {
        openPort_ = e.Port;
        pendingOpen_ = PortLabel(e.DeviceName, e.Bytes);
        pendingOpenAt_ = e.At;
      } else {
        decoder_.PortEvent(Ms(e.At), TMonitorKind::Open, PortLabel(e.DeviceName, e.Bytes) + ": " + e.ErrorText, lines_);
        decoder_.PortEvent(Ms(e.At), TMonitorKind::Error, PortFailureReason(e.Code), lines_);
      }
      break;
    case TEventType::Settings: {
      std::string label = pendingOpen_ ? *pendingOpen_ : e.DeviceName;
      pendingOpen_.reset();
      label += ' ' + IntToText(e.Speed) + " bit/s";
      if (e.Code != 0) {
        decoder_.PortEvent(Ms(e.At), TMonitorKind::Open, label + ": " + e.ErrorText, lines_);
        decoder_.PortEvent(Ms(e.At), TMonitorKind::Error, PortFailureReason(e.Code, e.Gone), lines_);
      } else {
        decoder_.PortEvent(Ms(e.At), TMonitorKind::Open, label + ": OK", lines_);
      }
      break;
    }
    case TEventType::Sent:
      decoder_.Sent(Ms(e.At), e.Bytes, lines_);
      NoteOutcome(e);
      break;
    case TEventType::Received:
      if (!e.Bytes.empty()) decoder_.Received(Ms(e.At), e.Bytes, lines_);
      if (e.Bytes.empty() && e.Code == ErrTimeout) decoder_.Timeout(Ms(e.At), e.TimeoutMs, true, lines_);
      NoteOutcome(e);
      break;
    case TEventType::WaitEnded:
      if (e.Code == 0) decoder_.Timeout(Ms(e.At), e.TimeoutMs, false, lines_);
      NoteOutcome(e);
      break;
    case TEventType::Purged:
      // The purge an open makes of its own is part of the open; purges in a
      // row (a deselection's, then the close's) show as one.
      if (e.Port == openPort_ && !purged_) {
        decoder_.PortEvent(Ms(e.At), TMonitorKind::Purge, {}, lines_);
        purged_ = true;
      }
      NoteOutcome(e);
      break;
    case TEventType::Closed:
      EmitPendingOpen();
      lastError_ = 0;
      if (openPort_ == e.Port) openPort_ = nullptr;
      decoder_.PortEvent(Ms(e.At), TMonitorKind::Close, e.DeviceName, lines_);
      break;
  }
}

}  // namespace vestok
