#include "monitor/trace_file.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>

#include "ecr/window_link.h"
#include "monitor/link_monitor.h"

namespace vestok {
namespace {

class TTraceFileSink final : public ILinkMonitorSink {
 public:
  explicit TTraceFileSink(std::FILE* file) : file_(file) {}
  ~TTraceFileSink() override { std::fclose(file_); }

  void MonitorLines(const std::vector<TMonitorLine>& lines) override {
    bool urgent = false;
    text_.clear();
    for (const TMonitorLine& line : lines) {
      AppendTraceLine(text_, line);
      text_ += '\n';
      urgent = urgent || line.Kind == TMonitorKind::Open || line.Kind == TMonitorKind::Close ||
               line.Kind == TMonitorKind::Timeout || line.Kind == TMonitorKind::Error;
    }
    std::fwrite(text_.data(), 1, text_.size(), file_);
    // The lines reach the file at least every 100 ms, and at once with a wait
    // that ran out, a failure, an open or a close: what came before a stall
    // is in the file while the program waits, and a killed program loses
    // at most the last tenth of a second. Writing each line out by itself
    // would cost an exchange a system call per frame.
    const auto now = std::chrono::steady_clock::now();
    if (urgent || now - lastFlush_ >= std::chrono::milliseconds(100)) {
      std::fflush(file_);
      lastFlush_ = now;
    }
  }

 private:
  std::FILE* file_;
  std::string text_;
  std::chrono::steady_clock::time_point lastFlush_{};
};

std::mutex trace_mutex;
// Left to the end of the process: lines may come until the very last close.
TTraceFileSink* trace_sink = nullptr;

// At the end of the run the lines still being decoded go into the file
// before the file's buffer is written out.
void DrainAtExit() { TLinkMonitor::Instance().Drain(); }

}  // namespace

bool StartTraceFile(const std::string& path) {
  std::lock_guard lock(trace_mutex);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  TLinkMonitor& monitor = TLinkMonitor::Instance();
  if (trace_sink) {
    monitor.Drain();
    monitor.RemoveSink(trace_sink);
    delete trace_sink;
  }
  trace_sink = new TTraceFileSink(file);
  monitor.AddSink(trace_sink);
  monitor.Attach(LinkPort);
  static const bool drainAtExit = std::atexit(DrainAtExit) == 0;
  (void)drainAtExit;
  return true;
}

void StopTraceFile() {
  std::lock_guard lock(trace_mutex);
  if (!trace_sink) return;
  TLinkMonitor::Instance().Drain();
  TLinkMonitor::Instance().RemoveSink(trace_sink);
  delete trace_sink;
  trace_sink = nullptr;
}

bool StartTraceFromEnvironment() {
  const char* path = std::getenv("VESTOK_TRACE");
  if (path == nullptr || *path == '\0') return true;
  if (StartTraceFile(path)) return true;
  std::fprintf(stderr, "VESTOK_TRACE: nu se poate crea fisierul %s\n", path);
  return false;
}

}  // namespace vestok
