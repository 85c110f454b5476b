#pragma once
// The link settings of one link. The window has one record (LinkSettings, see
// ecr/window_link.h), filled from "Vestok.ini" at start-up and written back by
// the two port dialogs; the link routines read each field at the moment they
// need it.
#include <cstdint>
#include <stdexcept>
#include <string>

namespace vestok {

// The file and the dialogs keep the cable length; the time-out is ten times it.
inline constexpr int CableLenScale = 10;

struct TLinkSettings {
  std::string PortName = "COM1";
  std::int32_t Speed = 4800;
  std::uint8_t LogicNo = 1;
  std::int32_t CableTimeout = 50;  // ms once the file has been read
  std::int32_t TestCmd = 999999;
  std::int32_t TestByte = 1000;
  std::int32_t RetryCmd = 3;
  std::int32_t RetryByte = 10;
  std::int32_t CheckReply = 1;  // 0: every reply of the length rule is taken unchecked
  std::string FiscalNumber;  // as last read by the main window; never stored
};

// The write refused or failed; what() is the message the dialog shows.
class ConfigWriteError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Reads section "Communication" of the file into `s`. A missing file,
// section or key, or a value that is no integer, gives the key's default.
void ReadLinkSettings(TLinkSettings& s, const std::string& path);

// Writes Port, Baud, LogicNo and CableLen from `s`, keeping every
// other line of the file. Throws ConfigWriteError with
// "'%s' is not a valid integer value" for a port name it cannot store and
// "Unable to write to %s" when the file cannot be written; the old file then
// stays whole.
void WriteLinkSettings(const TLinkSettings& s, const std::string& path);

}  // namespace vestok
