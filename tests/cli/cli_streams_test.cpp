// vestok-cli's own streams: output nobody can read, and the progress bar on
// a terminal.
#include <pty.h>
#include <sys/ioctl.h>
#include <termios.h>

#include "cli/cli_support.h"

namespace vestok::cli_test {
namespace {

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// A reader that went away (| head -c 10) or a full disk (> /dev/full): the
// run goes on, saves its file and ends with 1; a worse status stays.
TEST_F(CliTest, LostOutputEndsWithOneAndTheDownloadIsStillSaved) {
  EcrSimulator& sim = StartSim({Register(1, 3)});
  const std::string port = sim.SlavePath();
  int pipeFds[2];
  ASSERT_EQ(::pipe2(pipeFds, O_CLOEXEC), 0);
  ::close(pipeFds[0]);  // the reader is gone before the first event
  const int full = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
  ASSERT_GE(full, 0);

  struct Case {
    const char* what;
    TStreams streams;
    bool json;
  };
  for (const Case& c : {Case{"closed pipe", {pipeFds[1], -1, {}}, true}, Case{"full stdout", {full, -1, {}}, true},
                        Case{"full stderr", {-1, full, {}}, false}}) {
    std::filesystem::remove(Path("d.csv"));
    std::vector<std::string> args{"download", "items", Path("d.csv"), "--port", port};
    if (c.json) args.push_back("--json");
    const TCliOutcome r = RunWith(args, c.streams);
    EXPECT_EQ(r.Status, 1) << c.what << ": " << r.Err;
    EXPECT_EQ(Lines(ReadFile(Path("d.csv"))).size(), 4u) << c.what;
    if (c.streams.Err < 0) {
      EXPECT_TRUE(Has(r.Err, "o parte din iesire nu a putut fi scrisa")) << r.Err;
    }
  }
  // A register that does not answer keeps its own status.
  EXPECT_EQ(RunWith({"fiscal", "--port", port, "--logic", "9", "--json"}, {full, -1, {}}).Status, 2);
  ::close(pipeFds[1]);
  ::close(full);
}

// Standard error on a pseudo-terminal 40 columns wide.
class CliTerminalTest : public CliTest {
 protected:
  std::string Drawn(const std::vector<std::string>& args, const std::string& term) {
    int master = -1, slave = -1;
    winsize ws{};
    ws.ws_col = 40;
    ws.ws_row = 24;
    EXPECT_EQ(::openpty(&master, &slave, nullptr, nullptr, &ws), 0);
    termios raw{};
    ::tcgetattr(slave, &raw);
    ::cfmakeraw(&raw);  // the bytes as written, no CR added before LF
    ::tcsetattr(slave, TCSANOW, &raw);
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    std::string got;
    const auto drain = [&] {
      char buf[4096];
      for (ssize_t n; (n = ::read(master, buf, sizeof buf)) > 0;) got.append(buf, std::size_t(n));
    };
    const TCliOutcome r = RunWith(args, {-1, slave, {"TERM=" + term, "COLUMNS=200"}}, [&](pid_t pid) {
      for (;;) {  // until it ends, left for Run to reap
        siginfo_t info{};
        if (::waitid(P_PID, id_t(pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0 || info.si_pid != 0) break;
        drain();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
    });
    drain();
    EXPECT_EQ(r.Status, 0) << got;
    ::close(slave);
    ::close(master);
    return got;
  }
};

TEST_F(CliTerminalTest, TheBarKeepsToTheTerminalsWidthAndDrawsNoEscapesOnADumbOne) {
  EcrSimulator& sim = StartSim({Register(1, 2)});
  const std::vector<std::string> args{"download", "items", Path("d.csv"), "--port", sim.SlavePath(), "--cable", "20"};
  const std::string dumb = Drawn(args, "dumb");
  EXPECT_FALSE(Has(dumb, "\033")) << dumb;
  EXPECT_TRUE(Has(dumb, " 1 articol, ")) << dumb;
  EXPECT_TRUE(Has(dumb, " 2 articole, ")) << dumb;
  // Each drawing of the bar fits the window's 40 columns (the width asked of
  // the terminal beats COLUMNS), with the last one left free.
  std::size_t bars = 0;
  std::string piece;
  for (const char c : dumb + "\n") {
    if (c != '\r' && c != '\n') {
      piece += c;
      continue;
    }
    if (Has(piece, "pe secunda")) {
      ++bars;
      EXPECT_LE(piece.size(), 39u) << piece;
    }
    piece.clear();
  }
  EXPECT_GE(bars, 2u) << dumb;
  // The verdict is a line of its own, on a line the bar left clean.
  EXPECT_TRUE(Has(dumb, "\rDescarcare articole incheiata fara erori\n")) << dumb;

  const std::string xterm = Drawn(args, "xterm");
  EXPECT_TRUE(Has(xterm, "\r\033[K")) << xterm;
}

}  // namespace
}  // namespace vestok::cli_test
