// TBlockSerial on a Linux terminal: sending, receiving, queue counts and the
// waits. The descriptor is non-blocking; every wait is a poll() with a
// time-out, and a device that has gone away (hang-up) ends a wait at once.
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

#include "serial/poll_wait.h"
#include "serial/block_serial.h"
#include "serial/line_speed.h"
#include "serial/net_port.h"

namespace vestok {
namespace {

using poll_wait::MsLeft;
using poll_wait::PollUntil;

using Clock = std::chrono::steady_clock;

Clock::time_point DeadlineAfter(int timeoutMs) {
  return Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
}

// Sleeps without a descriptor (poll on none); signals may end it early.
void Nap(int ms) { poll(nullptr, 0, ms); }

}  // namespace

int TBlockSerial::QueryInput(int& count) {
  count = 0;
  if (net_) {
    const int e = net_->Pump();
    count = static_cast<int>(net_->Pending());
    return e;
  }
  return ioctl(Handle, FIONREAD, &count) == 0 ? 0 : errno;
}

int TBlockSerial::QueryOutput(int& count) {
  count = 0;
  // A send to the network is complete once the socket has taken every byte.
  if (net_) return 0;
  return ioctl(Handle, TIOCOUTQ, &count) == 0 ? 0 : errno;
}

int TBlockSerial::QueuedInput() {
  if (!IsOpen) {
    SetErrno(EBADF);
    return 0;
  }
  int n = 0;
  if (const int e = QueryInput(n)) {
    SetErrno(e);
    return 0;
  }
  SetError(0);
  return n;
}

int TBlockSerial::QueuedOutput() {
  if (!IsOpen) {
    SetErrno(EBADF);
    return 0;
  }
  int n = 0;
  if (const int e = QueryOutput(n)) {
    SetErrno(e);
    return 0;
  }
  SetError(0);
  return n;
}

void TBlockSerial::TakeLineErrors() {
  if (net_) {
    const std::int32_t code = net_->TakeLineErrorCode();
    if (code != 0 && LastErrorCode == 0) SetError(code);
    return;
  }
  if (!haveCounters_) return;
  TLineErrorCounts now;
  if (!ReadLineErrorCounts(Handle, now)) return;
  const std::int32_t code = LineErrorCode(counters_, now);
  counters_ = now;
  if (code != 0 && LastErrorCode == 0) SetError(code);
}

bool TBlockSerial::WaitReadable(int timeoutMs) {
  const bool readable = WaitForInput(timeoutMs);
  if (observer_ && !readable) observer_->WaitEnded(*this, timeoutMs);
  return readable;
}

bool TBlockSerial::WaitForInput(int timeoutMs) {
  if (!IsOpen) {
    SetErrno(EBADF);
    return false;
  }
  SetError(0);
  if (BufferedInput() > 0) return true;
  int n = 0;
  if (const int e = QueryInput(n)) {
    SetErrno(e);
    return false;
  }
  if (n > 0) return true;
  if (net_) return WaitNetReadable(timeoutMs);
  const int revents = PollUntil(Handle, POLLIN, DeadlineAfter(timeoutMs));
  if (revents < 0) {
    SetErrno(errno);
    return false;
  }
  if (revents & POLLNVAL) {
    SetErrno(EBADF);
    return false;
  }
  if (revents & (POLLERR | POLLHUP)) {
    SetHangUp();
    return false;
  }
  return (revents & POLLIN) != 0;
}

bool TBlockSerial::WaitTransmitterIdle(int timeoutMs) {
  const Clock::time_point deadline = DeadlineAfter(timeoutMs);
  std::int32_t speed = 0;  // looked up only when there is something to wait for
  for (;;) {
    int queued = 0;
    if (const int e = QueryOutput(queued)) {
      SetErrno(e);
      return false;
    }
    if (queued == 0) return true;
    const int left = MsLeft(deadline);
    if (left == 0) return false;
    if (speed == 0) {
      termios tio{};
      if (tcgetattr(Handle, &tio) == 0) speed = SpeedForTerminalRate(cfgetospeed(&tio));
      if (speed <= 0) speed = 9600;
    }
    // Sleep about as long as the queue takes to leave at the line speed
    // (ten bit times a byte), then look again.
    const long long drainMs = static_cast<long long>(queued) * 10000 / speed + 1;
    Nap(static_cast<int>(std::min<long long>(drainMs, left)));
  }
}

bool TBlockSerial::WaitWritable(int timeoutMs) {
  if (!IsOpen) {
    SetErrno(EBADF);
    return false;
  }
  SetError(0);
  return WaitTransmitterIdle(timeoutMs);
}

int TBlockSerial::SendBytes(const std::string& bytes) {
  if (!IsOpen) {
    SetError(ErrPortNotOpen);
    return 0;
  }
  SetError(0);
  const Clock::time_point handedOver = observer_ ? Clock::now() : Clock::time_point{};
  const Clock::time_point deadline = DeadlineAfter(completionTimeoutMs_);
  bool abandoned = false;
  std::size_t sent = 0;
  while (sent < bytes.size() && LastErrorCode == 0) {
    const ssize_t r = net_ ? NetWrite(bytes.data() + sent, bytes.size() - sent)
                           : write(Handle, bytes.data() + sent, bytes.size() - sent);
    if (r > 0) {
      sent += static_cast<std::size_t>(r);
      continue;
    }
    if (r < 0 && errno == EINTR) continue;
    if (r < 0 && errno != EAGAIN) {
      SetErrno(errno);
      break;
    }
    const int revents = PollUntil(Handle, POLLOUT, deadline);
    if (revents < 0)
      SetErrno(errno);
    else if (revents == 0)
      abandoned = true;
    else if (revents & POLLNVAL)
      SetErrno(EBADF);
    else if (revents & (POLLERR | POLLHUP))
      SetHangUp();
    if (abandoned) break;
  }
  // The send is complete when the driver's queue is empty and tcdrain has
  // seen the last byte into the transmitter. The queue is watched first so
  // that a transmitter that never empties cannot hold tcdrain for ever.
  if (LastErrorCode == 0 && !abandoned && !net_) {
    if (!WaitTransmitterIdle(MsLeft(deadline))) {
      if (LastErrorCode == 0) abandoned = true;
    } else {
      int r = 0;
      while ((r = tcdrain(Handle)) != 0 && errno == EINTR) {
      }
      if (r != 0) SetErrno(errno);
    }
  }
  if (net_) net_->NoteSent(sent);
  if (abandoned) {
    // Only an abandoned send throws away its own unsent bytes.
    if (!net_) tcflush(Handle, TCOFLUSH);
    SetError(ErrTimeout);
  }
  TakeLineErrors();
  if (observer_) observer_->BytesSent(*this, std::string_view(bytes).substr(0, sent), handedOver);
  return static_cast<int>(sent);
}

bool TBlockSerial::ReadQueued(int count) {
  const std::size_t old = ReceiveBuffer.size();
  ReceiveBuffer.resize(old + static_cast<std::size_t>(count));
  ssize_t r = 0;
  while ((r = net_ ? NetRead(ReceiveBuffer.data() + old, static_cast<std::size_t>(count))
               : read(Handle, ReceiveBuffer.data() + old, static_cast<std::size_t>(count))) < 0 &&
         errno == EINTR) {
  }
  if (r < 0) {
    const int e = errno;
    ReceiveBuffer.resize(old);
    if (e == EAGAIN)
      SetError(ErrTimeout);
    else
      SetErrno(e);
    return false;
  }
  ReceiveBuffer.resize(old + static_cast<std::size_t>(r));
  if (r == 0) {  // end of file: the device has hung up
    SetHangUp();
    return false;
  }
  TakeLineErrors();
  return true;
}

}  // namespace vestok
