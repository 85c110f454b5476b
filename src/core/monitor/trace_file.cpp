#include "monitor/trace_file.h"

#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "ecr/link_port.h"

namespace vestok {

namespace {

std::string Reason(int error) { return std::strerror(error); }

}  // namespace

TTraceFile::TTraceFile(std::string path) : path_(std::move(path)) {
  // What is there already must be a plain file: a device, a FIFO or a
  // folder is never opened for the trace (a symbolic link is followed).
  struct stat st{};
  if (::stat(path_.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) {
    Report("VESTOK_TRACE: " + path_ + " nu este un fisier obisnuit; urma nu se scrie");
    return;
  }
  const int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NONBLOCK | O_CLOEXEC, 0644);
  if (fd < 0) {
    Report("VESTOK_TRACE: nu se poate crea fisierul " + path_ + ": " + Reason(errno));
    return;
  }
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    Report("VESTOK_TRACE: " + path_ + " nu este un fisier obisnuit; urma nu se scrie");
    return;
  }
  file_ = ::fdopen(fd, "wb");
  if (file_ == nullptr) {
    ::close(fd);
    Report("VESTOK_TRACE: nu se poate crea fisierul " + path_ + ": " + Reason(errno));
  }
}

TTraceFile::~TTraceFile() {
  // The lines still being decoded reach the file before it closes.
  if (own_) {
    own_->Drain();
    own_->RemoveSink(this);
  }
  if (followed_ != nullptr) {
    followed_->Drain();
    followed_->RemoveSink(this);
  }
  if (file_ == nullptr) return;
  if (std::fflush(file_) != 0 || std::ferror(file_) != 0)
    Report("VESTOK_TRACE: nu se poate scrie in " + path_ + ": " + Reason(errno));
  std::fclose(file_);
}

void TTraceFile::Report(const std::string& problem) {
  if (reported_) return;
  reported_ = true;
  problem_ = problem;
  std::fprintf(stderr, "%s\n", problem.c_str());
}

void TTraceFile::Watch(TLink& link) {
  if (file_ == nullptr) return;
  if (!own_) {
    own_ = std::make_unique<TLinkMonitor>();
    own_->AddSink(this);
  }
  own_->Attach(link);
}

void TTraceFile::Follow(TLinkMonitor& monitor) {
  if (file_ == nullptr || followed_ != nullptr) return;
  followed_ = &monitor;
  monitor.AddSink(this);
}

void TTraceFile::MonitorLines(const std::vector<TMonitorLine>& lines) {
  if (file_ == nullptr) return;
  bool urgent = false;
  text_.clear();
  for (const TMonitorLine& line : lines) {
    AppendTraceLine(text_, line);
    text_ += '\n';
    urgent = urgent || line.Kind == TMonitorKind::Open || line.Kind == TMonitorKind::Close ||
             line.Kind == TMonitorKind::Timeout || line.Kind == TMonitorKind::Error;
  }
  // The lines reach the file at least every 100 ms, and at once with a wait
  // that ran out, a failure, an open or a close: what came before a stall
  // is in the file while the program waits, and a killed program loses
  // at most the last tenth of a second. Writing each line out by itself
  // would cost an exchange a system call per frame.
  bool failed = std::fwrite(text_.data(), 1, text_.size(), file_) != text_.size();
  const auto now = std::chrono::steady_clock::now();
  if (urgent || now - lastFlush_ >= std::chrono::milliseconds(100)) {
    failed = std::fflush(file_) != 0 || failed;
    lastFlush_ = now;
  }
  if (failed) {
    // A full disk: said once, and the rest of the trace is not tried.
    Report("VESTOK_TRACE: nu se poate scrie in " + path_ + ": " + Reason(errno));
    std::fclose(file_);
    file_ = nullptr;
  }
}

std::optional<std::string> TracePathFromEnvironment() {
  const char* path = std::getenv("VESTOK_TRACE");
  if (path == nullptr || *path == '\0') return std::nullopt;
  return std::string(path);
}

std::string TracePathForPort(const std::string& path, const std::string& port) {
  std::string name = port;
  if (name.rfind("/dev/", 0) == 0) name = name.substr(5);
  for (char& c : name) {
    const auto u = static_cast<unsigned char>(c);
    if (!(std::isalnum(u) || c == '-' || c == '_' || c == '.')) c = '_';
  }
  const std::size_t slash = path.find_last_of('/');
  const std::size_t dot = path.find_last_of('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash) || dot == slash + 1)
    return path + "." + name;
  return path.substr(0, dot) + "." + name + path.substr(dot);
}

}  // namespace vestok
