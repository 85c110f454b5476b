#pragma once
// Line errors of a serial port. The driver counts framing, overrun and parity
// errors since the port came up; the port object remembers the counts it saw
// last, and any count that has grown since is a line error of the operation.
#include <cstdint>

namespace vestok {

struct TLineErrorCounts {
  int Frame = 0;
  int Overrun = 0;  // the receiver's own overrun
  int Parity = 0;
  int Break = 0;           // not reported
  int BufferOverrun = 0;   // the driver's receive queue overflowed: not reported
};

// The code for the errors that appeared between two readings of the counters:
// 0 when none did; when several did, the one that comes last in the order
// framing (9999), overrun (10000), parity (10002).
std::int32_t LineErrorCode(const TLineErrorCounts& before, const TLineErrorCounts& now);

// The line-error flags that a port reports as they are (Windows clears them
// as it hands them over): framing, receiver overrun, parity, transmit queue
// full. A break and an overflow of the receive queue are not reported.
struct TLineErrorFlags {
  bool Frame = false;
  bool Overrun = false;
  bool Parity = false;
  bool TxFull = false;
};

// Their code: 0 for none; when several are set, the one that comes last in
// the order framing (9999), overrun (10000), parity (10002), transmit queue
// full (10003).
std::int32_t LineErrorCodeFromFlags(const TLineErrorFlags& flags);

// Reads the driver's counters of an open terminal; false when the device
// keeps none (pseudo-terminals, many USB adapters), which is not an error.
bool ReadLineErrorCounts(int fd, TLineErrorCounts& counts);

}  // namespace vestok
