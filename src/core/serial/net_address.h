#pragma once
// Network port names: "tcp://HOST:PORT" is a raw TCP connection to a serial
// device server, "rfc2217://HOST:PORT" a Telnet connection with the
// COM-PORT-CONTROL option. HOST is a name, an IPv4 address or an IPv6 address
// in brackets ("rfc2217://[::1]:4001"); the scheme's letter case is ignored.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vestok {

enum class NetScheme { Tcp, Rfc2217 };

struct TNetAddress {
  NetScheme Scheme = NetScheme::Tcp;
  std::string Host;  // without the brackets of an IPv6 address
  std::uint16_t Port = 0;
};

// True for a name that begins with one of the two schemes, well formed or not:
// such a name is never a device path.
bool IsNetworkPortName(std::string_view name);

// The address of a well-formed network name; none for any other name.
std::optional<TNetAddress> ParseNetAddress(std::string_view name);

// The length of the network name at the start of `text`, which may go on with
// other names after a ":" (as in VESTOK_PORTS); 0 when `text` does not begin
// with a scheme.
std::size_t NetPortNameLength(std::string_view text);

}  // namespace vestok
