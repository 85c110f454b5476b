#include "serial/net_port.h"

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <list>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "serial/block_serial.h"
#include "serial/poll_wait.h"
#include "serial/socket_api.h"

namespace vestok {
namespace {

using poll_wait::MsLeft;

using Clock = TNetPort::Clock;

struct TSockAddr {
  sockaddr_storage addr{};
  socklen_t len = 0;
};

// What one look-up of a host name found, shared by the thread that runs it
// and the opens that wait for it.
struct TLookup {
  std::mutex mutex;
  std::condition_variable cv;
  bool done = false;
  int rc = 0;
  int err = 0;
  std::vector<TSockAddr> found;
};

void RunLookup(TLookup& lookup, const std::string& host, const std::string& service) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_NUMERICSERV;
  addrinfo* result = nullptr;
  const int rc = getaddrinfo(host.c_str(), service.c_str(), &hints, &result);
  const int err = errno;
  std::vector<TSockAddr> found;
  for (const addrinfo* a = rc == 0 ? result : nullptr; a; a = a->ai_next) {
    TSockAddr s;
    if (a->ai_addrlen > sizeof s.addr) continue;
    std::memcpy(&s.addr, a->ai_addr, a->ai_addrlen);
    s.len = static_cast<socklen_t>(a->ai_addrlen);
    found.push_back(s);
  }
  if (result) freeaddrinfo(result);
  std::lock_guard lock(lookup.mutex);
  lookup.rc = rc;
  lookup.err = err;
  lookup.found = std::move(found);
  lookup.done = true;
  lookup.cv.notify_all();
}

// The look-ups run on threads of their own, so that a name server that does
// not answer cannot hold an open past its deadline; the resolver itself
// cannot be interrupted. This owner starts them and joins them: a finished
// look-up when the next one starts, the others when the program ends (one
// the resolver still holds then ends by the resolver's own time-outs). A name
// whose look-up is still running is not asked again: the open waits for the
// look-up in progress, so a server that never answers costs one thread.
class TLookupThreads {
 public:
  ~TLookupThreads() {
    std::lock_guard lock(mutex_);
    for (TRunning& r : running_) r.thread.join();
  }

  std::shared_ptr<TLookup> Start(const std::string& host, const std::string& service) {
    std::lock_guard lock(mutex_);
    const std::string key = host + " " + service;
    for (auto it = running_.begin(); it != running_.end();) {
      bool done = false;
      {
        std::lock_guard l(it->lookup->mutex);
        done = it->lookup->done;
      }
      if (done) {
        it->thread.join();
        it = running_.erase(it);
      } else if (it->key == key) {
        return it->lookup;
      } else {
        ++it;
      }
    }
    auto lookup = std::make_shared<TLookup>();
    running_.push_back({key, lookup, std::thread([lookup, host, service] { RunLookup(*lookup, host, service); })});
    return lookup;
  }

 private:
  struct TRunning {
    std::string key;
    std::shared_ptr<TLookup> lookup;
    std::thread thread;
  };
  std::mutex mutex_;
  std::list<TRunning> running_;
};

TLookupThreads& LookupThreads() {
  static TLookupThreads owner;
  return owner;
}

int Resolve(const TNetAddress& address, Clock::time_point deadline, std::vector<TSockAddr>& out,
            std::string& errorText) {
  // An address written as numbers needs no look-up.
  TSockAddr numeric;
  auto* v4 = reinterpret_cast<sockaddr_in*>(&numeric.addr);
  auto* v6 = reinterpret_cast<sockaddr_in6*>(&numeric.addr);
  if (inet_pton(AF_INET, address.Host.c_str(), &v4->sin_addr) == 1) {
    v4->sin_family = AF_INET;
    v4->sin_port = htons(address.Port);
    numeric.len = sizeof(sockaddr_in);
    out.push_back(numeric);
    return 0;
  }
  if (inet_pton(AF_INET6, address.Host.c_str(), &v6->sin6_addr) == 1) {
    v6->sin6_family = AF_INET6;
    v6->sin6_port = htons(address.Port);
    numeric.len = sizeof(sockaddr_in6);
    out.push_back(numeric);
    return 0;
  }
  const auto lookup = LookupThreads().Start(address.Host, std::to_string(address.Port));
  std::unique_lock lock(lookup->mutex);
  if (!lookup->cv.wait_until(lock, deadline, [&] { return lookup->done; })) return ETIMEDOUT;
  if (lookup->rc != 0) return sock::LookupError(lookup->rc, lookup->err, errorText);
  if (lookup->found.empty()) return ENXIO;
  out = std::move(lookup->found);
  return 0;
}

}  // namespace

TNetPort::~TNetPort() { Close(); }

int TNetPort::Fail(int err) {
  if (goneError_ == 0) goneError_ = err;
  return goneError_;
}

int TNetPort::Connect(Clock::time_point deadline, std::string& errorText) {
  std::vector<TSockAddr> addresses;
  if (const int e = Resolve(address_, deadline, addresses, errorText)) return e;
  int last = ECONNREFUSED;
  for (const TSockAddr& a : addresses) {
    int err = 0;
    const int fd = sock::OpenStream(a.addr.ss_family, err);
    if (fd < 0) {
      last = err;
      continue;
    }
    err = sock::StartConnect(fd, reinterpret_cast<const sockaddr*>(&a.addr), static_cast<int>(a.len));
    if (err == EINPROGRESS) err = sock::FinishConnect(fd, deadline);
    if (err == 0) {
      fd_ = fd;
      return 0;
    }
    sock::Close(fd);
    last = err;
    if (err == ETIMEDOUT || MsLeft(deadline) == 0) return ETIMEDOUT;
  }
  return last;
}

int TNetPort::Open(std::string& errorText) {
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(ConnectTimeoutMs);
  // Everything up to the first line settings (connect, negotiation, the first
  // purge, the speed's answer) is the open and shares its limit, whatever the
  // server sends or leaves unread.
  openDeadline_ = deadline;
  settingUp_ = true;
  if (const int e = Connect(deadline, errorText)) return e;
  // Frames are small and each waits for its answer: no delay for coalescing.
  sock::SetConnectionOptions(fd_, KeepAliveIdleS, KeepAliveIntervalS, KeepAliveProbes, UserTimeoutMs);
  if (!Telnet()) return 0;
  const int e = Negotiate(Capped(Clock::now() + std::chrono::milliseconds(NegotiationTimeoutMs)));
  if (e != 0) Close();
  return e;
}

int TNetPort::Negotiate(Clock::time_point deadline) {
  using namespace telnet;
  if (const int e = SendControl(codec_.Greeting(), deadline)) return e;
  if (const int e = WaitUntil(deadline, [&] { return codec_.ComPortAgreed() || codec_.ComPortRefused(); }))
    return e;
  // A Telnet server without COM-PORT-CONTROL cannot set the line up.
  if (!codec_.ComPortAgreed()) return EPROTONOSUPPORT;
  const std::string requests = ComPortRequest(CpSetLineStateMask, LineOverrun | LineParity | LineFraming) +
                               ComPortRequest(CpSetControl, ControlRtsOn) +
                               ComPortRequest(CpSetControl, ControlDtrOn);
  return SendControl(requests, deadline);
}

Clock::time_point TNetPort::Capped(Clock::time_point deadline) const {
  return settingUp_ ? std::min(deadline, openDeadline_) : deadline;
}

// Pumps the socket until `done` holds or the deadline passes (ETIMEDOUT). A
// server that never stops sending is not read past the deadline.
int TNetPort::WaitUntil(Clock::time_point deadline, const std::function<bool()>& done) {
  deadline = Capped(deadline);
  for (;;) {
    if (const int e = Pump()) return e;
    if (done()) return 0;
    if (Clock::now() >= deadline) return ETIMEDOUT;
    // An answer cannot be read behind data nobody takes: a server that sends
    // that much unasked is not a serial server.
    if (Pending() >= MaxPending) return EPROTO;
    int err = 0;
    const int revents = sock::PollUntil(fd_, POLLIN, deadline, err);
    if (revents < 0) return Fail(err);
    if (revents == 0) return ETIMEDOUT;
  }
}

int TNetPort::ApplyLineSettings(const TLineSettings& s) {
  using namespace telnet;
  if (fd_ < 0) return EBADF;
  if (Gone()) return goneError_;
  if (s.Speed <= 0 || s.DataBits < 5 || s.DataBits > 8 || (s.StopBits != 1 && s.StopBits != 2)) return EINVAL;
  if (Telnet()) {
    const bool hardware = s.RtsFlowControl || s.CtsFlowControl;
    const std::uint8_t out = hardware ? ControlHardware : s.XonXoff ? ControlXonXoff : ControlNoFlow;
    const std::uint8_t in = hardware ? ControlInHardware : s.XonXoff ? ControlInXonXoff : ControlInNoFlow;
    const int answers = codec_.SpeedAnswers();
    const std::string requests =
        SetBaudRate(static_cast<std::uint32_t>(s.Speed)) +
        ComPortRequest(CpSetDataSize, static_cast<std::uint8_t>(s.DataBits)) +
        ComPortRequest(CpSetParity, s.ParityOn ? ParityEven : ParityNone) +
        ComPortRequest(CpSetStopSize, s.StopBits == 2 ? StopBits2 : StopBits1) + ComPortRequest(CpSetControl, out) +
        ComPortRequest(CpSetControl, in) + ComPortRequest(CpSetControl, s.DtrOn ? ControlDtrOn : ControlDtrOff);
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(NegotiationTimeoutMs);
    if (const int e = SendControl(requests, deadline)) return e;
    if (const int e = WaitUntil(deadline, [&] { return codec_.SpeedAnswers() > answers; })) return e;
    // The server answers with the speed it has set: another one is a refusal.
    if (codec_.ServerSpeed() != static_cast<std::uint32_t>(s.Speed)) return EINVAL;
  }
  speed_ = s.Speed;
  settingUp_ = false;
  return 0;
}

int TNetPort::Pump() {
  if (fd_ < 0) return EBADF;
  if (Gone()) return goneError_;
  char buf[4096];
  // One call reads at most MaxPending bytes off the socket: a server that
  // sends without pause (negotiation that yields no data) cannot keep it here.
  std::size_t budget = MaxPending;
  while (Pending() < MaxPending && budget > 0) {
    int err = 0;
    const long n = sock::Recv(fd_, buf, std::min(sizeof buf, budget), err);
    if (n < 0) {
      if (err == EAGAIN) break;
      return Fail(err);
    }
    if (n == 0) return Fail(ECONNRESET);  // the server closed the connection
    budget -= static_cast<std::size_t>(n);
    // Acknowledge at once: a server that sends a paced reply byte by byte
    // without TCP_NODELAY would otherwise hold each byte until our delayed
    // acknowledgement of the one before (some 40 ms a byte). Linux drops the
    // flag again after a while, so it is set after every read.
    sock::QuickAck(fd_);
    if (pendingPos_ > 0 && pendingPos_ == pending_.size()) {
      pending_.clear();
      pendingPos_ = 0;
    }
    if (Telnet()) {
      std::string replies;
      codec_.Feed(std::string_view(buf, static_cast<std::size_t>(n)), pending_, replies);
      if (!replies.empty())
        if (const int e = QueueControl(replies)) return e;
    } else {
      pending_.append(buf, static_cast<std::size_t>(n));
    }
  }
  return 0;
}

int TNetPort::WaitData(Clock::time_point deadline, bool& ready) {
  ready = false;
  // Bytes already taken from the socket are served first: a reply is read a
  // byte at a time, and asking the socket again for each byte costs a call.
  if (Pending() > 0 && !Gone()) {
    ready = true;
    return 0;
  }
  for (;;) {
    if (const int e = Pump()) return e;
    if (Pending() > 0) {
      ready = true;
      return 0;
    }
    // Only Telnet commands may have come: wait on for data, but not past the
    // deadline for a server that keeps sending them.
    if (Clock::now() >= deadline) return 0;
    int err = 0;
    const int revents = sock::PollUntil(fd_, POLLIN, deadline, err);
    if (revents < 0) return Fail(err);
    if (revents == 0) return 0;
  }
}

std::size_t TNetPort::Take(char* out, std::size_t count) {
  const std::size_t n = std::min(count, Pending());
  std::memcpy(out, pending_.data() + pendingPos_, n);
  pendingPos_ += n;
  if (pendingPos_ == pending_.size()) {
    pending_.clear();
    pendingPos_ = 0;
  }
  return n;
}

int TNetPort::Flush(Clock::time_point deadline) {
  while (!owed_.empty()) {
    int err = 0;
    const long n = sock::Send(fd_, owed_.data(), owed_.size(), err);
    if (n > 0) {
      owed_.erase(0, static_cast<std::size_t>(n));
      continue;
    }
    if (n < 0 && err != EAGAIN) return Fail(err);
    const int revents = sock::PollUntil(fd_, POLLOUT, deadline, err);
    if (revents < 0) return Fail(err);
    if (revents == 0) return EAGAIN;
    if (revents & (POLLERR | POLLHUP)) return Fail(EPIPE);
  }
  return 0;
}

int TNetPort::SendControl(const std::string& bytes, Clock::time_point deadline) {
  if (fd_ < 0) return EBADF;
  if (Gone()) return goneError_;
  owed_ += bytes;
  const int e = Flush(Capped(deadline));
  return e == EAGAIN ? ETIMEDOUT : e;
}

int TNetPort::QueueControl(const std::string& bytes) {
  owed_ += bytes;
  // Answers pile up only for a server that asks without reading them.
  if (owed_.size() > MaxOwed) return Fail(EPROTO);
  const int e = Flush(Clock::now());
  return e == EAGAIN ? 0 : e;
}

int TNetPort::Write(const char* data, std::size_t count, std::size_t& written) {
  written = 0;
  if (fd_ < 0) return EBADF;
  if (Gone()) return goneError_;
  if (const int e = Flush(Clock::now())) return e;
  if (const int e = AwaitPurgeAnswer()) return e;
  const std::string encoded = Telnet() ? telnet::EscapeData(std::string_view(data, count)) : std::string(data, count);
  int err = 0;
  const long n = sock::Send(fd_, encoded.data(), encoded.size(), err);
  if (n < 0) return err == EAGAIN ? EAGAIN : Fail(err);
  // Count the data bytes whose encoding went; a doubled 0xFF of which only
  // the first half went counts as sent, and its second half is owed.
  std::size_t went = static_cast<std::size_t>(n);
  while (written < count && went > 0) {
    const bool doubled = Telnet() && static_cast<std::uint8_t>(data[written]) == telnet::IAC;
    if (doubled && went == 1) owed_ = std::string(1, static_cast<char>(telnet::IAC));
    went -= doubled && went >= 2 ? 2 : 1;
    ++written;
  }
  // The last byte's second half is sent before the send counts as complete.
  if (written == count && !owed_.empty())
    if (const int e = Flush(Clock::now() + std::chrono::milliseconds(NegotiationTimeoutMs)))
      return e == EAGAIN ? ETIMEDOUT : e;
  return 0;
}

int TNetPort::AwaitPurgeAnswer() {
  if (!purgesAnswered_ || codec_.PurgeAnswers() >= purgesSent_) return 0;
  const int e = WaitUntil(Clock::now() + std::chrono::milliseconds(PurgeAnswerWaitMs),
                          [&] { return codec_.PurgeAnswers() >= purgesSent_; });
  if (e == ETIMEDOUT) purgesAnswered_ = false;
  return e == ETIMEDOUT ? 0 : e;
}

int TNetPort::Discard() {
  if (fd_ < 0) return EBADF;
  int e = Pump();
  // ser2net answers only one of two purges that come together: the last one
  // is waited for before the next goes.
  if (e == 0 && Telnet()) e = AwaitPurgeAnswer();
  pending_.clear();
  pendingPos_ = 0;
  if (e != 0 || !Telnet()) return e;
  ++purgesSent_;
  return SendControl(telnet::ComPortRequest(telnet::CpPurgeData, telnet::PurgeReceive),
                     Clock::now() + std::chrono::milliseconds(NegotiationTimeoutMs));
}

void TNetPort::Close() {
  if (fd_ < 0) return;
  if (Telnet() && !Gone()) {
    // Lower the far port's lines as a local port's are lowered; no wait for
    // a server that does not take them.
    owed_ += telnet::ComPortRequest(telnet::CpSetControl, telnet::ControlRtsOff) +
             telnet::ComPortRequest(telnet::CpSetControl, telnet::ControlDtrOff);
    Flush(Clock::now());
  }
  sock::Close(fd_);
  fd_ = -1;
  pending_.clear();
  pendingPos_ = 0;
  owed_.clear();
}

std::int32_t TNetPort::TakeLineErrorCode() {
  const std::uint8_t bits = codec_.TakeLineState();
  // When several came at once, the last in the order framing, overrun, parity.
  if (bits & telnet::LineParity) return ErrRxParity;
  if (bits & telnet::LineOverrun) return ErrOverrun;
  if (bits & telnet::LineFraming) return ErrFrame;
  return 0;
}

void TNetPort::NoteSent(std::size_t count) {
  if (speed_ <= 0 || count == 0) return;
  const auto now = Clock::now();
  const auto lineTime = std::chrono::microseconds(static_cast<long long>(count) * 10'000'000LL / speed_);
  farLineFreeAt_ = std::max(now, farLineFreeAt_) + lineTime;
}

int TNetPort::FarLineMsLeft() const { return MsLeft(farLineFreeAt_); }

}  // namespace vestok
