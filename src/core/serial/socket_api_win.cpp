// The socket calls on Winsock. Winsock reports its errors by
// WSAGetLastError with codes of its own; they are turned into the errno
// values of the Linux calls here, and back into Windows codes for the serial
// port's error reporting (PortErrorCode).
#include "serial/socket_api.h"

#include <mstcpip.h>

#include <algorithm>
#include <mutex>

#include "serial/poll_wait.h"
#include "win/utf16.h"

namespace vestok::sock {
namespace {

// Winsock's codes and the errno values that stand for them; a code missing
// here becomes EIO, an errno missing here ERROR_IO_DEVICE (whose text says
// an input or output error, not a device pulled out).
struct TCodePair {
  int windows;
  int posix;
};
// EAGAIN goes back as the look-up's "try again": the port never reports
// the other EAGAIN, a socket that takes nothing now.
constexpr TCodePair kCodes[] = {
    {WSATRY_AGAIN, EAGAIN},
    {WSAECONNREFUSED, ECONNREFUSED},
    {WSAETIMEDOUT, ETIMEDOUT},
    {WSAEWOULDBLOCK, EAGAIN},
    {WSAEINPROGRESS, EINPROGRESS},
    {WSAEINTR, EINTR},
    {WSAECONNRESET, ECONNRESET},
    {WSAECONNABORTED, ECONNABORTED},
    {WSAENETRESET, ENETRESET},
    {WSAESHUTDOWN, EPIPE},
    {WSAENOTCONN, ENOTCONN},
    {WSAENOTSOCK, EBADF},
    {WSAEINVAL, EINVAL},
    {WSAEHOSTUNREACH, EHOSTUNREACH},
    {WSAENETUNREACH, ENETUNREACH},
    {WSAENETDOWN, ENETDOWN},
    {WSAEADDRNOTAVAIL, EADDRNOTAVAIL},
    {WSAEAFNOSUPPORT, EAFNOSUPPORT},
    {WSAEMFILE, EMFILE},
    {WSAENOBUFS, ENOBUFS},
    {WSAEPROTONOSUPPORT, EPROTONOSUPPORT},
    {WSAHOST_NOT_FOUND, ENXIO},
    {WSAEACCES, EACCES},
    {WSAEPROTOTYPE, EPROTO},
    {WSASYSNOTREADY, ENETDOWN},
    {WSAVERNOTSUPPORTED, ENOSYS},
};

// The retransmission limit in seconds; not in every SDK's headers.
#ifndef TCP_MAXRT
#define TCP_MAXRT 5
#endif
#ifndef TCP_KEEPCNT
#define TCP_KEEPCNT 16
#endif

int ErrnoFromWindowsCode(int code) {
  for (const TCodePair& c : kCodes)
    if (c.windows == code) return c.posix;
  return EIO;
}

SOCKET AsSocket(int fd) { return static_cast<SOCKET>(static_cast<unsigned int>(fd)); }

using poll_wait::MsLeft;

// Winsock is started once for the program, by the first socket it opens, and
// stays started until the program ends.
int Startup() {
  static std::once_flag once;
  static int result = 0;
  std::call_once(once, [] {
    WSADATA data{};
    result = WSAStartup(MAKEWORD(2, 2), &data);
  });
  return result == 0 ? 0 : ErrnoFromWindowsCode(result);
}

int LastError() { return ErrnoFromWindowsCode(WSAGetLastError()); }

}  // namespace

int PortErrorCode(int err) {
  switch (err) {
    case 0: return 0;
    // What the port itself refuses, as the serial port's own refusals.
    case EINVAL: return ERROR_INVALID_PARAMETER;
    case EBADF: return ERROR_INVALID_HANDLE;
    case EIO: return ERROR_IO_DEVICE;
    case ENOMEM: return ERROR_NOT_ENOUGH_MEMORY;
    case EPROTO: return ERROR_INVALID_DATA;
    default: break;
  }
  for (const TCodePair& c : kCodes)
    if (c.posix == err) return c.windows;
  return ERROR_IO_DEVICE;
}

int OpenStream(int family, int& err) {
  if ((err = Startup()) != 0) return -1;
  const SOCKET s = WSASocketW(family, SOCK_STREAM, IPPROTO_TCP, nullptr, 0,
                              WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT);
  if (s == INVALID_SOCKET) {
    err = LastError();
    return -1;
  }
  u_long nonBlocking = 1;
  if (ioctlsocket(s, FIONBIO, &nonBlocking) != 0) {
    err = LastError();
    closesocket(s);
    return -1;
  }
  err = 0;
  return static_cast<int>(s);
}

void Close(int fd) { closesocket(AsSocket(fd)); }

int StartConnect(int fd, const sockaddr* addr, int len) {
  if (connect(AsSocket(fd), addr, len) == 0) return 0;
  const int err = WSAGetLastError();
  // A non-blocking connect in progress answers "would block".
  if (err == WSAEWOULDBLOCK || err == WSAEINPROGRESS || err == WSAEINTR) return EINPROGRESS;
  return ErrnoFromWindowsCode(err);
}

// select() rather than WSAPoll: some Windows versions' WSAPoll never reports
// a connect that failed; select() reports it among the exceptions.
int FinishConnect(int fd, Clock::time_point deadline) {
  const SOCKET s = AsSocket(fd);
  fd_set writable;
  fd_set failed;
  FD_ZERO(&writable);
  FD_ZERO(&failed);
  FD_SET(s, &writable);
  FD_SET(s, &failed);
  const int ms = MsLeft(deadline);
  timeval tv{ms / 1000, (ms % 1000) * 1000};
  const int r = select(0, nullptr, &writable, &failed, &tv);
  if (r < 0) return LastError();
  if (r == 0) return ETIMEDOUT;
  int err = 0;
  int len = sizeof err;
  if (getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&err), &len) != 0) return LastError();
  if (err == 0 && FD_ISSET(s, &failed)) return ECONNREFUSED;
  return err == 0 ? 0 : ErrnoFromWindowsCode(err);
}

int PollUntil(int fd, short events, Clock::time_point deadline, int& err) {
  for (;;) {
    WSAPOLLFD p{};
    p.fd = AsSocket(fd);
    p.events = events;
    const int r = WSAPoll(&p, 1, MsLeft(deadline));
    if (r > 0) {
      err = 0;
      return p.revents;
    }
    if (r == 0) {
      err = 0;
      return 0;
    }
    err = LastError();
    if (err != EINTR) return -1;
  }
}

long Recv(int fd, char* out, std::size_t count, int& err) {
  const int n = recv(AsSocket(fd), out, static_cast<int>(std::min<std::size_t>(count, 1 << 20)), 0);
  err = n < 0 ? LastError() : 0;
  return n;
}

long Send(int fd, const char* data, std::size_t count, int& err) {
  const int n = send(AsSocket(fd), data, static_cast<int>(std::min<std::size_t>(count, 1 << 20)), 0);
  err = n < 0 ? LastError() : 0;
  return n;
}

void SetConnectionOptions(int fd, int idleS, int intervalS, int probes, int userTimeoutMs) {
  const SOCKET s = AsSocket(fd);
  auto set = [&](int level, int name, int value) {
    setsockopt(s, level, name, reinterpret_cast<const char*>(&value), sizeof value);
  };
  set(IPPROTO_TCP, TCP_NODELAY, 1);
  // Keep-alive with its times in one call (every Windows since 2000); the
  // count of probes only where the system takes it (Windows 10 and later).
  tcp_keepalive keepAlive{};
  keepAlive.onoff = 1;
  keepAlive.keepalivetime = static_cast<ULONG>(idleS) * 1000;
  keepAlive.keepaliveinterval = static_cast<ULONG>(intervalS) * 1000;
  DWORD returned = 0;
  if (WSAIoctl(s, SIO_KEEPALIVE_VALS, &keepAlive, sizeof keepAlive, nullptr, 0, &returned, nullptr, nullptr) != 0)
    set(SOL_SOCKET, SO_KEEPALIVE, 1);
  set(IPPROTO_TCP, TCP_KEEPCNT, probes);
  set(IPPROTO_TCP, TCP_MAXRT, std::max(1, (userTimeoutMs + 999) / 1000));
  // Every segment acknowledged at once; the setting stays with the socket.
  DWORD everySegment = 1;
  WSAIoctl(s, SIO_TCP_SET_ACK_FREQUENCY, &everySegment, sizeof everySegment, nullptr, 0, &returned, nullptr,
           nullptr);
}

void QuickAck(int) {}

// getaddrinfo answers with Winsock's codes (EAI_AGAIN is WSATRY_AGAIN).
int LookupError(int rc, int, std::string& text) {
  if (rc == WSA_NOT_ENOUGH_MEMORY) return ENOMEM;
  text = win::ErrorMessage(static_cast<unsigned long>(rc));
  return rc == EAI_AGAIN ? EAGAIN : ENXIO;
}

}  // namespace vestok::sock
