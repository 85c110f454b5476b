#pragma once
// The few socket calls of the network port, the same on every platform:
// BSD sockets with poll() on Linux, Winsock on Windows. A socket is an int
// (Windows' socket handles fit in 32 bits); every failure is reported as the
// errno value the Linux calls would give (ECONNREFUSED, ETIMEDOUT, EAGAIN,
// ECONNRESET, ...), so the port above it has one set of rules.
#include <cerrno>
#include <chrono>
#include <cstddef>
#include <string>

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#endif

namespace vestok::sock {

using Clock = std::chrono::steady_clock;

// A TCP socket of the family, non-blocking and not inherited by child
// processes: the socket, or -1 with the error in `err`. The first call on
// Windows starts Winsock for the program.
int OpenStream(int family, int& err);
void Close(int fd);
// Starts a connect: 0 when connected at once, EINPROGRESS while it goes on,
// or the error.
int StartConnect(int fd, const sockaddr* addr, int len);
// Waits until the connect has ended or the deadline passes: 0 connected,
// ETIMEDOUT, or the connect's error.
int FinishConnect(int fd, Clock::time_point deadline);
// Waits for `events` (POLLIN, POLLOUT) until the deadline: the events seen
// (POLLERR and POLLHUP among them), 0 on time-out, -1 with the error in
// `err`. Signals do not cut the wait short.
int PollUntil(int fd, short events, Clock::time_point deadline, int& err);
// What the socket holds now / takes now, without waiting (no SIGPIPE on a
// closed connection): the count, 0 for a closed connection (Recv), or -1
// with the error in `err` (EAGAIN when nothing can be done now).
long Recv(int fd, char* out, std::size_t count, int& err);
long Send(int fd, const char* data, std::size_t count, int& err);
// The connection's options: no delay for coalescing, keep-alive probes after
// `idleS` of silence every `intervalS`, given up after `probes` (where the
// platform lets the count be set), unacknowledged data given up after
// `userTimeoutMs`, and acknowledgements without delay.
void SetConnectionOptions(int fd, int idleS, int intervalS, int probes, int userTimeoutMs);
// Acknowledgements without delay once more after a read (Linux drops the
// flag again after a while; elsewhere nothing to do).
void QuickAck(int fd);
// A failed getaddrinfo (its result, and errno after it) as an errno value:
// EAGAIN for a name server that may answer later, ENXIO for a name that gives
// no address (then with the resolver's text in `text`), or the system error.
int LookupError(int rc, int err, std::string& text);

// An errno value of the network port as the serial port's error code: the
// errno itself on Linux, the Windows code (whose text the system has) on
// Windows, where the serial port reports Windows codes.
int PortErrorCode(int err);

}  // namespace vestok::sock
