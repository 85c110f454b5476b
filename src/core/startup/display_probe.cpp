#include "startup/display_probe.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "text/number_text.h"

namespace vestok {
namespace {

// Connects without blocking longer than timeoutMs.
bool ConnectWithin(int fd, const sockaddr* address, socklen_t length, int timeoutMs) {
  const int flags = ::fcntl(fd, F_GETFL);
  ::fcntl(fd, F_SETFL, flags | O_NONBLOCK);
  if (::connect(fd, address, length) == 0) return true;
  if (errno != EINPROGRESS) return false;
  pollfd p{fd, POLLOUT, 0};
  if (::poll(&p, 1, timeoutMs) != 1) return false;
  int error = 0;
  socklen_t size = sizeof error;
  return ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0;
}

bool UnixSocketAnswers(const std::string& path, bool abstract, int timeoutMs) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  const std::size_t offset = abstract ? 1 : 0;
  if (path.size() + offset >= sizeof address.sun_path) return false;
  std::memcpy(address.sun_path + offset, path.data(), path.size());
  const socklen_t length = socklen_t(offsetof(sockaddr_un, sun_path) + offset + path.size() + (abstract ? 0 : 1));
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return true;
  const bool ok = ConnectWithin(fd, reinterpret_cast<const sockaddr*>(&address), length, timeoutMs);
  ::close(fd);
  return ok;
}

bool TcpAnswers(const std::string& host, int port, int timeoutMs) {
  addrinfo hints{};
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (::getaddrinfo(host.c_str(), IntToText(port).c_str(), &hints, &found) != 0) return false;
  bool ok = false;
  for (addrinfo* a = found; a && !ok; a = a->ai_next) {
    const int fd = ::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
    if (fd < 0) continue;
    ok = ConnectWithin(fd, a->ai_addr, a->ai_addrlen, timeoutMs);
    ::close(fd);
  }
  ::freeaddrinfo(found);
  return ok;
}

}  // namespace

bool DisplayReachable(const std::string& display, int timeoutMs) {
  // A socket path given whole (the form some systems put into DISPLAY).
  if (display.starts_with("/")) {
    return UnixSocketAnswers(display.substr(0, display.rfind(':')), false, timeoutMs);
  }
  const std::size_t colon = display.rfind(':');
  if (colon == std::string::npos) return true;
  const std::string host = display.substr(0, colon);
  const std::string rest = display.substr(colon + 1);
  const auto number = ParseInt32(rest.substr(0, rest.find('.')));
  if (!number || *number < 0 || *number > 60000) return true;
  if (host.empty() || host == "unix") {
    const std::string path = "/tmp/.X11-unix/X" + IntToText(*number);
    return UnixSocketAnswers(path, true, timeoutMs) || UnixSocketAnswers(path, false, timeoutMs);
  }
  if (host.find('/') != std::string::npos) return true;  // a protocol prefix we do not know
  return TcpAnswers(host, 6000 + *number, timeoutMs);
}

bool WaylandReachable(const std::string& name, const std::string& runtimeDir, int timeoutMs) {
  if (name.starts_with("/")) return UnixSocketAnswers(name, false, timeoutMs);
  // A relative name needs the runtime folder; without one no client connects.
  if (runtimeDir.empty()) return false;
  return UnixSocketAnswers(runtimeDir + "/" + name, false, timeoutMs);
}

namespace {

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

bool XAnswers() {
  const std::string display = Env("DISPLAY");
  return !display.empty() && DisplayReachable(display);
}

// The Wayland display a client would connect to: WAYLAND_DISPLAY, or
// "wayland-0" when the platform is chosen as wayland without one.
bool WaylandAnswers(bool chosen) {
  std::string name = Env("WAYLAND_DISPLAY");
  if (name.empty() && chosen) name = "wayland-0";
  return !name.empty() && WaylandReachable(name, Env("XDG_RUNTIME_DIR"));
}

}  // namespace

std::optional<std::string> MissingDisplay() {
  const std::string platform = Env("QT_QPA_PLATFORM");
  const std::string named = !Env("DISPLAY").empty() ? Env("DISPLAY") : Env("WAYLAND_DISPLAY");
  if (platform.empty()) {
    if (XAnswers() || WaylandAnswers(false)) return std::nullopt;
    return named;
  }
  // A list such as "wayland;xcb" is tried in its order: one that opens is enough.
  std::size_t from = 0;
  while (from <= platform.size()) {
    const std::size_t end = std::min(platform.find(';', from), platform.size());
    const std::string entry = platform.substr(from, end - from);
    from = end + 1;
    if (entry.starts_with("xcb")) {
      if (XAnswers()) return std::nullopt;
    } else if (entry.starts_with("wayland")) {
      if (WaylandAnswers(true)) return std::nullopt;
    } else if (!entry.empty()) {
      return std::nullopt;
    }
  }
  return named;
}

bool PreferLiveXDisplay() {
  return Env("QT_QPA_PLATFORM").empty() && !Env("WAYLAND_DISPLAY").empty() && !WaylandAnswers(false) && XAnswers();
}

}  // namespace vestok
