// TBlockSerial on Windows: a communications device opened for overlapped
// input and output. The wait for data is WaitCommEvent, the wait for the
// transmitter a sleep of the queue's time on the line, every overlapped
// operation bounded by a wait on its event: no call busy-waits and none
// waits forever. The rules above the platform calls
// are those of the terminal version: a send returns once its bytes have left
// the transmit queue, a read takes only what is already queued, a line error
// costs one read and the bytes follow, and a discard throws away received
// bytes only. A network port (block_serial_net.cpp) takes the place of the
// device in the same operations, as in the terminal version.
#include <winsock2.h>
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <chrono>

#include "serial/block_serial.h"
#include "serial/net_address.h"
#include "serial/net_port.h"
#include "serial/port_name.h"
#include "serial/socket_api.h"
#include "win/utf16.h"

namespace vestok {
namespace {

using Clock = std::chrono::steady_clock;

Clock::time_point DeadlineAfter(int timeoutMs) {
  return Clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
}

DWORD MsLeft(Clock::time_point deadline) {
  const auto left = deadline - Clock::now();
  if (left <= Clock::duration::zero()) return 0;
  return static_cast<DWORD>(std::chrono::ceil<std::chrono::milliseconds>(left).count());
}

HANDLE AsHandle(int handle) { return reinterpret_cast<HANDLE>(static_cast<INT_PTR>(handle)); }
int AsInt(HANDLE handle) { return static_cast<int>(reinterpret_cast<INT_PTR>(handle)); }

// One overlapped operation: its event lives as long as the operation.
class TOverlapped {
 public:
  TOverlapped() { ov_.hEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr); }
  ~TOverlapped() {
    if (ov_.hEvent != nullptr) CloseHandle(ov_.hEvent);
  }
  TOverlapped(const TOverlapped&) = delete;
  TOverlapped& operator=(const TOverlapped&) = delete;
  bool Valid() const { return ov_.hEvent != nullptr; }
  OVERLAPPED* get() { return &ov_; }
  HANDLE Event() const { return ov_.hEvent; }

 private:
  OVERLAPPED ov_{};
};

// The outcome of an overlapped operation that was started: 0 when it
// completed within the time-out (`done` bytes), WAIT_TIMEOUT when it did not
// (it is then cancelled and reaped), or the Windows error. The operation's
// own state is asked, not only its event: wine may signal the event of a
// WaitCommEvent before the operation has ended.
DWORD Complete(HANDLE h, TOverlapped& op, BOOL started, DWORD timeoutMs, DWORD& done) {
  done = 0;
  if (!started) {
    const DWORD err = GetLastError();
    if (err != ERROR_IO_PENDING) return err;
  }
  const Clock::time_point deadline = DeadlineAfter(static_cast<int>(std::min<DWORD>(timeoutMs, 0x7FFFFFFF)));
  for (;;) {
    if (GetOverlappedResultEx(h, op.get(), &done, MsLeft(deadline), FALSE)) return 0;
    const DWORD err = GetLastError();
    if (err == ERROR_IO_INCOMPLETE && MsLeft(deadline) > 0) {
      // Signalled early: wait out the operation itself.
      ResetEvent(op.Event());
      continue;
    }
    if (err != WAIT_TIMEOUT && err != ERROR_IO_INCOMPLETE) return err;
    // Not done in time: cancel it and wait for the cancel, so the OVERLAPPED
    // is no longer in use when it goes out of scope.
    CancelIoEx(h, op.get());
    GetOverlappedResult(h, op.get(), &done, TRUE);
    return WAIT_TIMEOUT;
  }
}

// Codes with which Windows answers on a device that was removed while open
// (a USB adapter pulled) or whose other end has gone.
bool MeansDeviceGone(DWORD err) {
  switch (err) {
    case ERROR_BAD_COMMAND:
    case ERROR_GEN_FAILURE:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_DEVICE_REMOVED:
    case ERROR_OPERATION_ABORTED:
    case ERROR_INVALID_HANDLE:
    case ERROR_NOT_READY:
    case ERROR_BROKEN_PIPE:
      return true;
    default:
      return false;
  }
}

}  // namespace

TBlockSerial::TBlockSerial() = default;
TBlockSerial::~TBlockSerial() { ClosePort(); }

// On Windows the "errno" of the layer is the GetLastError code.
void TBlockSerial::SetErrno(int err) {
  if (err == 0) err = ERROR_GEN_FAILURE;
  if (IsOpen && (MeansDeviceGone(static_cast<DWORD>(err)) || (net_ && net_->Gone()))) deviceGone_ = true;
  SetError(err);
}

void TBlockSerial::SetHangUp() { SetErrno(ERROR_DEVICE_NOT_CONNECTED); }

void TBlockSerial::OpenPort(const std::string& name) {
  const TOnExit notify([&] { if (observer_) observer_->PortOpened(*this, name); });
  if (IsOpen) {
    SetError(ErrAlreadyInUse);
    return;
  }
  ReceiveBuffer.clear();
  receivePos_ = 0;
  deviceGone_ = false;
  lineFlags_ = {};
  PortNumber = PortNumberFromName(name);
  DeviceName = DevicePathFromName(name);
  if (IsNetworkPortName(name)) {
    OpenNetwork(name);
    return;
  }
  // Exclusive (no sharing), overlapped: another program or port object that
  // holds the port makes this fail with ERROR_ACCESS_DENIED.
  HANDLE h = CreateFileW(win::Utf16(DeviceName).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                         FILE_FLAG_OVERLAPPED, nullptr);
  if (h == INVALID_HANDLE_VALUE) return SetErrno(static_cast<int>(GetLastError()));
  auto fail = [&](DWORD err) {
    CloseHandle(h);
    SetErrno(static_cast<int>(err));
  };
  // Only a communications device is a serial port: a plain file of the same
  // name is not written to as if it were one.
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  if (!GetCommState(h, &dcb)) return fail(GetLastError());
  if (!SetCommMask(h, 0)) return fail(GetLastError());
  if (!SetupComm(h, ReceiveQueueSize, ReceiveQueueSize)) return fail(GetLastError());
  // A read returns at once with what has arrived; a write has no time-out of
  // its own (the completion time-out is ours).
  COMMTIMEOUTS timeouts{};
  timeouts.ReadIntervalTimeout = MAXDWORD;
  if (!SetCommTimeouts(h, &timeouts)) return fail(GetLastError());
  // The line format (fAbortOnError off among it) is WriteLineSettings' work.
  DWORD errors = 0;
  ClearCommError(h, &errors, nullptr);  // what came before us is not ours

  Handle = AsInt(h);
  IsOpen = true;
  EscapeCommFunction(h, SETRTS);
  EscapeCommFunction(h, SETDTR);
  DiscardQueues();
}

void TBlockSerial::ReadLineSettings() {
  if (!IsOpen) return SetErrno(ERROR_INVALID_HANDLE);
  if (net_) return ReadNetLineSettings();
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  if (!GetCommState(AsHandle(Handle), &dcb)) return SetErrno(static_cast<int>(GetLastError()));
  LineSettings.Speed = static_cast<std::int32_t>(dcb.BaudRate);
  LineSettings.DataBits = dcb.ByteSize;
  LineSettings.ParityOn = dcb.Parity != NOPARITY;
  LineSettings.StopBits = dcb.StopBits == TWOSTOPBITS ? 2 : 1;
  LineSettings.DtrOn = dcb.fDtrControl == DTR_CONTROL_ENABLE;
  LineSettings.RtsFlowControl = dcb.fRtsControl == RTS_CONTROL_HANDSHAKE;
  LineSettings.CtsFlowControl = dcb.fOutxCtsFlow != 0;
  LineSettings.XonXoff = dcb.fOutX != 0 || dcb.fInX != 0;
  SetError(0);
}

void TBlockSerial::WriteLineSettings() {
  const TOnExit notify([this] { if (observer_) observer_->LineSettingsWritten(*this); });
  if (!IsOpen) return SetErrno(ERROR_INVALID_HANDLE);
  const TLineSettings& s = LineSettings;
  if (s.Speed <= 0 || s.DataBits < 5 || s.DataBits > 8 || (s.StopBits != 1 && s.StopBits != 2))
    return SetErrno(ERROR_INVALID_PARAMETER);
  if (net_) return WriteNetLineSettings();
  HANDLE h = AsHandle(Handle);
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  if (!GetCommState(h, &dcb)) return SetErrno(static_cast<int>(GetLastError()));
  dcb.BaudRate = static_cast<DWORD>(s.Speed);
  dcb.ByteSize = static_cast<BYTE>(s.DataBits);
  dcb.fParity = s.ParityOn ? TRUE : FALSE;
  dcb.Parity = s.ParityOn ? EVENPARITY : NOPARITY;
  dcb.StopBits = s.StopBits == 2 ? TWOSTOPBITS : ONESTOPBIT;
  dcb.fDtrControl = s.DtrOn ? DTR_CONTROL_ENABLE : DTR_CONTROL_DISABLE;
  // RTS stays raised as the open left it unless it does flow control.
  dcb.fRtsControl = s.RtsFlowControl ? RTS_CONTROL_HANDSHAKE : RTS_CONTROL_ENABLE;
  dcb.fOutxCtsFlow = s.CtsFlowControl ? TRUE : FALSE;
  dcb.fOutxDsrFlow = FALSE;
  dcb.fDsrSensitivity = FALSE;
  dcb.fOutX = s.XonXoff ? TRUE : FALSE;
  dcb.fInX = s.XonXoff ? TRUE : FALSE;
  dcb.fBinary = TRUE;
  dcb.fNull = FALSE;
  dcb.fErrorChar = FALSE;
  dcb.fAbortOnError = FALSE;
  if (!SetCommState(h, &dcb)) return SetErrno(static_cast<int>(GetLastError()));
  // A driver may take a speed it cannot make and keep its old one.
  DCB now{};
  now.DCBlength = sizeof now;
  if (!GetCommState(h, &now)) return SetErrno(static_cast<int>(GetLastError()));
  if (now.BaudRate != dcb.BaudRate) return SetErrno(ERROR_INVALID_PARAMETER);
  SetError(0);
}

void TBlockSerial::DiscardQueues() {
  const TOnExit notify([this] { if (observer_) observer_->QueuesDiscarded(*this); });
  ReceiveBuffer.clear();
  receivePos_ = 0;
  if (!IsOpen) return SetErrno(ERROR_INVALID_HANDLE);
  if (net_) return DiscardNetwork();
  // Received bytes only: every send has left the transmit queue by the time
  // it returns, and clearing that queue could still cut bytes that were on
  // their way.
  if (!PurgeComm(AsHandle(Handle), PURGE_RXCLEAR))
    return SetErrno(static_cast<int>(GetLastError()));
  SetError(0);
}

void TBlockSerial::ClosePort() {
  const TOnExit notify([this, wasOpen = IsOpen] { if (observer_ && wasOpen) observer_->PortClosed(*this); });
  if (IsOpen && net_) {
    DiscardQueues();
    CloseNetwork();
  } else if (IsOpen) {
    DiscardQueues();
    HANDLE h = AsHandle(Handle);
    EscapeCommFunction(h, CLRRTS);
    EscapeCommFunction(h, CLRDTR);
    CloseHandle(h);
  }
  lockHeld_ = false;
  deviceGone_ = false;
  haveCounters_ = false;
  lineFlags_ = {};
  IsOpen = false;
  Handle = -1;
  PortNumber = -1;
  ReceiveBuffer.clear();
  receivePos_ = 0;
  SetError(0);
}

// ClearCommError hands over the line-error flags and clears them; they are
// kept until TakeLineErrors reports them, whichever call fetched them.
int TBlockSerial::QueryInput(int& count) {
  count = 0;
  if (net_) {
    const int e = net_->Pump();
    count = static_cast<int>(net_->Pending());
    return sock::PortErrorCode(e);
  }
  DWORD errors = 0;
  COMSTAT stat{};
  if (!ClearCommError(AsHandle(Handle), &errors, &stat)) return static_cast<int>(GetLastError());
  lineFlags_.Frame |= (errors & CE_FRAME) != 0;
  lineFlags_.Overrun |= (errors & CE_OVERRUN) != 0;
  lineFlags_.Parity |= (errors & CE_RXPARITY) != 0;
  lineFlags_.TxFull |= (errors & CE_TXFULL) != 0;
  count = static_cast<int>(stat.cbInQue);
  return 0;
}

int TBlockSerial::QueryOutput(int& count) {
  count = 0;
  // A send to the network is complete once the socket has taken every byte.
  if (net_) return 0;
  DWORD errors = 0;
  COMSTAT stat{};
  if (!ClearCommError(AsHandle(Handle), &errors, &stat)) return static_cast<int>(GetLastError());
  lineFlags_.Frame |= (errors & CE_FRAME) != 0;
  lineFlags_.Overrun |= (errors & CE_OVERRUN) != 0;
  lineFlags_.Parity |= (errors & CE_RXPARITY) != 0;
  lineFlags_.TxFull |= (errors & CE_TXFULL) != 0;
  count = static_cast<int>(stat.cbOutQue);
  return 0;
}

int TBlockSerial::QueuedInput() {
  if (!IsOpen) {
    SetErrno(ERROR_INVALID_HANDLE);
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
    SetErrno(ERROR_INVALID_HANDLE);
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
  int ignored = 0;
  QueryInput(ignored);  // fetches what the port holds now
  const std::int32_t code = LineErrorCodeFromFlags(lineFlags_);
  lineFlags_ = {};
  if (code != 0 && LastErrorCode == 0) SetError(code);
}

bool TBlockSerial::WaitReadable(int timeoutMs) {
  const bool readable = WaitForInput(timeoutMs);
  if (observer_ && !readable) observer_->WaitEnded(*this, timeoutMs);
  return readable;
}

// The wait for data: WaitCommEvent for a received byte, bounded by a wait on
// its event. The queue is asked again once the event is armed, so a byte
// that came just before is not missed, and after every wake-up, so a wake-up
// without data (wine ends the wait as aborted when the line stirs) only
// leads to the next wait.
bool TBlockSerial::WaitForInput(int timeoutMs) {
  if (!IsOpen) {
    SetErrno(ERROR_INVALID_HANDLE);
    return false;
  }
  SetError(0);
  if (BufferedInput() > 0) return true;
  const Clock::time_point deadline = DeadlineAfter(timeoutMs);
  HANDLE h = AsHandle(Handle);
  auto queued = [&](bool& any) {
    int n = 0;
    const int e = QueryInput(n);
    any = n > 0;
    return e;
  };
  bool any = false;
  if (const int e = queued(any)) {
    SetErrno(e);
    return false;
  }
  if (any) return true;
  if (net_) return WaitNetReadable(timeoutMs);
  if (timeoutMs <= 0) return false;
  if (!SetCommMask(h, EV_RXCHAR)) {
    SetErrno(static_cast<int>(GetLastError()));
    return false;
  }
  DWORD failure = 0;
  int aborts = 0;
  for (;;) {
    if (const int e = queued(any)) {
      failure = static_cast<DWORD>(e);
      break;
    }
    const DWORD left = MsLeft(deadline);
    if (any || left == 0) break;
    TOverlapped op;
    if (!op.Valid()) {
      failure = GetLastError();
      break;
    }
    DWORD mask = 0;
    const BOOL started = WaitCommEvent(h, &mask, op.get());
    DWORD done = 0;
    const DWORD err = Complete(h, op, started, left, done);
    if (err == WAIT_TIMEOUT) {
      queued(any);
      break;
    }
    if (err != 0 && err != ERROR_OPERATION_ABORTED) {
      failure = err;
      break;
    }
    // A wait ended as aborted with nothing received: arm the event again, and
    // should that keep happening, let a millisecond pass first, so that such
    // a port cannot make this loop spin.
    if (err == ERROR_OPERATION_ABORTED) {
      if (++aborts > 1) Sleep(1);
      SetCommMask(h, EV_RXCHAR);
    } else {
      aborts = 0;
    }
  }
  SetCommMask(h, 0);
  if (failure != 0) {
    SetErrno(static_cast<int>(failure));
    return false;
  }
  return any;
}

// The transmit queue is watched rather than waited for with EV_TXEMPTY: many
// USB adapters report that event early or never, and wine reports it only
// every 100 ms. Between two looks the wait sleeps about as long as the queue
// takes to leave at the line speed (ten bit times a byte).
bool TBlockSerial::WaitTransmitterIdle(int timeoutMs) {
  const Clock::time_point deadline = DeadlineAfter(timeoutMs);
  DWORD speed = 0;  // looked up only when there is something to wait for
  for (;;) {
    int queued = 0;
    if (const int e = QueryOutput(queued)) {
      SetErrno(e);
      return false;
    }
    if (queued == 0) return true;
    const DWORD left = MsLeft(deadline);
    if (left == 0) return false;
    if (speed == 0) {
      DCB dcb{};
      dcb.DCBlength = sizeof dcb;
      if (GetCommState(AsHandle(Handle), &dcb)) speed = dcb.BaudRate;
      if (speed == 0) speed = 9600;
    }
    const unsigned long long drainMs = static_cast<unsigned long long>(queued) * 10000 / speed + 1;
    Sleep(static_cast<DWORD>(std::min<unsigned long long>(drainMs, left)));
  }
}

bool TBlockSerial::WaitWritable(int timeoutMs) {
  if (!IsOpen) {
    SetErrno(ERROR_INVALID_HANDLE);
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
  if (net_) {
    // The socket takes what it can; the rest waits until it takes more.
    while (sent < bytes.size() && LastErrorCode == 0) {
      const long r = NetWrite(bytes.data() + sent, bytes.size() - sent);
      if (r > 0) {
        sent += static_cast<std::size_t>(r);
        continue;
      }
      if (r < 0 && errno != EAGAIN) {
        SetErrno(sock::PortErrorCode(errno));
        break;
      }
      int err = 0;
      const int revents = sock::PollUntil(Handle, POLLOUT, deadline, err);
      if (revents < 0) {
        SetErrno(sock::PortErrorCode(err));
      } else if (revents == 0) {
        abandoned = true;
        break;
      } else if (revents & (POLLERR | POLLHUP | POLLNVAL)) {
        SetErrno(sock::PortErrorCode(EPIPE));
      }
    }
    net_->NoteSent(sent);
  } else {
    HANDLE h = AsHandle(Handle);
    while (sent < bytes.size() && LastErrorCode == 0) {
      TOverlapped op;
      if (!op.Valid()) {
        SetErrno(static_cast<int>(GetLastError()));
        break;
      }
      const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - sent, 1u << 20));
      const BOOL started = WriteFile(h, bytes.data() + sent, chunk, nullptr, op.get());
      DWORD done = 0;
      const DWORD err = Complete(h, op, started, MsLeft(deadline), done);
      sent += done;
      if (err == WAIT_TIMEOUT) {
        abandoned = true;
        break;
      }
      if (err != 0) {
        SetErrno(static_cast<int>(err));
        break;
      }
      if (done == 0 && MsLeft(deadline) == 0) {
        abandoned = true;
        break;
      }
    }
    // Complete when the transmit queue is empty: the protocol discards the
    // queues right after some sends.
    if (LastErrorCode == 0 && !abandoned && !WaitTransmitterIdle(static_cast<int>(MsLeft(deadline))) &&
        LastErrorCode == 0)
      abandoned = true;
    if (abandoned) PurgeComm(h, PURGE_TXABORT | PURGE_TXCLEAR);  // only its own unsent bytes
  }
  if (abandoned) SetError(ErrTimeout);
  TakeLineErrors();
  if (observer_) observer_->BytesSent(*this, std::string_view(bytes).substr(0, sent), handedOver);
  return static_cast<int>(sent);
}

bool TBlockSerial::ReadQueued(int count) {
  const std::size_t old = ReceiveBuffer.size();
  ReceiveBuffer.resize(old + static_cast<std::size_t>(count));
  if (net_) {
    // Only bytes the network port holds already: the count came from it.
    const long r = NetRead(ReceiveBuffer.data() + old, static_cast<std::size_t>(count));
    ReceiveBuffer.resize(old + static_cast<std::size_t>(std::max(r, 0L)));
    if (r <= 0) {
      SetError(ErrTimeout);
      return false;
    }
    TakeLineErrors();
    return true;
  }
  DWORD done = 0;
  DWORD err = 0;
  {
    HANDLE h = AsHandle(Handle);
    TOverlapped op;
    if (!op.Valid()) {
      ReceiveBuffer.resize(old);
      SetErrno(static_cast<int>(GetLastError()));
      return false;
    }
    const BOOL started = ReadFile(h, ReceiveBuffer.data() + old, static_cast<DWORD>(count), nullptr, op.get());
    err = Complete(h, op, started, static_cast<DWORD>(completionTimeoutMs_), done);
  }
  ReceiveBuffer.resize(old + done);
  if (err == WAIT_TIMEOUT || (err == 0 && done == 0)) {
    SetError(ErrTimeout);
    return false;
  }
  if (err != 0) {
    SetErrno(static_cast<int>(err));
    return false;
  }
  TakeLineErrors();
  return true;
}

}  // namespace vestok
