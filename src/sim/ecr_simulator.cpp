#include "sim/ecr_simulator.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "ecr/frames.h"
#include "sim/frame_reader.h"
#include "text/number_text.h"

namespace vestok {
namespace {

struct SpeedCode {
  std::int32_t bps;
  speed_t code;
};
constexpr SpeedCode Speeds[] = {
    {1200, B1200},   {2400, B2400},   {4800, B4800},   {9600, B9600},   {19200, B19200},
    {38400, B38400}, {57600, B57600}, {115200, B115200}, {230400, B230400},
};

std::optional<speed_t> SpeedToCode(std::int32_t bps) {
  for (const auto& s : Speeds)
    if (s.bps == bps) return s.code;
  return std::nullopt;
}

std::int32_t CodeToSpeed(speed_t code) {
  for (const auto& s : Speeds)
    if (s.code == code) return s.bps;
  return 0;
}

std::string ErrnoText(const std::string& what) { return what + ": " + std::strerror(errno); }

bool MakeRaw(int fd, std::optional<speed_t> speed) {
  termios tio{};
  if (tcgetattr(fd, &tio) != 0) return false;
  cfmakeraw(&tio);
  tio.c_cflag |= CLOCAL | CREAD;
  if (speed) cfsetspeed(&tio, *speed);
  return tcsetattr(fd, TCSANOW, &tio) == 0;
}

const char* EventKind(TLineEvent::Kind kind) {
  switch (kind) {
    case TLineEvent::Kind::Deselect: return "deselect";
    case TLineEvent::Kind::Select: return "select";
    case TLineEvent::Kind::Ack: return "ack";
    case TLineEvent::Kind::Command: return "command";
    case TLineEvent::Kind::Noise: return "noise";
  }
  return "noise";
}

}  // namespace

EcrSimulator::EcrSimulator(TSimOptions options) : options_(std::move(options)) {
  if (options_.Registers.empty()) options_.Registers.emplace_back();
  for (auto& r : options_.Registers) registers_.push_back(TLineRegister{std::move(r), false, 0, {}, 0});
  options_.Registers.clear();
}

EcrSimulator::~EcrSimulator() { Stop(); }

TSimRegister& EcrSimulator::FindRegister(int logicNo) {
  for (auto& r : registers_)
    if (r.setup.LogicNo == logicNo) return r.setup;
  throw std::out_of_range("no simulated register with logical number " + IntToText(logicNo));
}

bool EcrSimulator::OpenPseudoTerminal(std::string* error) {
  lineFd_ = posix_openpt(O_RDWR | O_NOCTTY);
  if (lineFd_ < 0 || grantpt(lineFd_) != 0 || unlockpt(lineFd_) != 0) {
    if (error) *error = ErrnoText("cannot create a pseudo-terminal");
    return false;
  }
  char name[256];
  if (ptsname_r(lineFd_, name, sizeof name) != 0) {
    if (error) *error = ErrnoText("cannot name the pseudo-terminal");
    return false;
  }
  slavePath_ = name;
  // Held open so that the line stays up (and keeps its settings) while the
  // program has its end closed between two conversations.
  heldSlaveFd_ = open(name, O_RDWR | O_NOCTTY);
  if (heldSlaveFd_ < 0 || !MakeRaw(heldSlaveFd_, std::nullopt)) {
    if (error) *error = ErrnoText("cannot open " + slavePath_);
    return false;
  }
  if (!options_.LinkPath.empty()) {
    struct stat st {};
    if (lstat(options_.LinkPath.c_str(), &st) == 0) {
      if (!S_ISLNK(st.st_mode)) {
        if (error) *error = options_.LinkPath + " exists and is no symbolic link";
        return false;
      }
      unlink(options_.LinkPath.c_str());
    }
    if (symlink(slavePath_.c_str(), options_.LinkPath.c_str()) != 0) {
      if (error) *error = ErrnoText("cannot make the link " + options_.LinkPath);
      return false;
    }
  }
  return true;
}

bool EcrSimulator::OpenDevice(std::string* error) {
  const auto speed = SpeedToCode(options_.DeviceSpeed);
  if (!speed) {
    if (error) *error = "unsupported speed " + IntToText(options_.DeviceSpeed);
    return false;
  }
  lineFd_ = open(options_.DevicePath.c_str(), O_RDWR | O_NOCTTY);
  if (lineFd_ < 0 || !MakeRaw(lineFd_, speed)) {
    if (error) *error = ErrnoText("cannot open " + options_.DevicePath);
    return false;
  }
  slavePath_ = options_.DevicePath;
  return true;
}

bool EcrSimulator::Start(std::string* error) {
  if (running_) return true;
  if (pipe(wake_) != 0) {
    if (error) *error = ErrnoText("pipe");
    return false;
  }
  const bool opened = options_.DevicePath.empty() ? OpenPseudoTerminal(error) : OpenDevice(error);
  if (!opened) {
    running_ = true;  // so that Stop releases what was opened
    Stop();
    return false;
  }
  started_ = Clock::now();
  lineFreeAt_ = started_;
  running_ = true;
  thread_ = std::thread([this] { Run(); });
  return true;
}

void EcrSimulator::Stop() {
  if (!running_.exchange(false)) return;
  if (thread_.joinable()) {
    const char b = 0;
    [[maybe_unused]] auto n = write(wake_[1], &b, 1);
    thread_.join();
  }
  for (int* fd : {&lineFd_, &heldSlaveFd_, &wake_[0], &wake_[1]}) {
    if (*fd >= 0) close(*fd);
    *fd = -1;
  }
  if (!options_.LinkPath.empty() && options_.DevicePath.empty()) {
    struct stat st {};
    if (lstat(options_.LinkPath.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) unlink(options_.LinkPath.c_str());
  }
}

std::chrono::nanoseconds EcrSimulator::ByteTime() const {
  if (options_.PaceBaud <= 0) return std::chrono::nanoseconds(0);
  return std::chrono::nanoseconds(10'000'000'000LL / options_.PaceBaud);
}

bool EcrSimulator::SleepUntil(Clock::time_point when) {
  pollfd wake{wake_[0], POLLIN, 0};
  while (true) {
    const auto left = when - Clock::now();
    if (left <= Clock::duration::zero()) return true;
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(left).count();
    const timespec ts{static_cast<time_t>(ns / 1'000'000'000), static_cast<long>(ns % 1'000'000'000)};
    if (ppoll(&wake, 1, &ts, nullptr) > 0) return false;
  }
}

void EcrSimulator::WriteAll(const std::string& bytes) {
  {
    // Noted before they leave: whoever has read them finds them here.
    std::lock_guard lock(mutex_);
    sent_ += bytes;
  }
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(lineFd_, bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      // The line is gone; the register just stops talking, and what did not
      // leave was not sent.
      std::lock_guard lock(mutex_);
      sent_.resize(sent_.size() - std::min(sent_.size(), bytes.size() - done));
      return;
    }
    done += static_cast<std::size_t>(n);
  }
}

void EcrSimulator::Run() {
  TFrameReader reader;
  pollfd fds[2] = {{lineFd_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
  char buf[512];
  while (running_) {
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (fds[1].revents) break;
    if (!(fds[0].revents & POLLIN)) {
      // A device whose other end hung up: look again a little later.
      if (!SleepUntil(Clock::now() + std::chrono::milliseconds(20))) break;
      continue;
    }
    const ssize_t n = read(lineFd_, buf, sizeof buf);
    if (n <= 0) {
      if (n < 0 && errno == EINTR) continue;
      if (!SleepUntil(Clock::now() + std::chrono::milliseconds(20))) break;
      continue;
    }
    if (options_.PaceBaud > 0) lineFreeAt_ = std::max(Clock::now(), lineFreeAt_) + ByteTime() * n;
    {
      std::lock_guard lock(mutex_);
      received_.append(buf, static_cast<std::size_t>(n));
    }
    receivedCv_.notify_all();
    for (ssize_t i = 0; i < n && running_; ++i) {
      if (auto e = reader.Feed(buf[i])) HandleEvent(*e);
      if (auto e = reader.Pending()) HandleEvent(*e);
    }
  }
}

bool EcrSimulator::LineSpeedMatches() const {
  if (options_.LineSpeed <= 0 || heldSlaveFd_ < 0) return true;
  termios tio{};
  if (tcgetattr(heldSlaveFd_, &tio) != 0) return true;
  return CodeToSpeed(cfgetospeed(&tio)) == options_.LineSpeed;
}

void EcrSimulator::Record(TTraceEntry entry) {
  entry.ms = std::chrono::duration<double, std::milli>(Clock::now() - started_).count();
  if (options_.OnTrace) options_.OnTrace(entry);
  if (options_.KeepTrace) trace_.push_back(std::move(entry));
}

std::string EcrSimulator::BuildReply(const TRegisterFaults& faults, const std::string& payload) const {
  std::string reply(1, options_.LeadByte);
  reply += payload;
  reply += FrameEnd;
  const bool skipLf = options_.CheckAfterLeadingLF && !payload.empty() && payload[0] == FrameStart;
  std::string check = CheckBytes((skipLf ? payload.substr(1) : payload) + FrameEnd);
  if (faults.WrongCheck)
    for (char& c : check) c = static_cast<char>(~c);
  reply += check;
  const int cut = faults.CutReplyAfter;
  if (cut >= 0 && static_cast<std::size_t>(cut) < reply.size()) reply.resize(static_cast<std::size_t>(cut));
  return reply;
}

void EcrSimulator::SendReply(int logicNo, const TRegisterFaults& faults, const std::string& kind,
                             const std::string& payload, int extraDelayMs) {
  std::string reply = BuildReply(faults, payload);
  if (faults.ReplyTwice) reply += reply;
  {
    std::lock_guard lock(mutex_);
    Record({0, false, logicNo, kind, reply, payload, faults.WrongCheck ? "wrong" : ""});
  }
  Clock::time_point t = Clock::now();
  if (options_.PaceBaud > 0) t = std::max(t, lineFreeAt_);
  t += std::chrono::milliseconds(faults.ReplyDelayMs + extraDelayMs);
  const auto byteTime = ByteTime();
  if (byteTime.count() == 0 && faults.ByteGapMs <= 0) {
    if (SleepUntil(t)) WriteAll(reply);
    return;
  }
  for (std::size_t i = 0; i < reply.size(); ++i) {
    if (i > 0) t += std::chrono::milliseconds(faults.ByteGapMs);
    t += byteTime;  // a byte is there once its ten bit times have passed
    if (!SleepUntil(t)) return;
    WriteAll(std::string(1, reply[i]));
  }
  lineFreeAt_ = t;
}

void EcrSimulator::HandleEvent(const TLineEvent& event) {
  std::unique_lock lock(mutex_);
  TLineRegister* addressed = nullptr;
  if (event.kind == TLineEvent::Kind::Select) {
    for (auto& r : registers_) {
      if (r.setup.LogicNo == event.logicNo) {
        r.selected = true;
        ++r.selections;
        addressed = &r;
      } else {
        r.selected = false;
        r.selections = 0;
      }
    }
  } else {
    for (auto& r : registers_)
      if (r.selected) addressed = &r;
  }
  Record({0, true, addressed ? addressed->setup.LogicNo : 0, EventKind(event.kind), event.bytes, event.text,
          event.kind == TLineEvent::Kind::Command ? (event.checkOk ? "ok" : "bad") : ""});

  switch (event.kind) {
    case TLineEvent::Kind::Deselect:
      for (auto& r : registers_) {
        r.selected = false;
        r.selections = 0;
      }
      return;
    case TLineEvent::Kind::Select: {
      if (!addressed || addressed->setup.Faults.Silent || !LineSpeedMatches()) return;
      if (addressed->selections < addressed->setup.Faults.AnswerSelectionOn) return;
      const TSimRegister& r = addressed->setup;
      const TRegisterFaults faults = r.Faults;
      const std::string answer =
          r.AnswerPayload ? *r.AnswerPayload : r.FiscalNumber + ";" + IntToText(r.LogicNo) + ";" + r.AnswerTail;
      const int logicNo = r.LogicNo;
      lock.unlock();
      SendReply(logicNo, faults, "answer", answer);
      return;
    }
    case TLineEvent::Kind::Command: {
      if (!addressed || addressed->setup.Faults.Silent || !event.checkOk || !LineSpeedMatches()) return;
      TLineRegister& r = *addressed;
      ++r.commands;
      if (event.text == r.lastCommand) {
        ++r.sends;
      } else {
        r.lastCommand = event.text;
        r.sends = 1;
      }
      const TRegisterFaults& f = r.setup.Faults;
      std::string payload;
      if (f.NeverAcknowledge || r.sends < f.AcknowledgeOn) {
        if (f.Unacked == UnackedReply::Silence) return;
        payload = RefusalPayload;
      } else {
        const TCommandRules rules{options_.Variant, options_.EndReply, f.RefusedPlu, f.RefusedRecords,
                                  f.UnansweredRecords};
        payload = AnswerCommand(r.setup.Memory, event.text, rules);
        if (payload.empty()) return;  // carried out, and the answer lost
      }
      int extraDelayMs = 0;
      const bool endReply = payload.size() == 2 && payload[0] == '\n' && (payload[1] == 'D' || payload[1] == 'E');
      const bool download = IsDownloadRequest(event.text);
      if (download && endReply) extraDelayMs += f.EndReplyDelayMs;
      if (download && !endReply && f.HollowRecords) payload.assign(8, '\0');
      if (f.SlowCommandNo > 0 && r.commands == f.SlowCommandNo) extraDelayMs += f.SlowCommandDelayMs;
      const TRegisterFaults faults = f;
      const int logicNo = r.setup.LogicNo;
      lock.unlock();
      SendReply(logicNo, faults, "reply", payload, extraDelayMs);
      return;
    }
    case TLineEvent::Kind::Ack:
    case TLineEvent::Kind::Noise:
      return;
  }
}

std::vector<TTraceEntry> EcrSimulator::Trace() const {
  std::lock_guard lock(mutex_);
  return trace_;
}

std::string EcrSimulator::ReceivedBytes() const {
  std::lock_guard lock(mutex_);
  return received_;
}

std::string EcrSimulator::SentBytes() const {
  std::lock_guard lock(mutex_);
  return sent_;
}

void EcrSimulator::ClearTrace() {
  std::lock_guard lock(mutex_);
  trace_.clear();
  received_.clear();
  sent_.clear();
}

bool EcrSimulator::WaitForReceived(std::size_t count, int timeoutMs) const {
  std::unique_lock lock(mutex_);
  return receivedCv_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                               [&] { return received_.size() >= count; });
}

}  // namespace vestok
