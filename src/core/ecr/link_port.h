#pragma once
// The link port: the one process-wide TBlockSerial of the register link.
// Every user of the link (the fiscal number query, a job, the detection, the
// link test) opens it at its start and closes it at its end.
#include <cstdint>
#include <memory>
#include <string>

#include "serial/block_serial.h"

namespace vestok {

// Empty while the link is closed.
extern std::unique_ptr<TBlockSerial> LinkPort;

// Opens the port in the register line format (8 data bits, no parity, DTR on,
// no flow control) at `speed`. On failure the link is left closed.
bool OpenLink(const std::string& portName, std::int32_t speed);
void CloseLink();  // does nothing when the link is closed
void PurgeLink();
bool WaitForData(int timeoutMs);
std::uint8_t ReadLinkByte(int timeoutMs);
// True when the link is open but its device has gone away: no exchange on it
// can succeed any more until it is opened again.
bool LinkLost();

// The observer every link port is given when it is created (none by default):
// the line monitor and the trace file watch the link through it.
void SetLinkObserver(IPortObserver* observer);
IPortObserver* LinkObserver();

}  // namespace vestok
