// vestok-cli: the transfers of the window for scripts, service technicians
// and fleets of registers; no window system needed.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>

#include "cli/cli_options.h"
#include "cli/cli_output.h"
#include "cli/cli_run.h"
#include "cli/fleet.h"
#include "cli/stop_signal.h"
#include "startup/config_path.h"

using namespace vestok;
using namespace vestok::cli;

namespace {

bool ReadWholeFile(const std::string& path, std::string& text) {
  struct stat st{};
  if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  text = s.str();
  return !in.bad();
}

// The link settings in effect after the overrides; with `save` written into
// the configuration in use the way the port dialogs write them.
int ShowSettings(const TLinkSettings& s, const std::string& config, bool save) {
  std::cout << "Port=" << s.PortName << "\nBaud=" << s.Speed << "\nLogicNo=" << int(s.LogicNo)
            << "\nCableLen=" << s.CableTimeout / CableLenScale << "\nRetryCmd=" << s.RetryCmd
            << "\nRetryByte=" << s.RetryByte << "\nCheckReply=" << s.CheckReply << "\n";
  if (!save) return kExitOk;
  try {
    WriteLinkSettings(s, config);
  } catch (const ConfigWriteError& e) {
    std::cerr << "vestok-cli: " << e.what() << "\n";
    return kExitFileFailed;
  }
  std::cerr << "Setarile au fost salvate in " << config << "\n";
  return kExitOk;
}

int Usage(const std::string& message) {
  std::cerr << "vestok-cli: " << message << "\n" << "Incercati 'vestok-cli --help'.\n";
  return kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
  static TStopSignal stop;
  WatchStopSignals(stop);
  BinaryStandardStreams();

  TCliRequest request;
  try {
    request = ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  } catch (const UsageError& e) {
    return Usage(e.what());
  }
  if (request.Command == TCommand::Help) {
    std::cout << HelpText();
    return kExitOk;
  }

  TLinkSettings settings;
  const std::string config = request.ConfigPath.empty() ? ConfigFilePath() : request.ConfigPath;
  if (!request.ConfigPath.empty() && !(request.Command == TCommand::Settings && request.Save)) {
    struct stat st{};
    if (::stat(config.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
      return Usage("Fisierul de configurare nu exista: " + config);
  }
  ReadLinkSettings(settings, config);
  ApplyOverrides(request, settings);

  if (request.Command == TCommand::Settings) return ShowSettings(settings, config, request.Save);

  const bool tty = ::isatty(STDERR_FILENO) == 1;
  TOutput output(request.Json, tty && request.Command != TCommand::Fleet, std::cout, std::cerr);

  if (request.Command == TCommand::Fleet) {
    std::string text;
    if (!ReadWholeFile(request.File, text)) {
      std::cerr << "vestok-cli: Nu se poate citi planul " << request.File << "\n";
      return kExitFileFailed;
    }
    std::vector<TPlanLine> plan;
    try {
      plan = ParsePlan(text, settings);
    } catch (const UsageError& e) {
      return Usage(e.what());
    }
    output.PrefixLines(true);
    const std::vector<TRunReport> reports = RunPlan(plan, output, stop);
    const int status = WorstStatus(reports);
    output.SummaryTable(reports, status);
    return status;
  }

  if (const std::string refusal = VariantRefusal(request.Command, request.Table, request.Variant,
                                                 request.Numbers.has_value());
      !refusal.empty())
    return Usage(refusal);

  TRunSetup setup;
  setup.Command = request.Command;
  setup.Table = request.Table;
  setup.Variant = request.Variant;
  setup.File = request.File;
  setup.Numbers = request.Numbers;
  setup.Settings = settings;
  setup.Ports = request.Ports;
  setup.Speeds = request.Speeds;
  setup.LogicFrom = request.LogicFrom;
  setup.LogicTo = request.LogicTo;
  setup.Blocks = request.Blocks;
  setup.CheckOnly = request.CheckOnly;
  setup.Changed = request.Changed;
  setup.Force = request.Force;
  return RunCommand(setup, output, stop).Status;
}
