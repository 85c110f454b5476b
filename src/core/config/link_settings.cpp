#include "config/link_settings.h"

#include <sys/stat.h>

#include "config/ini_file.h"
#include "serial/net_address.h"
#include "serial/port_name.h"
#include "text/ascii.h"
#include "text/number_text.h"

namespace vestok {

namespace {

constexpr const char* kSection = "Communication";

std::int32_t ReadInteger(const IniFile& ini, const char* key, std::int32_t fallback) {
  const auto text = ini.Value(kSection, key);
  if (!text) return fallback;
  return ParseInt32(*text).value_or(fallback);
}

// What the "Port" key holds for the current port name.
std::string PortValue(const std::string& name) {
  const int n = PortNumberFromName(name);
  if (n >= 1) return IntToText(n);
  // A device path (a USB adapter, a pseudo-terminal) or a network port
  // (tcp://, rfc2217://) is kept as it stands.
  if (name.starts_with("/") || IsNetworkPortName(name)) return name;
  const std::string after_com = name.size() > 3 ? name.substr(3) : std::string();
  // "Port=0" and "Port=-1" are read as COM0 and COM-1: they go back as read.
  if (name.size() > 3 && AsciiIEquals(std::string_view(name).substr(0, 3), "COM"))
    if (const auto n = ParseInt32(after_com)) return IntToText(*n);
  throw ConfigWriteError("'" + after_com + "' is not a valid integer value");
}

}  // namespace

void ReadLinkSettings(TLinkSettings& s, const std::string& path) {
  IniFile ini;
  ini.Load(path);
  const auto port = ini.Value(kSection, "Port");
  if (port && (port->starts_with("/") || IsNetworkPortName(*port)))
    s.PortName = *port;
  else
    s.PortName = "COM" + IntToText(ReadInteger(ini, "Port", 1));
  s.Speed = std::int32_t(std::int64_t(ReadInteger(ini, "Baud", 2)) * 2400);
  s.LogicNo = std::uint8_t(ReadInteger(ini, "LogicNo", s.LogicNo) & 0xFF);
  s.CableTimeout = std::int32_t(std::int64_t(ReadInteger(ini, "CableLen", s.CableTimeout)) * CableLenScale);
  s.TestCmd = ReadInteger(ini, "TestCmd", s.TestCmd);
  s.TestByte = ReadInteger(ini, "TestByte", s.TestByte);
  s.RetryCmd = ReadInteger(ini, "RetryCmd", s.RetryCmd);
  s.RetryByte = ReadInteger(ini, "RetryByte", s.RetryByte);
  s.CheckReply = ReadInteger(ini, "CheckReply", s.CheckReply);
}

void WriteLinkSettings(const TLinkSettings& s, const std::string& path) {
  const std::string port = PortValue(s.PortName);  // refuses before anything is written
  IniFile ini;
  // A file that is there but cannot be read is never replaced: its other
  // sections and hand-added keys would be lost.
  struct stat st {};
  if (!ini.Load(path) && ::stat(path.c_str(), &st) == 0) throw ConfigWriteError("Unable to write to " + path);
  ini.SetValue(kSection, "Port", port);
  ini.SetValue(kSection, "Baud", IntToText(s.Speed / 2400));
  ini.SetValue(kSection, "LogicNo", IntToText(s.LogicNo));
  ini.SetValue(kSection, "CableLen", IntToText(s.CableTimeout / CableLenScale));
  if (!ini.Save(path)) throw ConfigWriteError("Unable to write to " + path);
}

}  // namespace vestok
