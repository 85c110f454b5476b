#pragma once
// The network side of TBlockSerial: a TCP connection to a serial device
// server, raw ("tcp://") or Telnet with COM-PORT-CONTROL ("rfc2217://").
// It owns the socket and the bytes received and not yet taken; TBlockSerial
// keeps its public operations and hands the platform work to this class
// where a terminal would take a terminal call. Every call returns 0 or an
// errno; nothing here waits longer than the deadline it is given.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "serial/net_address.h"
#include "serial/telnet_codec.h"

namespace vestok {

struct TLineSettings;

class TNetPort {
 public:
  using Clock = std::chrono::steady_clock;

  // Name look-up and connect together; a device server that does not accept
  // within it counts as absent.
  static constexpr int ConnectTimeoutMs = 3000;
  // The Telnet server's answers: to the offer of COM-PORT-CONTROL at open,
  // and to the speed when the line settings are applied.
  static constexpr int NegotiationTimeoutMs = 2000;
  // A connection that carries nothing is probed after this idle time, and
  // given up after the probes go unanswered; unacknowledged data gives it up
  // after the user time-out. Either makes the port's device gone.
  static constexpr int KeepAliveIdleS = 5;
  static constexpr int KeepAliveIntervalS = 2;
  static constexpr int KeepAliveProbes = 3;
  static constexpr int UserTimeoutMs = 10000;
  // The longest a frame waits for the server's answer to a purge. A server
  // that gets data right behind a purge request may hold that data back for
  // a while, so the next frame goes once the purge has been answered; a
  // server that does not answer purges is not waited for again.
  static constexpr int PurgeAnswerWaitMs = 200;
  // Received bytes kept before the socket is left to hold the rest; also the
  // most one Pump reads.
  static constexpr std::size_t MaxPending = 65536;
  // Answers to the server's requests that it has not read yet; more mark the
  // connection as broken.
  static constexpr std::size_t MaxOwed = 65536;

  explicit TNetPort(TNetAddress address) : address_(std::move(address)) {}
  ~TNetPort();
  TNetPort(const TNetPort&) = delete;
  TNetPort& operator=(const TNetPort&) = delete;

  // Connects and, for a Telnet port, agrees on COM-PORT-CONTROL and raises
  // DTR and RTS on the far port. A failed name look-up leaves the resolver's
  // text in `errorText`. The open, up to the end of the first
  // ApplyLineSettings, takes at most ConnectTimeoutMs.
  int Open(std::string& errorText);
  int Fd() const { return fd_; }
  bool Telnet() const { return address_.Scheme == NetScheme::Rfc2217; }
  // The connection has dropped (closed by the server, reset, keep-alive
  // given up); every further call fails at once with the same error.
  bool Gone() const { return goneError_ != 0; }

  // A raw port only checks the settings and keeps the speed (the device
  // server owns its line); a Telnet port sets speed, data bits, parity, stop
  // bits, flow control and DTR on the far port and waits for the speed to be
  // confirmed.
  int ApplyLineSettings(const TLineSettings& settings);

  // Takes what the socket holds now, without waiting; data is then counted by
  // Pending().
  int Pump();
  std::size_t Pending() const { return pending_.size() - pendingPos_; }
  // Waits until data is pending or the deadline passes: 0 and `ready`.
  int WaitData(Clock::time_point deadline, bool& ready);
  // Moves up to `count` pending bytes to `out`; the number moved.
  std::size_t Take(char* out, std::size_t count);
  // Writes what the socket takes now of the data (0xFF doubled on a Telnet
  // port); `written` is the count of data bytes gone. EAGAIN when the socket
  // takes nothing.
  int Write(const char* data, std::size_t count, std::size_t& written);
  // Drops everything received and, on a Telnet port, asks the server to purge
  // its receive buffer (never its transmit buffer: our last frame may still be
  // in it on its way to the line).
  int Discard();
  void Close();

  // The line-state errors the server reported since the last call, as the
  // code of the error table (0 when none).
  std::int32_t TakeLineErrorCode();

  // The far line's time for `count` bytes sent now, at the speed of the line
  // settings (ten bit times a byte), added up over sends that follow each
  // other; see FarLineMsLeft.
  void NoteSent(std::size_t count);
  // What is left of that time: a device server takes our bytes at network
  // speed and says nothing of its serial line, so the register starts
  // answering only after they have crossed it; a wait for the first byte of
  // an answer that did not count this would time out on a slow line behind a
  // fast network.
  int FarLineMsLeft() const;

 private:
  int Fail(int err);  // marks the connection gone; returns err
  int Connect(Clock::time_point deadline, std::string& errorText);
  int Negotiate(Clock::time_point deadline);
  // Sends control bytes whole (with any data byte still owed first),
  // waiting for the socket at most until the deadline.
  int SendControl(const std::string& bytes, Clock::time_point deadline);
  // Sends the answers to the server's requests as far as the socket takes
  // them now; the rest goes before the next bytes.
  int QueueControl(const std::string& bytes);
  // The deadline, no later than the open's while the port is being set up.
  Clock::time_point Capped(Clock::time_point deadline) const;
  int Flush(Clock::time_point deadline);
  // Waits (at most PurgeAnswerWaitMs) for the answer to the last purge.
  int AwaitPurgeAnswer();
  int WaitUntil(Clock::time_point deadline, const std::function<bool()>& done);

  TNetAddress address_;
  int fd_ = -1;
  int goneError_ = 0;
  telnet::TTelnetCodec codec_;
  std::string pending_;          // received data; before pendingPos_ already taken
  std::size_t pendingPos_ = 0;
  std::string owed_;             // bytes that must go out before any other
  std::int32_t speed_ = 0;
  int purgesSent_ = 0;           // PURGE-DATA requests sent
  bool purgesAnswered_ = true;   // false once a server left one unanswered
  Clock::time_point farLineFreeAt_{};
  Clock::time_point openDeadline_{};
  bool settingUp_ = false;       // from Open to the end of the first line settings
};

}  // namespace vestok
