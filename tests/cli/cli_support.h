#pragma once
// vestok-cli run as a program against simulated registers on pseudo-terminals.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "sim/ecr_simulator.h"

extern char** environ;

namespace vestok::cli_test {

struct TCliOutcome {
  int Status = -1;
  std::string Out, Err;
};

inline std::string ReadFile(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

inline void WriteFile(const std::filesystem::path& p, const std::string& text) {
  std::ofstream(p, std::ios::binary) << text;
}

inline const std::string kItemsHead =
    "\"PLUCode\",\"ItemName\",\"VAT\",\"Barcode\",\"Price\",\"PriceType\",\"Stand\",\"Group\",\"Dummy\",\r\n";

inline std::string ItemRow(int plu, const std::string& name, const std::string& price) {
  return "\"" + std::to_string(plu) + "\",\"" + name + "\",\"1\",\"\",\"" + price + "\",\"0\",\"1\",\"1\",,\r\n";
}

class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("vestok-cli-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    // Short time-outs: a silent register is given up quickly.
    WriteFile(Path("test.ini"), "[Communication]\nCableLen=3\nRetryCmd=2\nRetryByte=3\n");
  }
  void TearDown() override {
    sims_.clear();
    std::filesystem::remove_all(dir_);
  }

  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  EcrSimulator& StartSim(std::vector<TSimRegister> registers = {}, int paceBaud = 0) {
    TSimOptions o;
    o.Registers = std::move(registers);
    o.PaceBaud = paceBaud;
    o.KeepTrace = false;
    sims_.push_back(std::make_unique<EcrSimulator>(std::move(o)));
    std::string error;
    EXPECT_TRUE(sims_.back()->Start(&error)) << error;
    return *sims_.back();
  }

  static TSimRegister Register(int logicNo, int items = 0) {
    TSimRegister r;
    r.LogicNo = logicNo;
    r.FiscalNumber = "RO" + std::to_string(1000 + logicNo);
    for (int i = 1; i <= items; ++i)
      r.Memory.Put(SimTable::Items, {std::to_string(i), "Item " + std::to_string(i), "1", "", "1.50", "0", "1", "1"});
    return r;
  }

  // Where the program's standard output and error go instead of the files
  // stdout.txt and stderr.txt (a descriptor of the test's: a pipe, a pty,
  // /dev/full), and variables set in its environment ("TERM=dumb").
  struct TStreams {
    int Out = -1, Err = -1;
    std::vector<std::string> Env;
  };

  // Runs vestok-cli with the test's configuration; `during` (if given) runs
  // once the program has started, with its process id.
  TCliOutcome Run(std::vector<std::string> args, const std::function<void(pid_t)>& during = {}) {
    return RunWith(std::move(args), TStreams{}, during);
  }

  TCliOutcome RunWith(std::vector<std::string> args, const TStreams& streams,
                      const std::function<void(pid_t)>& during = {}) {
    args.insert(args.begin(), {VESTOK_CLI_PATH, "--config", Path("test.ini")});
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> env = streams.Env;
    for (char** e = environ; *e; ++e) {
      const std::string_view var(*e);
      bool replaced = false;
      for (const std::string& mine : streams.Env) replaced |= var.starts_with(mine.substr(0, mine.find('=') + 1));
      if (!replaced) env.emplace_back(var);
    }
    std::vector<char*> envp;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    const std::string out = Path("stdout.txt"), err = Path("stderr.txt");
    std::filesystem::remove(out);  // a stream sent elsewhere reads as empty
    std::filesystem::remove(err);
    posix_spawn_file_actions_t fa;
    posix_spawn_file_actions_init(&fa);
    posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
    if (streams.Out >= 0) posix_spawn_file_actions_adddup2(&fa, streams.Out, 1);
    else posix_spawn_file_actions_addopen(&fa, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (streams.Err >= 0) posix_spawn_file_actions_adddup2(&fa, streams.Err, 2);
    else posix_spawn_file_actions_addopen(&fa, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = 0;
    TCliOutcome outcome;
    const int spawned = posix_spawn(&pid, VESTOK_CLI_PATH, &fa, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&fa);
    if (spawned != 0) return outcome;
    if (during) during(pid);
    int raw = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (::waitpid(pid, &raw, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > deadline) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &raw, 0);
        break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    outcome.Status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    outcome.Out = ReadFile(out);
    outcome.Err = ReadFile(err);
    return outcome;
  }

  static std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    return lines;
  }

  // True when `line` is one well-formed JSON object (strings, numbers,
  // nesting balanced), which is all the events use.
  static bool IsJsonObject(const std::string& line) {
    if (line.size() < 2 || line.front() != '{' || line.back() != '}') return false;
    int depth = 0;
    bool inString = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
      const char c = line[i];
      if (inString) {
        if (c == '\\') ++i;
        else if (c == '"') inString = false;
        else if (static_cast<unsigned char>(c) < 0x20) return false;
        continue;
      }
      if (c == '"') inString = true;
      else if (c == '{') ++depth;
      else if (c == '}' && --depth < 0) return false;
    }
    return depth == 0 && !inString;
  }

  std::filesystem::path dir_;
  std::vector<std::unique_ptr<EcrSimulator>> sims_;
};

}  // namespace vestok::cli_test
