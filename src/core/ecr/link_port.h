#pragma once
// The link to a register line: its port and the settings it runs with. Every
// user of a link (the fiscal number query, a job, the detection, the link test)
// is handed the link it works on, opens it at its start and closes it at its
// end. The window has one (LinkPort, see ecr/window_link.h); each job of the
// command line's plan has its own.
#include <cstdint>
#include <memory>
#include <string>

#include "config/link_settings.h"
#include "serial/block_serial.h"

namespace vestok {

struct TLink {
  // The settings are borrowed: they outlive the link, and the link routines
  // read each field at the moment they need it.
  explicit TLink(TLinkSettings& settings) : Settings(settings) {}
  TLink(const TLink&) = delete;
  TLink& operator=(const TLink&) = delete;

  TBlockSerial* operator->() const { return Port.get(); }
  explicit operator bool() const { return Port != nullptr; }

  std::unique_ptr<TBlockSerial> Port;  // empty while the link is closed
  TLinkSettings& Settings;
  // Watches every port this link opens (the line monitor, a trace): each link
  // has its own, or none.
  IPortObserver* Observer = nullptr;
  // The port's LastErrorCode when the last OpenLink failed (0 after success).
  std::int32_t LastOpenError = 0;
};

// Opens the port in the register line format (8 data bits, no parity, DTR on,
// no flow control) at `speed`. On failure the link is left closed.
bool OpenLink(TLink& link, const std::string& portName, std::int32_t speed);
void CloseLink(TLink& link);  // does nothing when the link is closed
void PurgeLink(TLink& link);
bool WaitForData(TLink& link, int timeoutMs);
std::uint8_t ReadLinkByte(TLink& link, int timeoutMs);
// True when the link is open but its device has gone away: no exchange on it
// can succeed any more until it is opened again.
bool LinkLost(const TLink& link);


}  // namespace vestok
