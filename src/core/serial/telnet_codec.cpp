#include "serial/telnet_codec.h"

namespace vestok::telnet {
namespace {

// The longest subnegotiation kept; a longer one (none that we understand is)
// is read to its end and dropped.
constexpr std::size_t kMaxSubnegotiation = 64;

bool LocalSupported(std::uint8_t option) {
  return option == OptBinary || option == OptSuppressGoAhead || option == OptComPort;
}
bool RemoteSupported(std::uint8_t option) { return option == OptBinary || option == OptSuppressGoAhead; }

std::string Command(std::uint8_t verb, std::uint8_t option) {
  return {static_cast<char>(IAC), static_cast<char>(verb), static_cast<char>(option)};
}

}  // namespace

std::string EscapeData(std::string_view data) {
  std::string out;
  out.reserve(data.size() + 8);
  for (char c : data) {
    out += c;
    if (static_cast<std::uint8_t>(c) == IAC) out += c;
  }
  return out;
}

std::string ComPortRequest(std::uint8_t command, std::string_view value) {
  std::string out{static_cast<char>(IAC), static_cast<char>(SB), static_cast<char>(OptComPort),
                  static_cast<char>(command)};
  out += EscapeData(value);
  out += static_cast<char>(IAC);
  out += static_cast<char>(SE);
  return out;
}

std::string ComPortRequest(std::uint8_t command, std::uint8_t value) {
  return ComPortRequest(command, std::string(1, static_cast<char>(value)));
}

std::string SetBaudRate(std::uint32_t speed) {
  const std::string value{static_cast<char>(speed >> 24), static_cast<char>(speed >> 16),
                          static_cast<char>(speed >> 8), static_cast<char>(speed)};
  return ComPortRequest(CpSetBaudRate, value);
}

std::string TTelnetCodec::Greeting() {
  local_[OptComPort].requested = true;
  local_[OptBinary].requested = true;
  remote_[OptBinary].requested = true;
  return Command(WILL, OptComPort) + Command(WILL, OptBinary) + Command(DO, OptBinary);
}

std::uint8_t TTelnetCodec::TakeLineState() {
  const std::uint8_t bits = lineState_;
  lineState_ = 0;
  return bits;
}

// An option is only ever answered when its state changes, and never when the
// message answers our own request: so two sides cannot talk in a loop. An
// option we do not know is refused once; a server that asks again gets no
// answer, so a flood of requests is not matched by one of refusals.
void TTelnetCodec::OnDo(std::uint8_t option, std::string& replies) {
  TOption& o = local_[option];
  if (!LocalSupported(option)) {
    if (!o.refused) replies += Command(WONT, option);
    o.refused = true;
    return;
  }
  if (!o.enabled) {
    o.enabled = true;
    if (!o.requested) replies += Command(WILL, option);
  }
  o.requested = false;
}

void TTelnetCodec::OnDont(std::uint8_t option, std::string& replies) {
  TOption& o = local_[option];
  if (option == OptComPort) comPortRefused_ = true;
  if (o.enabled) {
    o.enabled = false;
    if (!o.requested) replies += Command(WONT, option);
  }
  o.requested = false;
}

void TTelnetCodec::OnWill(std::uint8_t option, std::string& replies) {
  TOption& o = remote_[option];
  if (!RemoteSupported(option)) {
    if (!o.refused) replies += Command(DONT, option);
    o.refused = true;
    return;
  }
  if (!o.enabled) {
    o.enabled = true;
    if (!o.requested) replies += Command(DO, option);
  }
  o.requested = false;
}

void TTelnetCodec::OnWont(std::uint8_t option, std::string& replies) {
  TOption& o = remote_[option];
  if (o.enabled) {
    o.enabled = false;
    if (!o.requested) replies += Command(DONT, option);
  }
  o.requested = false;
}

void TTelnetCodec::OnSubnegotiation() {
  if (subOverflow_ || sub_.size() < 2 || static_cast<std::uint8_t>(sub_[0]) != OptComPort) return;
  const auto command = static_cast<std::uint8_t>(sub_[1]);
  const std::string_view value = std::string_view(sub_).substr(2);
  if (command == CpServerOffset + CpSetBaudRate && value.size() == 4) {
    serverSpeed_ = 0;
    for (char c : value) serverSpeed_ = serverSpeed_ << 8 | static_cast<std::uint8_t>(c);
    ++speedAnswers_;
  } else if (command == CpServerOffset + CpPurgeData) {
    ++purgeAnswers_;
  } else if (command == CpServerOffset + CpNotifyLineState && value.size() == 1) {
    lineState_ |= static_cast<std::uint8_t>(value[0]) & (LineOverrun | LineParity | LineFraming);
  }
}

void TTelnetCodec::Feed(std::string_view in, std::string& data, std::string& replies) {
  for (char ch : in) {
    const auto b = static_cast<std::uint8_t>(ch);
    switch (state_) {
      case State::Data:
        if (b == IAC)
          state_ = State::Iac;
        else
          data += ch;
        break;
      case State::Iac:
        state_ = State::Data;
        if (b == IAC) data += ch;
        else if (b == WILL) state_ = State::Will;
        else if (b == WONT) state_ = State::Wont;
        else if (b == DO) state_ = State::Do;
        else if (b == DONT) state_ = State::Dont;
        else if (b == SB) {
          state_ = State::Sub;
          sub_.clear();
          subOverflow_ = false;
        }
        // Any other command (NOP, go-ahead, a stray SE, ...) carries no data.
        break;
      case State::Will: OnWill(b, replies); state_ = State::Data; break;
      case State::Wont: OnWont(b, replies); state_ = State::Data; break;
      case State::Do: OnDo(b, replies); state_ = State::Data; break;
      case State::Dont: OnDont(b, replies); state_ = State::Data; break;
      case State::Sub:
        if (b == IAC) {
          state_ = State::SubIac;
        } else if (sub_.size() < kMaxSubnegotiation) {
          sub_ += ch;
        } else {
          subOverflow_ = true;
        }
        break;
      case State::SubIac:
        if (b == IAC) {
          if (sub_.size() < kMaxSubnegotiation) sub_ += ch; else subOverflow_ = true;
          state_ = State::Sub;
        } else if (b == SE) {
          OnSubnegotiation();
          state_ = State::Data;
        } else {
          // IAC and a command inside a subnegotiation: the server broke it
          // off; the command itself is taken as outside.
          state_ = State::Iac;
          Feed(std::string_view(&ch, 1), data, replies);
        }
        break;
    }
  }
}

}  // namespace vestok::telnet
