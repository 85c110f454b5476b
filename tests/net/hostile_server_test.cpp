// A Telnet server that never lets the negotiation end: it floods option
// requests (read or left unread), toggles options, opens a subnegotiation
// that never closes, sends data without agreeing to COM-PORT-CONTROL, or
// agrees and then never answers the speed. Every open ends within its limit,
// as a port that could not be opened.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "config/link_settings.h"
#include "ecr/fiscal_number.h"
#include "ecr/link_port.h"
#include "serial/net_port.h"

namespace vestok {
namespace {

// Listens on 127.0.0.1, takes one connection and sends `greeting` once, then
// `flood` over and over until stopped, reading what comes when `reads`.
class FloodingServer {
 public:
  FloodingServer(std::string greeting, std::string flood, bool reads)
      : greeting_(std::move(greeting)), flood_(std::move(flood)), reads_(reads) {
    listen_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof a;
    bind(listen_, reinterpret_cast<sockaddr*>(&a), sizeof a);
    listen(listen_, 4);
    getsockname(listen_, reinterpret_cast<sockaddr*>(&a), &len);
    port_ = ntohs(a.sin_port);
    thread_ = std::thread([this] { Serve(); });
  }
  ~FloodingServer() {
    stop_ = true;
    thread_.join();
    close(listen_);
  }
  std::string Name() const { return "rfc2217://127.0.0.1:" + std::to_string(port_); }

 private:
  void Serve() {
    pollfd p{listen_, POLLIN, 0};
    while (!stop_ && poll(&p, 1, 50) == 0) {
    }
    if (stop_) return;
    const int fd = accept4(listen_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) return;
    std::string out = greeting_;
    char sink[4096];
    while (!stop_) {
      if (out.size() < 65536)
        for (int i = 0; i < 64; ++i) out += flood_;
      pollfd q{fd, static_cast<short>(POLLOUT | (reads_ ? POLLIN : 0)), 0};
      if (poll(&q, 1, 50) <= 0) continue;
      if (q.revents & (POLLERR | POLLHUP)) break;
      if (q.revents & POLLIN) {
        const ssize_t n = recv(fd, sink, sizeof sink, 0);
        if (n == 0) break;
      }
      if (q.revents & POLLOUT) {
        const ssize_t n = send(fd, out.data(), out.size(), MSG_NOSIGNAL);
        if (n > 0) out.erase(0, static_cast<std::size_t>(n));
        else if (n < 0 && errno != EAGAIN) break;
      }
    }
    close(fd);
  }

  std::string greeting_, flood_;
  bool reads_;
  int listen_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

std::string B(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s += static_cast<char>(b);
  return s;
}

struct FloodCase {
  const char* what;
  std::string greeting, flood;
  bool reads;
};

TEST(HostileTelnetServer, EveryFloodEndsTheOpenWithinItsLimitAsAPortThatCannotBeOpened) {
  const std::string agree = B({0xFF, 0xFD, 0x2C, 0xFF, 0xFD, 0x00, 0xFF, 0xFB, 0x00});
  const FloodCase cases[] = {
      {"requests of an unknown option, answers read", "", B({0xFF, 0xFD, 0x18, 0xFF, 0xFB, 0x18}), true},
      {"requests of an unknown option, answers never read", "", B({0xFF, 0xFD, 0x18, 0xFF, 0xFB, 0x18}), false},
      {"options turned on and off", "", B({0xFF, 0xFB, 0x03, 0xFF, 0xFC, 0x03, 0xFF, 0xFD, 0x03, 0xFF, 0xFE, 0x03}),
       true},
      {"a subnegotiation that never ends", B({0xFF, 0xFA, 0x2C}), "xxxxxxxx", true},
      {"data and no agreement", "", "0123456789", true},
      {"agreement, then requests and no answer to the speed", agree, B({0xFF, 0xFD, 0x18, 0xFF, 0xF1}), true},
      {"agreement, then data and no answer to the speed", agree, "0123456789", false},
  };
  TLinkSettings settings;
  for (const FloodCase& c : cases) {
    SCOPED_TRACE(c.what);
    FloodingServer server(c.greeting, c.flood, c.reads);
    TLink link(settings);
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_FALSE(OpenLink(link, server.Name(), 9600));
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
    EXPECT_LT(ms, TNetPort::ConnectTimeoutMs + 500);
    EXPECT_FALSE(link);
  }
  // What the query says of such a server: the port could not be opened.
  FloodingServer server("", B({0xFF, 0xFD, 0x18}), true);
  TLink link(settings);
  std::string fiscal;
  EXPECT_EQ(ReadFiscalNumber(link, server.Name(), 9600, 1, 100, fiscal), FiscalQueryPortFailed);
}

}  // namespace
}  // namespace vestok
