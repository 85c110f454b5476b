#pragma once
// The trace file: when the environment variable VESTOK_TRACE names a file,
// every line of a link's monitor is written there as it happens (UTF-8, one
// line per event, tab-separated columns; see TraceLine). The file is created
// or truncated when the trace starts. Only a regular file (or a symbolic
// link to one) is written; the open never waits (a FIFO without a reader is
// refused at once). Each problem is one line on the error output that begins
// "VESTOK_TRACE:" and names the path, once; the transfer goes on without it.
#include <chrono>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>

#include "monitor/link_monitor.h"

namespace vestok {

struct TLink;

class TTraceFile final : public ILinkMonitorSink {
 public:
  // Opens `path`; Problem() says why when it could not be.
  explicit TTraceFile(std::string path);
  ~TTraceFile() override;
  TTraceFile(const TTraceFile&) = delete;
  TTraceFile& operator=(const TTraceFile&) = delete;

  bool IsOpen() const { return file_ != nullptr; }
  const std::string& Path() const { return path_; }
  // "VESTOK_TRACE: ..." when the file could not be opened or written.
  const std::string& Problem() const { return problem_; }

  // Writes the lines of `link`'s ports through a monitor of its own.
  void Watch(TLink& link);
  // Writes the lines of `monitor` (one a window also shows), until the end.
  void Follow(TLinkMonitor& monitor);

  void MonitorLines(const std::vector<TMonitorLine>& lines) override;

 private:
  void Report(const std::string& problem);

  const std::string path_;
  std::FILE* file_ = nullptr;
  std::string problem_;
  bool reported_ = false;
  std::string text_;
  std::chrono::steady_clock::time_point lastFlush_{};
  std::unique_ptr<TLinkMonitor> own_;  // Watch
  TLinkMonitor* followed_ = nullptr;   // Follow
};

// The value of VESTOK_TRACE; nothing when unset or empty.
std::optional<std::string> TracePathFromEnvironment();
// The trace of one port of a fleet: the port's name (its last path part,
// characters other than letters, digits, "-", "_" and "." as "_") goes
// before the extension of `path`: "trace.txt" and "/dev/ttyUSB0" give
// "trace.ttyUSB0.txt", "trace" and "tcp://10.0.0.5:4001" "trace.tcp___10.0.0.5_4001".
std::string TracePathForPort(const std::string& path, const std::string& port);

}  // namespace vestok
