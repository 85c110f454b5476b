// TBlockSerial on a network port: the socket work that takes the place of the
// terminal calls. The public operations stay in block_serial.cpp and
// block_serial_io.cpp, so every byte passes the same places for both kinds of
// port.
#include <algorithm>
#include <cerrno>
#include <chrono>

#include "serial/block_serial.h"
#include "serial/net_address.h"
#include "serial/net_port.h"
#include "serial/socket_api.h"

namespace vestok {

void TBlockSerial::OpenNetwork(const std::string& name) {
  const auto address = ParseNetAddress(name);
  if (!address) return SetErrno(sock::PortErrorCode(EINVAL));
  auto port = std::make_unique<TNetPort>(*address);
  std::string text;
  if (const int e = port->Open(text)) {
    SetErrno(sock::PortErrorCode(e));
    if (!text.empty()) LastErrorText = text;  // the resolver's own words
    return;
  }
  net_ = std::move(port);
  Handle = net_->Fd();
  IsOpen = true;
  // The line format the far port starts with until the settings are written.
  LineSettings = TLineSettings{};
  LineSettings.Speed = 9600;
  DiscardQueues();
}

void TBlockSerial::ReadNetLineSettings() {
  // The far port cannot be read back: the settings are those last written.
  SetError(0);
}

void TBlockSerial::WriteNetLineSettings() {
  if (const int e = net_->ApplyLineSettings(LineSettings)) return SetErrno(sock::PortErrorCode(e));
  SetError(0);
}

bool TBlockSerial::WaitNetReadable(int timeoutMs) {
  // The far line's time for what we sent last comes on top of the wait.
  const int waitMs = std::max(timeoutMs, 0) + net_->FarLineMsLeft();
  bool ready = false;
  if (const int e = net_->WaitData(TNetPort::Clock::now() + std::chrono::milliseconds(waitMs), ready)) {
    SetErrno(sock::PortErrorCode(e));
    return false;
  }
  return ready;
}

long TBlockSerial::NetWrite(const char* data, std::size_t count) {
  std::size_t written = 0;
  if (const int e = net_->Write(data, count, written)) {
    errno = e;
    return -1;
  }
  return static_cast<long>(written);
}

long TBlockSerial::NetRead(char* out, std::size_t count) {
  const std::size_t n = net_->Take(out, count);
  if (n == 0) {
    errno = EAGAIN;
    return -1;
  }
  return static_cast<long>(n);
}

void TBlockSerial::DiscardNetwork() {
  if (const int e = net_->Discard()) return SetErrno(sock::PortErrorCode(e));
  SetError(0);
}

void TBlockSerial::CloseNetwork() {
  net_->Close();
  net_.reset();
}

}  // namespace vestok
