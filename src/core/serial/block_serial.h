#pragma once
// TBlockSerial: one serial port opened by name for exclusive use. It never
// throws and never shows anything: every operation leaves its outcome in
// LastErrorCode (0 success, 9997 time-out, a code of the table below, or the
// platform's errno) and LastErrorText.
//
// On Linux the port is a terminal device opened non-blocking; every wait is a
// poll() with a time-out, so no call busy-waits and none waits forever. On
// Windows (block_serial_win.cpp) it is a communications device opened for
// overlapped input and output, every wait a wait on an event with a
// time-out; Handle then holds the device's HANDLE (Windows handles fit in 32
// bits) and the error codes are Windows' own.
// A name "tcp://HOST:PORT" or "rfc2217://HOST:PORT" opens a connection to a
// serial device server instead (serial/net_port.h): the same operations, the
// socket in place of the terminal.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "serial/line_errors.h"
#include "serial/port_observer.h"

namespace vestok {

class TNetPort;

enum SerialError : std::int32_t {
  ErrAlreadyOwned = 9991,      // "Port owned by other process"
  ErrAlreadyInUse = 9992,      // "Instance already in use"
  ErrWrongParameter = 9993,    // "Wrong paramter at call"
  ErrPortNotOpen = 9994,       // "Instance not yet connected"
  ErrNoDeviceAnswer = 9995,    // "No device answer detected"
  ErrMaxBuffer = 9996,         // "Maximal buffer length exceeded"
  ErrTimeout = 9997,           // "Timeout during operation"
  ErrReadFailed = 9998,        // "Reading of data failed"
  ErrFrame = 9999,             // "Receive framing error"
  ErrOverrun = 10000,          // "Receive Overrun Error"
  ErrRxOverflow = 10001,       // "Receive Queue overflow"
  ErrRxParity = 10002,         // "Receive Parity Error"
  ErrTxFull = 10003,           // "Tranceive Queue is full"
};

// The description of a code: the table's text, or the platform's message.
std::string SerialErrorText(std::int32_t code);

struct TLineSettings {
  std::int32_t Speed = 0;  // bits per second
  int DataBits = 8;        // 5 to 8
  bool ParityOn = false;   // parity generation and checking (even parity)
  int StopBits = 1;        // 1 or 2
  bool DtrOn = true;
  bool RtsFlowControl = false;
  bool CtsFlowControl = false;
  bool XonXoff = false;
};

class TBlockSerial {
 public:
  static constexpr int ReceiveQueueSize = 4096;
  static constexpr int CompletionTimeout = 30000;  // ms
  static constexpr int DataBits = 8;

  TBlockSerial();
  ~TBlockSerial();  // closes first
  TBlockSerial(const TBlockSerial&) = delete;
  TBlockSerial& operator=(const TBlockSerial&) = delete;

  void OpenPort(const std::string& name);
  void ReadLineSettings();
  void WriteLineSettings();
  // Returns once every byte has left for the transmitter (or the send was
  // abandoned after the completion time-out); the number of bytes written.
  int SendBytes(const std::string& bytes);
  std::uint8_t ReceiveByte(int timeoutMs);
  bool WaitReadable(int timeoutMs);
  bool WaitWritable(int timeoutMs);
  int QueuedInput();
  int QueuedOutput();
  // Discards what was received and not yet handed out. Output is never
  // flushed here: every send has completed by the time it returns, and an
  // output flush can still throw away bytes the driver reported as gone.
  void DiscardQueues();
  void ClosePort();

  // True once the open device has gone away (hang-up, or the device answers
  // with EIO, ENXIO or ENODEV): a pseudo-terminal whose far end was closed, a
  // USB adapter that was pulled, a network connection that dropped. It stays gone until the port is closed;
  // every further operation fails at once.
  bool DeviceGone() const { return deviceGone_; }
  // Bytes of ReceiveBuffer not yet handed out by ReceiveByte.
  std::size_t BufferedInput() const { return ReceiveBuffer.size() - receivePos_; }
  // The longest a send may stay in progress; CompletionTimeout unless a test
  // shortens it.
  void SetCompletionTimeout(int ms) { completionTimeoutMs_ = ms; }
  // Who watches this port's traffic; none (the default) costs nothing. The
  // observer must outlive the port.
  void SetObserver(IPortObserver* observer) { observer_ = observer; }
  IPortObserver* Observer() const { return observer_; }

  std::string DeviceName;
  int PortNumber = -1;
  int Handle = -1;
  bool IsOpen = false;
  std::int32_t LastErrorCode = 0;
  std::string LastErrorText = "OK";
  // Bytes taken from the platform; those before the read position have been
  // handed out already (the buffer is only emptied when it is refilled, so
  // handing out a byte costs no copying).
  std::string ReceiveBuffer;
  TLineSettings LineSettings;

 private:
  void SetError(std::int32_t code);
  void SetErrno(int err);
  // Errors of a device that has gone away (hang-up) as the errno to report.
  void SetHangUp();
  bool RefillReceiveBuffer(int timeoutMs);
  bool WaitForInput(int timeoutMs);
  bool ReadQueued(int count);
  bool WaitTransmitterIdle(int timeoutMs);
  void TakeLineErrors();
  int QueryInput(int& count);   // 0 or an errno
  int QueryOutput(int& count);  // 0 or an errno
  // The network side (block_serial_net.cpp), where the terminal has its calls.
  void OpenNetwork(const std::string& name);
  void ReadNetLineSettings();
  void WriteNetLineSettings();
  bool WaitNetReadable(int timeoutMs);
  long NetWrite(const char* data, std::size_t count);  // as write(): -1 with errno
  long NetRead(char* out, std::size_t count);         // as read(): -1 with errno
  void DiscardNetwork();
  void CloseNetwork();

  std::size_t receivePos_ = 0;  // first byte of ReceiveBuffer not yet handed out
  bool lockHeld_ = false;
  bool deviceGone_ = false;
  TLineErrorCounts counters_;
  bool haveCounters_ = false;
  TLineErrorFlags lineFlags_;  // Windows: fetched from the port, not yet reported
  int completionTimeoutMs_ = CompletionTimeout;
  IPortObserver* observer_ = nullptr;
  std::unique_ptr<TNetPort> net_;  // set while a network port is open
};

}  // namespace vestok
