// The memory the line monitor window takes holding its 200,000 lines (the
// most it keeps), filled with frames of the size an upload produces. Prints
// the growth of the process's resident memory over the empty window.
#include <QApplication>
#include <QTableView>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "ecr/frames.h"
#include "ui/line_monitor.h"

using namespace vestok;

namespace {

double RssMb() {
  std::ifstream status("/proc/self/status");
  std::string key;
  while (status >> key) {
    if (key == "VmRSS:") {
      double kb = 0;
      status >> kb;
      return kb / 1024.0;
    }
    std::getline(status, key);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  TfLineMonitor window;
  window.show();
  QApplication::processEvents();
  const double before = RssMb();

  constexpr int kLines = 200000;
  // One more batch than the window keeps, so the ring has turned over.
  for (int done = 0; done < kLines + 20000;) {
    std::vector<TMonitorLine> lines;
    for (int i = 0; i < 1000; ++i, ++done) {
      TMonitorLine line;
      line.TimeMs = done * 1.5;
      line.Register = 1;
      if (done % 2 == 0) {
        const std::string text = "W0;" + std::to_string(done) + ";ARTICOL " + std::to_string(done) + ";1;5941234567890;2.50;0;1;2;";
        line.Direction = TMonitorDirection::ToRegister;
        line.Kind = TMonitorKind::Command;
        line.Text = text + " [umplutura 5+5]";
        line.Bytes = BuildCommandFrame(text);
      } else {
        line.Direction = TMonitorDirection::FromRegister;
        line.Kind = TMonitorKind::Reply;
        line.Text = "<LF>D [octet initial 0A; control dupa octetul initial]";
        line.Bytes = "\n\nD\r\x12\x34";
      }
      line.Check = TMonitorCheck::Ok;
      lines.push_back(std::move(line));
    }
    window.Model()->Append(std::move(lines));
    QApplication::processEvents();
  }
  window.View()->scrollToBottom();
  QApplication::processEvents();
  if (window.Model()->rowCount() != kLines) std::fprintf(stderr, "rows: %d\n", window.Model()->rowCount());
  std::printf("monitor.rss_200k_lines_mb %.1f MB\n", RssMb() - before);
}
