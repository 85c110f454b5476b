#pragma once
// The Telnet side of a network port with the COM-PORT-CONTROL option: 0xFF
// bytes of the data go as IAC IAC both ways, the server's option requests are
// answered (binary transmission, suppress-go-ahead and COM-PORT-CONTROL are
// agreed to, everything else refused) and never reach the data, and the
// requests that set the far port up are built here. Pure byte work, no
// descriptor: the network port feeds it what the socket gave and sends what
// it hands back.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace vestok::telnet {

inline constexpr std::uint8_t IAC = 255, DONT = 254, DO = 253, WONT = 252, WILL = 251, SB = 250, SE = 240;
inline constexpr std::uint8_t OptBinary = 0, OptEcho = 1, OptSuppressGoAhead = 3, OptComPort = 44;

// COM-PORT-CONTROL commands from us; the server answers each with the same
// command plus 100.
inline constexpr std::uint8_t CpSetBaudRate = 1, CpSetDataSize = 2, CpSetParity = 3, CpSetStopSize = 4,
                              CpSetControl = 5, CpNotifyLineState = 6, CpSetLineStateMask = 10, CpPurgeData = 12;
inline constexpr std::uint8_t CpServerOffset = 100;

// Values of the commands.
inline constexpr std::uint8_t ParityNone = 1, ParityEven = 3;
inline constexpr std::uint8_t StopBits1 = 1, StopBits2 = 2;
inline constexpr std::uint8_t ControlNoFlow = 1, ControlXonXoff = 2, ControlHardware = 3, ControlDtrOn = 8,
                              ControlDtrOff = 9, ControlRtsOn = 11, ControlRtsOff = 12, ControlInNoFlow = 14,
                              ControlInXonXoff = 15, ControlInHardware = 16;
// Purging only the server's receive buffer: its transmit buffer may still
// hold bytes that we have sent and that must reach the line.
inline constexpr std::uint8_t PurgeReceive = 1;
// Line-state bits of NOTIFY-LINESTATE.
inline constexpr std::uint8_t LineOverrun = 0x02, LineParity = 0x04, LineFraming = 0x08;

// Data bytes with every 0xFF doubled.
std::string EscapeData(std::string_view data);

// A COM-PORT-CONTROL request: IAC SB 44 <command> <value...> IAC SE, with
// 0xFF bytes of the value doubled.
std::string ComPortRequest(std::uint8_t command, std::string_view value);
std::string SetBaudRate(std::uint32_t speed);  // the speed as four bytes, most significant first
std::string ComPortRequest(std::uint8_t command, std::uint8_t value);

class TTelnetCodec {
 public:
  // What a client sends first: it offers COM-PORT-CONTROL and binary
  // transmission and asks the server for binary transmission.
  std::string Greeting();

  // Takes bytes from the server: data goes to `data` (0xFF once for each
  // IAC IAC), answers to the server's requests go to `replies`. A sequence
  // split between two calls is carried over.
  void Feed(std::string_view in, std::string& data, std::string& replies);

  // The server's state of COM-PORT-CONTROL: agreed, refused, not yet known.
  bool ComPortAgreed() const { return local_[OptComPort].enabled; }
  bool ComPortRefused() const { return comPortRefused_; }
  // The speed of the server's last answer to SET-BAUDRATE (0 before one).
  std::uint32_t ServerSpeed() const { return serverSpeed_; }
  // How many answers to SET-BAUDRATE have come.
  int SpeedAnswers() const { return speedAnswers_; }
  // How many answers to PURGE-DATA have come.
  int PurgeAnswers() const { return purgeAnswers_; }
  // The line-state error bits of every NOTIFY-LINESTATE since the last call.
  std::uint8_t TakeLineState();

 private:
  struct TOption {
    bool enabled = false;
    bool requested = false;  // we asked and wait for the answer
    bool refused = false;    // an option we do not know, refused already
  };
  enum class State { Data, Iac, Will, Wont, Do, Dont, Sub, SubIac };

  void OnDo(std::uint8_t option, std::string& replies);
  void OnDont(std::uint8_t option, std::string& replies);
  void OnWill(std::uint8_t option, std::string& replies);
  void OnWont(std::uint8_t option, std::string& replies);
  void OnSubnegotiation();

  State state_ = State::Data;
  std::array<TOption, 256> local_{};   // options on our side (WILL/WONT from us)
  std::array<TOption, 256> remote_{};  // options on the server's side
  std::string sub_;                    // the subnegotiation being read
  bool subOverflow_ = false;
  bool comPortRefused_ = false;
  std::uint32_t serverSpeed_ = 0;
  int speedAnswers_ = 0;
  int purgeAnswers_ = 0;
  std::uint8_t lineState_ = 0;
};

}  // namespace vestok::telnet
