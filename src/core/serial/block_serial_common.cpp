// The parts of TBlockSerial that are the same on every platform: the last
// error's text and the receive buffer behind ReceiveByte, over the
// platform's queue count, wait and read (block_serial_io.cpp on a terminal,
// block_serial_win.cpp on Windows).
#include <string_view>
#include <thread>

#include "serial/block_serial.h"

namespace vestok {

void TBlockSerial::SetError(std::int32_t code) {
  LastErrorCode = code;
  if (code == 0)
    LastErrorText = "OK";
  else
    LastErrorText = SerialErrorText(code);
}

bool TBlockSerial::RefillReceiveBuffer(int timeoutMs) {
  ReceiveBuffer.clear();
  receivePos_ = 0;
  std::this_thread::yield();  // give up the processor once, so a sender can catch up
  int n = 0;
  if (const int e = QueryInput(n)) {
    SetErrno(e);
    return false;
  }
  if (n > 0) return ReadQueued(n);
  if (!WaitForInput(timeoutMs)) {
    if (LastErrorCode == 0) SetError(ErrTimeout);
    return false;
  }
  if (const int e = QueryInput(n)) {
    SetErrno(e);
    return false;
  }
  if (n > 0) return ReadQueued(n);
  SetError(ErrTimeout);
  return false;
}

std::uint8_t TBlockSerial::ReceiveByte(int timeoutMs) {
  if (!IsOpen) {
    SetError(ErrPortNotOpen);
    return 0;
  }
  SetError(0);
  if (BufferedInput() == 0) {
    RefillReceiveBuffer(timeoutMs);
    if (observer_) observer_->BytesReceived(*this, std::string_view(ReceiveBuffer).substr(receivePos_), timeoutMs);
  }
  // After a line error the bytes read stay for the next call.
  if (LastErrorCode != 0 || BufferedInput() == 0) return 0;
  return static_cast<std::uint8_t>(ReceiveBuffer[receivePos_++]);
}

}  // namespace vestok
