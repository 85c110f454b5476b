#include <fcntl.h>
#include <unistd.h>

#include "serial/poll_wait.h"
#include "serial/socket_api.h"

namespace vestok::sock {

int OpenStream(int family, int& err) {
  const int fd = socket(family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  err = fd < 0 ? errno : 0;
  return fd;
}

void Close(int fd) { ::close(fd); }

int StartConnect(int fd, const sockaddr* addr, int len) {
  if (connect(fd, addr, static_cast<socklen_t>(len)) == 0) return 0;
  return errno == EINTR ? EINPROGRESS : errno;
}

int FinishConnect(int fd, Clock::time_point deadline) {
  const int revents = poll_wait::PollUntil(fd, POLLOUT, deadline);
  if (revents < 0) return errno;
  if (revents == 0) return ETIMEDOUT;
  int err = 0;
  socklen_t len = sizeof err;
  if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0) return errno;
  return err;
}

int PollUntil(int fd, short events, Clock::time_point deadline, int& err) {
  const int r = poll_wait::PollUntil(fd, events, deadline);
  err = r < 0 ? errno : 0;
  return r;
}

long Recv(int fd, char* out, std::size_t count, int& err) {
  ssize_t n = 0;
  while ((n = recv(fd, out, count, MSG_DONTWAIT)) < 0 && errno == EINTR) {
  }
  err = n < 0 ? (errno == EWOULDBLOCK ? EAGAIN : errno) : 0;
  return static_cast<long>(n);
}

long Send(int fd, const char* data, std::size_t count, int& err) {
  ssize_t n = 0;
  while ((n = send(fd, data, count, MSG_NOSIGNAL | MSG_DONTWAIT)) < 0 && errno == EINTR) {
  }
  err = n < 0 ? (errno == EWOULDBLOCK ? EAGAIN : errno) : 0;
  return static_cast<long>(n);
}

namespace {
void SetOption(int fd, int level, int name, int value) { setsockopt(fd, level, name, &value, sizeof value); }
}  // namespace

void SetConnectionOptions(int fd, int idleS, int intervalS, int probes, int userTimeoutMs) {
  SetOption(fd, IPPROTO_TCP, TCP_NODELAY, 1);
  SetOption(fd, SOL_SOCKET, SO_KEEPALIVE, 1);
  SetOption(fd, IPPROTO_TCP, TCP_KEEPIDLE, idleS);
  SetOption(fd, IPPROTO_TCP, TCP_KEEPINTVL, intervalS);
  SetOption(fd, IPPROTO_TCP, TCP_KEEPCNT, probes);
  SetOption(fd, IPPROTO_TCP, TCP_USER_TIMEOUT, userTimeoutMs);
  SetOption(fd, IPPROTO_TCP, TCP_QUICKACK, 1);
}

void QuickAck(int fd) { SetOption(fd, IPPROTO_TCP, TCP_QUICKACK, 1); }

int PortErrorCode(int err) { return err; }

int LookupError(int rc, int err, std::string& text) {
  if (rc == EAI_SYSTEM) return err ? err : EIO;
  text = gai_strerror(rc);
  return rc == EAI_AGAIN ? EAGAIN : ENXIO;
}

}  // namespace vestok::sock
