#pragma once
// The real ser2net on 127.0.0.1 in front of the simulator's pseudo-terminal,
// raw or Telnet with COM-PORT-CONTROL, on a free port, with a configuration
// written for the test; stopped when the test ends.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

extern char** environ;

namespace vestok::test {

enum class NetMode { Raw, Rfc2217 };

inline std::string Ser2netPath() {
  for (const char* p : {"/usr/sbin/ser2net", "/usr/bin/ser2net", "/usr/local/sbin/ser2net", "/usr/local/bin/ser2net"})
    if (access(p, X_OK) == 0) return p;
  return {};
}

// A TCP port on 127.0.0.1 that nobody listens on at the moment.
inline int FreeTcpPort() {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  int port = 0;
  if (bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
      getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) == 0)
    port = ntohs(a.sin_port);
  close(fd);
  return port;
}

inline bool Accepts(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(static_cast<std::uint16_t>(port));
  const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
  close(fd);
  return ok;
}

class Ser2net {
 public:
  ~Ser2net() { Stop(); }

  // Starts ser2net for `device`; false with the reason in `why`.
  bool Start(NetMode mode, const std::string& device, std::string& why) {
    const std::string exe = Ser2netPath();
    if (exe.empty()) {
      why = "ser2net is not installed";
      return false;
    }
    char tmpl[] = "/tmp/vestok-ser2net.XXXXXX";
    if (!mkdtemp(tmpl)) {
      why = "no temporary folder";
      return false;
    }
    dir_ = tmpl;
    port_ = FreeTcpPort();
    mode_ = mode;
    const std::string accepter = std::string(mode == NetMode::Raw ? "" : "telnet(rfc2217),") + "tcp,127.0.0.1," +
                                 std::to_string(port_);
    {
      std::ofstream yaml(dir_ + "/ser2net.yaml");
      yaml << "connection: &line\n"
           << "  accepter: " << accepter << "\n"
           << "  enable: on\n"
           << "  connector: serialdev," << device << ",9600n81,local\n"
           << "  options:\n"
           << "    kickolduser: true\n"
           << "    chardelay: false\n";
    }
    const std::string config = dir_ + "/ser2net.yaml", pid = dir_ + "/ser2net.pid", log = dir_ + "/ser2net.log";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    const char* argv[] = {exe.c_str(), "-n", "-d", "-u", "-c", config.c_str(), "-P", pid.c_str(), nullptr};
    const int rc = posix_spawn(&pid_, exe.c_str(), &actions, nullptr, const_cast<char**>(argv), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
      pid_ = -1;
      why = "ser2net did not start";
      return false;
    }
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!Accepts(port_)) {
      if (std::chrono::steady_clock::now() > until || waitpid(pid_, nullptr, WNOHANG) == pid_) {
        why = "ser2net does not listen on port " + std::to_string(port_);
        return false;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
  }

  // Ends the server as an administrator would; its connections close.
  void Stop() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(3);
      while (waitpid(pid_, nullptr, WNOHANG) == 0) {
        if (std::chrono::steady_clock::now() > until) {
          kill(pid_, SIGKILL);
          waitpid(pid_, nullptr, 0);
          break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
      }
      pid_ = -1;
    }
    if (!dir_.empty()) {
      std::error_code ec;
      std::filesystem::remove_all(dir_, ec);
      dir_.clear();
    }
  }

  std::string PortName() const {
    return std::string(mode_ == NetMode::Raw ? "tcp" : "rfc2217") + "://127.0.0.1:" + std::to_string(port_);
  }
  int Port() const { return port_; }

 private:
  pid_t pid_ = -1;
  int port_ = 0;
  NetMode mode_ = NetMode::Raw;
  std::string dir_;
};

}  // namespace vestok::test
