// TBlockSerial on a Linux terminal: opening, line settings, discarding and
// closing. Sending, receiving and the waits are in block_serial_io.cpp.
#include "serial/block_serial.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

#include "serial/line_speed.h"
#include "serial/net_address.h"
#include "serial/net_port.h"
#include "serial/port_name.h"

namespace vestok {
namespace {

// Modem lines are optional: a pseudo-terminal has none, and failing to move
// them is not an error of the port.
void SetModemLines(int fd, int lines, bool on) {
  ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &lines);
}

// Raw bytes in both directions: no echo, no line editing, no translation of
// CR or LF, no flow control; a read returns at once with what has arrived.
// Speed, data bits and stop bits are left to WriteLineSettings.
void MakeRaw(termios& tio) {
  const tcflag_t keep = tio.c_cflag & (CSIZE | CSTOPB | PARENB | PARODD);
  cfmakeraw(&tio);
  tio.c_cflag = (tio.c_cflag & ~(CSIZE | CSTOPB | PARENB | PARODD | CRTSCTS)) | keep | CLOCAL | CREAD;
  tio.c_iflag &= ~(IXON | IXOFF | IXANY | INPCK | IGNPAR);
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
}

}  // namespace

TBlockSerial::TBlockSerial() = default;
TBlockSerial::~TBlockSerial() { ClosePort(); }

void TBlockSerial::SetErrno(int err) {
  if (err == 0) err = EIO;
  // With CLOCAL set a terminal never hangs up for a lost carrier: these
  // codes mean the device itself is gone.
  // A network port knows for itself when its connection has dropped.
  if (IsOpen && (err == EIO || err == ENXIO || err == ENODEV || (net_ && net_->Gone()))) deviceGone_ = true;
  SetError(err);
}

void TBlockSerial::SetHangUp() { SetErrno(EIO); }

void TBlockSerial::OpenPort(const std::string& name) {
  const TOnExit notify([&] { if (observer_) observer_->PortOpened(*this, name); });
  if (IsOpen) {
    SetError(ErrAlreadyInUse);
    return;
  }
  ReceiveBuffer.clear();
  receivePos_ = 0;
  deviceGone_ = false;
  PortNumber = PortNumberFromName(name);
  DeviceName = DevicePathFromName(name);
  if (IsNetworkPortName(name)) {
    OpenNetwork(name);
    return;
  }

  const int fd = ::open(DeviceName.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    SetErrno(errno);
    return;
  }
  auto fail = [&](int err) {
    ::close(fd);
    SetErrno(err);
  };
  // Only a terminal is a serial port; a plain file of the same name is not
  // written to as if it were one.
  termios tio{};
  if (tcgetattr(fd, &tio) != 0) return fail(errno);
  // The lock keeps out other port objects and other programs that lock
  // (root included); TIOCEXCL keeps out every other opener but root.
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) return fail(errno == EWOULDBLOCK ? EBUSY : errno);
  ioctl(fd, TIOCEXCL);
  MakeRaw(tio);
  if (tcsetattr(fd, TCSANOW, &tio) != 0) return fail(errno);

  Handle = fd;
  IsOpen = true;
  lockHeld_ = true;
  haveCounters_ = ReadLineErrorCounts(fd, counters_);
  SetModemLines(fd, TIOCM_RTS | TIOCM_DTR, true);
  DiscardQueues();
}

void TBlockSerial::ReadLineSettings() {
  if (!IsOpen) return SetErrno(EBADF);
  if (net_) return ReadNetLineSettings();
  termios tio{};
  if (tcgetattr(Handle, &tio) != 0) return SetErrno(errno);
  LineSettings.Speed = SpeedForTerminalRate(cfgetospeed(&tio));
  switch (tio.c_cflag & CSIZE) {
    case CS5: LineSettings.DataBits = 5; break;
    case CS6: LineSettings.DataBits = 6; break;
    case CS7: LineSettings.DataBits = 7; break;
    default: LineSettings.DataBits = 8; break;
  }
  LineSettings.ParityOn = (tio.c_cflag & PARENB) != 0;
  LineSettings.StopBits = (tio.c_cflag & CSTOPB) ? 2 : 1;
  LineSettings.RtsFlowControl = (tio.c_cflag & CRTSCTS) != 0;
  LineSettings.CtsFlowControl = (tio.c_cflag & CRTSCTS) != 0;
  LineSettings.XonXoff = (tio.c_iflag & (IXON | IXOFF)) != 0;
  int lines = 0;
  if (ioctl(Handle, TIOCMGET, &lines) == 0) LineSettings.DtrOn = (lines & TIOCM_DTR) != 0;
  SetError(0);
}

void TBlockSerial::WriteLineSettings() {
  const TOnExit notify([this] { if (observer_) observer_->LineSettingsWritten(*this); });
  if (!IsOpen) return SetErrno(EBADF);
  if (net_) return WriteNetLineSettings();
  const TLineSettings& s = LineSettings;
  speed_t rate = B0;
  if (!TerminalRateForSpeed(s.Speed, rate)) return SetErrno(EINVAL);
  tcflag_t size = 0;
  switch (s.DataBits) {
    case 5: size = CS5; break;
    case 6: size = CS6; break;
    case 7: size = CS7; break;
    case 8: size = CS8; break;
    default: return SetErrno(EINVAL);
  }
  if (s.StopBits != 1 && s.StopBits != 2) return SetErrno(EINVAL);

  termios tio{};
  if (tcgetattr(Handle, &tio) != 0) return SetErrno(errno);
  tio.c_cflag &= ~(CSIZE | CSTOPB | PARENB | PARODD | CRTSCTS);
  tio.c_cflag |= size | CLOCAL | CREAD;
  if (s.StopBits == 2) tio.c_cflag |= CSTOPB;
  tio.c_iflag &= ~(INPCK | IXON | IXOFF | IXANY);
  if (s.ParityOn) {
    tio.c_cflag |= PARENB;
    tio.c_iflag |= INPCK;
  }
  if (s.RtsFlowControl || s.CtsFlowControl) tio.c_cflag |= CRTSCTS;
  if (s.XonXoff) tio.c_iflag |= IXON | IXOFF;
  cfsetispeed(&tio, rate);
  cfsetospeed(&tio, rate);
  if (tcsetattr(Handle, TCSANOW, &tio) != 0) return SetErrno(errno);
  // tcsetattr succeeds when any part was applied; a rate the driver refused
  // shows only when reading the settings back.
  termios now{};
  if (tcgetattr(Handle, &now) != 0) return SetErrno(errno);
  if (cfgetospeed(&now) != rate) return SetErrno(EINVAL);
  SetModemLines(Handle, TIOCM_DTR, s.DtrOn);
  SetError(0);
}

void TBlockSerial::DiscardQueues() {
  const TOnExit notify([this] { if (observer_) observer_->QueuesDiscarded(*this); });
  ReceiveBuffer.clear();
  receivePos_ = 0;
  if (!IsOpen) return SetErrno(EBADF);
  if (net_) return DiscardNetwork();
  if (tcflush(Handle, TCIFLUSH) != 0) return SetErrno(errno);
  SetError(0);
}

void TBlockSerial::ClosePort() {
  const TOnExit notify([this, wasOpen = IsOpen] { if (observer_ && wasOpen) observer_->PortClosed(*this); });
  if (IsOpen && net_) {
    DiscardQueues();
    CloseNetwork();
  } else if (IsOpen) {
    DiscardQueues();
    SetModemLines(Handle, TIOCM_RTS | TIOCM_DTR, false);
    // The exclusive flag outlives our descriptor on a pseudo-terminal whose
    // other side stays open; clear it so the port is free again.
    ioctl(Handle, TIOCNXCL);
    if (lockHeld_) flock(Handle, LOCK_UN);
    ::close(Handle);
  }
  lockHeld_ = false;
  deviceGone_ = false;
  haveCounters_ = false;
  IsOpen = false;
  Handle = -1;
  PortNumber = -1;
  ReceiveBuffer.clear();
  receivePos_ = 0;
  SetError(0);
}

}  // namespace vestok
