#include "serial/net_address.h"

#include <charconv>

#include "text/ascii.h"

namespace vestok {
namespace {

constexpr std::string_view kTcp = "tcp://";
constexpr std::string_view kRfc2217 = "rfc2217://";

// The length of the scheme at the start of the name, 0 when there is none.
std::size_t SchemeLength(std::string_view name, NetScheme* scheme = nullptr) {
  for (auto [prefix, kind] : {std::pair{kTcp, NetScheme::Tcp}, std::pair{kRfc2217, NetScheme::Rfc2217}}) {
    if (name.size() >= prefix.size() && AsciiIEquals(name.substr(0, prefix.size()), prefix)) {
      if (scheme) *scheme = kind;
      return prefix.size();
    }
  }
  return 0;
}

bool IsHostNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
         c == '_';
}

bool IsIpv6Char(char c) {
  return (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') || (c >= '0' && c <= '9') || c == ':' || c == '.';
}

// An IPv6 address, with a zone after "%" (fe80::1%eth0) when it has one.
bool IsIpv6Text(std::string_view host) {
  const std::size_t percent = host.find('%');
  const std::string_view address = host.substr(0, percent);
  if (address.find(':') == std::string_view::npos) return false;
  for (char c : address)
    if (!IsIpv6Char(c)) return false;
  if (percent == std::string_view::npos) return true;
  const std::string_view zone = host.substr(percent + 1);
  if (zone.empty()) return false;
  for (char c : zone)
    if (!IsHostNameChar(c)) return false;
  return true;
}

}  // namespace

bool IsNetworkPortName(std::string_view name) { return SchemeLength(name) > 0; }

std::optional<TNetAddress> ParseNetAddress(std::string_view name) {
  TNetAddress address;
  const std::size_t start = SchemeLength(name, &address.Scheme);
  if (start == 0) return std::nullopt;
  std::string_view rest = name.substr(start);
  std::string_view host;
  if (rest.starts_with('[')) {
    const std::size_t close = rest.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    host = rest.substr(1, close - 1);
    if (!IsIpv6Text(host)) return std::nullopt;
    rest = rest.substr(close + 1);
  } else {
    const std::size_t colon = rest.find(':');
    if (colon == std::string_view::npos) return std::nullopt;
    host = rest.substr(0, colon);
    if (host.empty()) return std::nullopt;
    for (char c : host)
      if (!IsHostNameChar(c)) return std::nullopt;
    rest = rest.substr(colon);
  }
  if (!rest.starts_with(':') || rest.size() < 2) return std::nullopt;
  const std::string_view digits = rest.substr(1);
  for (char c : digits)
    if (c < '0' || c > '9') return std::nullopt;
  unsigned port = 0;
  auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), port);
  if (ec != std::errc() || end != digits.data() + digits.size() || port == 0 || port > 65535) return std::nullopt;
  address.Host = std::string(host);
  address.Port = static_cast<std::uint16_t>(port);
  return address;
}

std::size_t NetPortNameLength(std::string_view text) {
  const std::size_t start = SchemeLength(text);
  if (start == 0) return 0;
  std::size_t i = start;
  if (i < text.size() && text[i] == '[') {
    const std::size_t close = text.find(']', i);
    if (close == std::string_view::npos) return text.size();
    i = close + 1;
  } else {
    const std::size_t colon = text.find(':', i);
    if (colon == std::string_view::npos) return text.size();
    i = colon;
  }
  // The port: a ":" and the digits that follow it.
  if (i < text.size() && text[i] == ':') {
    ++i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
  }
  return i;
}

}  // namespace vestok
