#include "serial/serial_ports.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <string_view>

#include "serial/net_address.h"
#include "serial/port_name.h"
#include "text/ascii.h"

namespace vestok {
namespace {

bool Exists(const std::string& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0;
}

// A serial-core port whose driver found no UART at its address (the 16550
// entries that the kernel sets up for ttyS0 to ttyS31 whether or not a chip
// is there) shows port type 0, "unknown".
bool HasNoUart(const std::string& ttyDir) {
  std::ifstream in(ttyDir + "/type");
  if (!in) return false;
  std::string text;
  std::getline(in, text);
  return TrimBlanks(text) == "0";
}

// "ttyS" m is "COM" (m + 1); every other device goes by its path.
std::string PortNameForTty(const std::string& tty) {
  const int n = PortNumberFromName("/dev/" + tty);
  if (n >= 1 && tty.rfind("ttyS", 0) == 0) return "COM" + std::to_string(n);
  return "/dev/" + tty;
}

bool NamesSamePort(const std::string& a, const std::string& b) {
  if (a == b) return true;
  const int n = PortNumberFromName(a);
  return n >= 1 && n == PortNumberFromName(b);
}

void AddEnvironmentPorts(std::vector<std::string>& list) {
  const char* env = std::getenv("VESTOK_PORTS");
  if (env == nullptr) return;
  std::string_view rest(env);
  while (!rest.empty()) {
    // A network port name holds colons of its own; the ":" after it parts it
    // from the next name.
    const std::size_t colon = rest.find(':', NetPortNameLength(rest));
    const std::string path(rest.substr(0, colon));
    rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
    if (path.empty()) continue;
    bool known = false;
    for (const std::string& entry : list) known = known || NamesSamePort(entry, path);
    if (!known) list.push_back(path);
  }
}

}  // namespace

void ListSerialPorts(std::vector<std::string>& list) { ListSerialPorts(list, "/sys/class/tty"); }

void ListSerialPorts(std::vector<std::string>& list, const std::string& ttyClassDir) {
  if (DIR* dir = opendir(ttyClassDir.c_str())) {
    list.clear();
    while (const dirent* entry = readdir(dir)) {
      const std::string name = entry->d_name;
      if (name == "." || name == "..") continue;
      const std::string ttyDir = ttyClassDir + "/" + name;
      // Virtual terminals (consoles, pseudo-terminals) have no device behind them.
      if (!Exists(ttyDir + "/device")) continue;
      if (HasNoUart(ttyDir)) continue;
      list.push_back(PortNameForTty(name));
    }
    closedir(dir);
  }
  AddEnvironmentPorts(list);
}

}  // namespace vestok
