#include "monitor/trace_file.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>

#include "monitor/link_monitor.h"

namespace vestok {
namespace {

class TTraceFileSink final : public ILinkMonitorSink {
 public:
  explicit TTraceFileSink(std::FILE* file) : file_(file) {}
  ~TTraceFileSink() override { std::fclose(file_); }

  void MonitorLines(const std::vector<TMonitorLine>& lines) override {
    for (const TMonitorLine& line : lines) {
      text_ = TraceLine(line);
      text_ += '\n';
      std::fwrite(text_.data(), 1, text_.size(), file_);
    }
    // Each line is in the file as it happens, also when the program is killed.
    std::fflush(file_);
  }

 private:
  std::FILE* file_;
  std::string text_;
};

std::mutex trace_mutex;
// Left to the end of the process: lines may come until the very last close.
TTraceFileSink* trace_sink = nullptr;

}  // namespace

bool StartTraceFile(const std::string& path) {
  std::lock_guard lock(trace_mutex);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  TLinkMonitor& monitor = TLinkMonitor::Instance();
  if (trace_sink) {
    monitor.RemoveSink(trace_sink);
    delete trace_sink;
  }
  trace_sink = new TTraceFileSink(file);
  monitor.AddSink(trace_sink);
  monitor.Attach();
  return true;
}

void StopTraceFile() {
  std::lock_guard lock(trace_mutex);
  if (!trace_sink) return;
  TLinkMonitor::Instance().RemoveSink(trace_sink);
  delete trace_sink;
  trace_sink = nullptr;
}

bool StartTraceFromEnvironment() {
  const char* path = std::getenv("VESTOK_TRACE");
  if (path == nullptr || *path == '\0') return true;
  return StartTraceFile(path);
}

}  // namespace vestok
