// The ecrsim command refuses options it cannot honour: a clear line on the
// error output that names the option, and a non-zero exit, before any line
// is opened.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>

namespace {

struct Outcome {
  int status = -1;
  std::string output;
};

Outcome RunEcrsim(const std::string& args) {
  // The time-out only matters when an option is wrongly accepted: the
  // simulator would then answer until it is killed.
  const std::string command = "timeout 5 '" ECRSIM_PATH "' " + args + " --quiet 2>&1 </dev/null";
  Outcome out;
  FILE* p = popen(command.c_str(), "r");
  if (!p) return out;
  std::array<char, 512> buf{};
  while (fgets(buf.data(), int(buf.size()), p)) out.output += buf.data();
  const int raw = pclose(p);
  out.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  return out;
}

TEST(EcrsimOptions, ValuesOutOfRangeAndUnknownOptionsAreRefusedByName) {
  const struct {
    const char* args;
    const char* named;
  } cases[] = {
      {"--bogus", "--bogus"},
      {"--baud", "--baud"},
      {"--baud abc", "--baud"},
      {"--baud -5", "--baud"},
      {"--device-speed 0", "--device-speed"},
      {"--line-speed -1", "--line-speed"},
      {"--lead-byte 123", "--lead-byte"},
      {"--lead-byte ZZ", "--lead-byte"},
      {"--register 256", "--register"},
      {"--register -1", "--register"},
      {"--register 1 --register 1", "logical number 1"},
      {"--ack-on 0", "--ack-on"},
      {"--answer-selection-on -1", "--answer-selection-on"},
      {"--cut-reply -7", "--cut-reply"},
      {"--reply-delay -1", "--reply-delay"},
      {"--byte-gap -1", "--byte-gap"},
      {"--variant Q", "--variant"},
      {"--end-reply X", "--end-reply"},
      {"--unacked maybe", "--unacked"},
      {"--refuse-record x", "--refuse-record"},
      {"--unanswered-record", "--unanswered-record"},
      {"--decimal ab", "--decimal"},
      {"--load /nonexistent/folder", "/nonexistent/folder"},
  };
  for (const auto& c : cases) {
    const Outcome out = RunEcrsim(c.args);
    EXPECT_EQ(out.status, 2) << c.args << ": " << out.output;
    EXPECT_EQ(out.output.rfind("ecrsim: ", 0), 0u) << c.args << ": " << out.output;
    EXPECT_NE(out.output.find(c.named), std::string::npos) << c.args << ": " << out.output;
  }
}

TEST(EcrsimOptions, ALineThatCannotBeOpenedExitsWithOne) {
  for (const char* args : {"--device /nonexistent/tty", "--device /dev/null", "--link /nonexistent/dir/tty"}) {
    const Outcome out = RunEcrsim(args);
    EXPECT_EQ(out.status, 1) << args << ": " << out.output;
    EXPECT_EQ(out.output.rfind("ecrsim: ", 0), 0u) << args << ": " << out.output;
  }
}

}  // namespace
