#include "startup/display_probe.h"

#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

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

bool StaleXDisplay() {
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  if (platform && *platform && std::strncmp(platform, "xcb", 3) != 0) return false;
  if (!platform || !*platform) {
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if (wayland && *wayland) return false;
  }
  const char* display = std::getenv("DISPLAY");
  if (!display || !*display) return false;
  return !DisplayReachable(display);
}

}  // namespace vestok
