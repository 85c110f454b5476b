// Timing of the serial layer over a pseudo-terminal:
//   serial.frame_roundtrip_us  CPU time of SendBytes + 64 ReceiveByte calls for
//                              a 64-byte frame sent and echoed back, per frame
//   serial.idle_wait_cpu_ms    CPU time of a 1-second WaitReadable with nothing
//                              arriving
#include <poll.h>
#include <pty.h>
#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <ctime>
#include <string>

#include "serial/block_serial.h"

namespace {

double CpuSeconds(clockid_t clock) {
  timespec ts{};
  clock_gettime(clock, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) * 1e-9;
}

void PrintFigure(const char* name, double value, const char* unit) {
  char text[64];
  auto [end, ec] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 3);
  if (ec != std::errc()) return;
  std::printf("%s %.*s %s\n", name, static_cast<int>(end - text), text, unit);
}

// The far end: reads a whole frame from the master side and sends it back.
bool Echo(int master, std::size_t size) {
  std::string got;
  while (got.size() < size) {
    pollfd p{master, POLLIN, 0};
    if (poll(&p, 1, 1000) <= 0) return false;
    char buf[256];
    const ssize_t r = read(master, buf, size - got.size());
    if (r <= 0) return false;
    got.append(buf, static_cast<std::size_t>(r));
  }
  return write(master, got.data(), got.size()) == static_cast<ssize_t>(got.size());
}

}  // namespace

int main() {
  int master = -1, slave = -1;
  char name[128] = {};
  if (openpty(&master, &slave, name, nullptr, nullptr) != 0) return 1;
  vestok::TBlockSerial port;
  port.OpenPort(name);
  port.ReadLineSettings();
  port.LineSettings.Speed = 115200;
  port.WriteLineSettings();
  if (port.LastErrorCode != 0) return 1;

  std::string frame(64, '\xff');
  for (int i = 5; i < 64; ++i) frame[i] = static_cast<char>('A' + i % 26);

  constexpr int kFrames = 2000;
  double measured = 0;
  for (int n = 0; n < kFrames; ++n) {
    double start = CpuSeconds(CLOCK_THREAD_CPUTIME_ID);
    port.SendBytes(frame);
    measured += CpuSeconds(CLOCK_THREAD_CPUTIME_ID) - start;
    if (!Echo(master, frame.size())) return 1;
    start = CpuSeconds(CLOCK_THREAD_CPUTIME_ID);
    for (std::size_t i = 0; i < frame.size(); ++i) port.ReceiveByte(1000);
    measured += CpuSeconds(CLOCK_THREAD_CPUTIME_ID) - start;
    if (port.LastErrorCode != 0) return 1;
  }
  PrintFigure("serial.frame_roundtrip_us", measured / kFrames * 1e6, "us");

  const double start = CpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
  port.WaitReadable(1000);
  PrintFigure("serial.idle_wait_cpu_ms", (CpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - start) * 1e3, "ms");

  port.ClosePort();
  close(master);
  close(slave);
  return 0;
}
