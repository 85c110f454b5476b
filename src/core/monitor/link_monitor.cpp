#include "monitor/link_monitor.h"

#include <algorithm>

#include "ecr/link_port.h"
#include "monitor/port_failure.h"
#include "serial/block_serial.h"
#include "text/number_text.h"

namespace vestok {
namespace {

std::string PortLabel(const TBlockSerial& port, const std::string& name) {
  if (port.DeviceName.empty() || port.DeviceName == name) return name;
  return name + " (" + port.DeviceName + ")";
}

}  // namespace

TLinkMonitor& TLinkMonitor::Instance() {
  // Never destroyed: a link port still open at exit closes after every static.
  static TLinkMonitor* monitor = new TLinkMonitor;
  return *monitor;
}

void TLinkMonitor::Attach() { SetLinkObserver(this); }
void TLinkMonitor::Detach() {
  if (LinkObserver() == this) SetLinkObserver(nullptr);
}

void TLinkMonitor::AddSink(ILinkMonitorSink* sink) {
  std::lock_guard lock(mutex_);
  if (std::find(sinks_.begin(), sinks_.end(), sink) == sinks_.end()) sinks_.push_back(sink);
}

void TLinkMonitor::RemoveSink(ILinkMonitorSink* sink) {
  std::lock_guard lock(mutex_);
  sinks_.erase(std::remove(sinks_.begin(), sinks_.end(), sink), sinks_.end());
}

std::string TLinkMonitor::LastFailure() const {
  std::lock_guard lock(mutex_);
  return last_failure_;
}

void TLinkMonitor::ClearLastFailure() {
  std::lock_guard lock(mutex_);
  last_failure_.clear();
}

double TLinkMonitor::Ms(Clock::time_point at) {
  if (!first_) first_ = at;
  return std::chrono::duration<double, std::milli>(at - *first_).count();
}

void TLinkMonitor::Deliver() {
  if (lines_.empty()) return;
  purged_ = lines_.back().Kind == TMonitorKind::Purge;
  for (ILinkMonitorSink* sink : sinks_) sink->MonitorLines(lines_);
  lines_.clear();
}

void TLinkMonitor::NoteOutcome(const TBlockSerial& port, Clock::time_point at) {
  const std::int32_t code = port.LastErrorCode;
  if (code == 0 || code == ErrTimeout) {
    last_error_ = 0;
    return;
  }
  const bool gone = port.DeviceGone();
  if (gone) last_failure_ = "Legatura cu casa de marcat s-a pierdut: " + PortFailureReason(code, true);
  if (code == last_error_) return;
  last_error_ = code;
  if (sinks_.empty()) return;
  decoder_.PortEvent(Ms(at), TMonitorKind::Error, PortFailureReason(code, gone), lines_);
}

void TLinkMonitor::EmitPendingOpen() {
  if (!pending_open_) return;
  if (!sinks_.empty()) decoder_.PortEvent(Ms(pending_open_at_), TMonitorKind::Open, *pending_open_ + ": OK", lines_);
  pending_open_.reset();
}

void TLinkMonitor::PortOpened(const TBlockSerial& port, const std::string& name) {
  const Clock::time_point at = Clock::now();
  std::lock_guard lock(mutex_);
  EmitPendingOpen();
  last_error_ = 0;
  if (port.LastErrorCode == 0) {
    open_port_ = &port;
    pending_open_ = PortLabel(port, name);
    pending_open_at_ = at;
    return;
  }
  const std::string reason = PortFailureReason(port.LastErrorCode);
  last_failure_ = "Portul " + name + " nu poate fi deschis: " + reason;
  if (sinks_.empty()) return;
  decoder_.PortEvent(Ms(at), TMonitorKind::Open, PortLabel(port, name) + ": " + port.LastErrorText, lines_);
  decoder_.PortEvent(Ms(at), TMonitorKind::Error, reason, lines_);
  Deliver();
}

void TLinkMonitor::LineSettingsWritten(const TBlockSerial& port) {
  const Clock::time_point at = Clock::now();
  std::lock_guard lock(mutex_);
  std::string label = pending_open_ ? *pending_open_ : port.DeviceName;
  pending_open_.reset();
  label += ' ' + IntToText(port.LineSettings.Speed) + " bit/s";
  if (port.LastErrorCode != 0) {
    const std::string reason = PortFailureReason(port.LastErrorCode, port.DeviceGone());
    last_failure_ = "Portul " + port.DeviceName + " nu poate fi deschis: " + reason;
    if (sinks_.empty()) return;
    decoder_.PortEvent(Ms(at), TMonitorKind::Open, label + ": " + port.LastErrorText, lines_);
    decoder_.PortEvent(Ms(at), TMonitorKind::Error, reason, lines_);
  } else {
    if (sinks_.empty()) return;
    decoder_.PortEvent(Ms(at), TMonitorKind::Open, label + ": OK", lines_);
  }
  Deliver();
}

void TLinkMonitor::BytesSent(const TBlockSerial& port, std::string_view sent, Clock::time_point handedOver) {
  const Clock::time_point at = Clock::now();
  std::lock_guard lock(mutex_);
  purged_ = false;
  if (!sinks_.empty()) decoder_.Sent(Ms(handedOver), sent, lines_);
  NoteOutcome(port, at);
  Deliver();
}

void TLinkMonitor::BytesReceived(const TBlockSerial& port, std::string_view bytes, int timeoutMs) {
  const Clock::time_point at = Clock::now();
  std::lock_guard lock(mutex_);
  purged_ = false;
  if (!sinks_.empty()) {
    if (!bytes.empty()) decoder_.Received(Ms(at), bytes, lines_);
    if (bytes.empty() && port.LastErrorCode == ErrTimeout) decoder_.Timeout(Ms(at), timeoutMs, true, lines_);
  }
  NoteOutcome(port, at);
  Deliver();
}

void TLinkMonitor::WaitEnded(const TBlockSerial& port, int timeoutMs) {
  const Clock::time_point at = Clock::now();
  std::lock_guard lock(mutex_);
  purged_ = false;
  if (!sinks_.empty() && port.LastErrorCode == 0) decoder_.Timeout(Ms(at), timeoutMs, false, lines_);
  NoteOutcome(port, at);
  Deliver();
}

void TLinkMonitor::QueuesDiscarded(const TBlockSerial& port) {
  const Clock::time_point at = Clock::now();
  std::lock_guard lock(mutex_);
  // The purge an open makes of its own is part of the open; purges in a row
  // (a deselection's, then the close's) show as one.
  if (!sinks_.empty() && &port == open_port_ && !purged_) decoder_.PortEvent(Ms(at), TMonitorKind::Purge, {}, lines_);
  NoteOutcome(port, at);
  Deliver();
}

void TLinkMonitor::PortClosed(const TBlockSerial& port) {
  const Clock::time_point at = Clock::now();
  std::lock_guard lock(mutex_);
  EmitPendingOpen();
  last_error_ = 0;
  if (open_port_ == &port) open_port_ = nullptr;
  if (!sinks_.empty()) decoder_.PortEvent(Ms(at), TMonitorKind::Close, port.DeviceName, lines_);
  Deliver();
}

}  // namespace vestok
