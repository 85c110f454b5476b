#pragma once
// TBlockSerial: one serial port opened by name for exclusive use. It never
// throws and never shows anything: every operation leaves its outcome in
// LastErrorCode (0 success, 9997 time-out, a code of the table below, or the
// platform's errno) and LastErrorText.
#include <cstdint>
#include <string>

namespace vestok {

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
  int DataBits = 8;
  bool ParityOn = false;   // parity generation and checking
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

  TBlockSerial() = default;
  ~TBlockSerial();  // closes first
  TBlockSerial(const TBlockSerial&) = delete;
  TBlockSerial& operator=(const TBlockSerial&) = delete;

  void OpenPort(const std::string& name);
  void ReadLineSettings();
  void WriteLineSettings();
  int SendBytes(const std::string& bytes);
  std::uint8_t ReceiveByte(int timeoutMs);
  bool WaitReadable(int timeoutMs);
  bool WaitWritable(int timeoutMs);
  int QueuedInput();
  int QueuedOutput();
  void DiscardQueues();
  void ClosePort();

  std::string DeviceName;
  int PortNumber = -1;
  int Handle = -1;
  bool IsOpen = false;
  std::int32_t LastErrorCode = 0;
  std::string LastErrorText = "OK";
  std::string ReceiveBuffer;
  TLineSettings LineSettings;

 private:
  void SetError(std::int32_t code);
  // Implementation details are the serial layer's own.
  std::size_t receive_pos_ = 0;  // first byte of ReceiveBuffer not yet handed out
  bool lock_held_ = false;
  struct LineCounters { int frame = 0, overrun = 0, parity = 0, brk = 0, buf_overrun = 0; } counters_;
  bool have_counters_ = false;
};

}  // namespace vestok
