// vestok-cli: the transfers of the window for scripts, service technicians
// and fleets of registers; no window system needed.
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>

#include "cli/cli_options.h"
#include "cli/cli_output.h"
#include "cli/cli_run.h"
#ifdef VESTOK_HAVE_SHEETS
#include "cli/cli_sheets.h"
#endif
#include "cli/fleet.h"
#include "cli/stop_signal.h"
#include "monitor/trace_file.h"
#include "program_version.h"
#include "serial/net_address.h"
#include "serial/port_name.h"
#include "startup/config_path.h"
#include "text/ascii.h"
#include "text/number_text.h"

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

// The "Port" value the settings file holds for `name` (the rule of
// WriteLinkSettings); none for a name it cannot hold.
std::optional<std::string> PortValue(const std::string& name) {
  if (const int n = PortNumberFromName(name); n >= 1) return IntToText(n);
  if (name.starts_with("/") || IsNetworkPortName(name)) return name;
  if (name.size() > 3 && AsciiIEquals(std::string_view(name).substr(0, 3), "COM"))
    if (const auto n = ParseInt32(std::string_view(name).substr(3))) return IntToText(*n);
  return std::nullopt;
}

// The link settings in effect after the overrides, as the settings file
// holds them (so they can be pasted into it), with the readable forms in
// comment lines; with `save` written into the configuration in use the way
// the port dialogs write them.
int ShowSettings(const TLinkSettings& s, const std::string& config, bool save) {
  if (save && s.Speed % 2400 != 0) {
    std::cerr << "vestok-cli: Viteza " << s.Speed
              << " nu poate fi scrisa in configuratie: Baud tine viteza impartita la 2400\n";
    return kExitUsage;
  }
  std::ostringstream text;
  text << "[Communication]\n";
  if (const auto port = PortValue(s.PortName)) {
    if (*port != s.PortName) text << "; " << s.PortName << "\n";
    text << "Port=" << *port << "\n";
  } else {
    text << "; portul " << s.PortName << " nu poate fi scris in fisier\n";
  }
  text << "; " << s.Speed << " bit/s";
  if (s.Speed % 2400 != 0) text << " (in fisier se pastreaza doar multiplii de 2400)";
  text << "\nBaud=" << s.Speed / 2400 << "\nLogicNo=" << int(s.LogicNo) << "\n; " << s.CableTimeout
       << " ms de asteptare\nCableLen=" << s.CableTimeout / CableLenScale << "\nTestCmd=" << s.TestCmd
       << "\nTestByte=" << s.TestByte << "\nRetryCmd=" << s.RetryCmd << "\nRetryByte=" << s.RetryByte
       << "\nCheckReply=" << s.CheckReply << "\n";
  std::cout << text.str();
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

bool ReadAll(std::istream& in, std::string& text) {
  std::ostringstream s;
  s << in.rdbuf();
  text = s.str();
  return !in.bad();
}

// Output that could not be written (a reader that went away, a full disk):
// the run has done its work and saved its files, but what it said is lost.
bool OutputLost() {
  std::cout.flush();
  std::cerr.flush();
  const bool lost = !std::cout || std::fflush(stdout) != 0 || std::ferror(stdout) != 0;
  const bool errLost = !std::cerr || std::fflush(stderr) != 0 || std::ferror(stderr) != 0;
  if (lost && !errLost) std::cerr << "vestok-cli: o parte din iesire nu a putut fi scrisa\n";
  return lost || errLost;
}

int Run(int argc, char** argv, TStopSignal& stop) {
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
  if (request.Command == TCommand::Version) {
    std::cout << "vestok-cli " << kProgramVersion << "\n";
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

  const bool bar = ::isatty(STDERR_FILENO) == 1 && request.Command != TCommand::Fleet;
  TOutput output(request.Json, bar, std::cout, std::cerr);
  output.SetTerminal(ErrorTerminal());

  if (request.Command == TCommand::Fleet) {
    std::string text;
    if (request.File == "-" ? !ReadAll(std::cin, text) : !ReadWholeFile(request.File, text)) {
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
  setup.VariantGiven = request.VariantGiven;
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
  // A download whose file could not be saved is not started: what it read would be lost.
  if (std::string why = OutputProblem(setup); !why.empty()) {
    why[0] = AsciiUpper(why[0]);
    return RefuseRun(setup, why + "; nu s-a cerut nimic casei de marcat", output).Status;
  }
  // VESTOK_TRACE: every line of the link into that file, as in vestok.
  std::unique_ptr<TTraceFile> trace;
  if (const auto path = TracePathFromEnvironment()) trace = std::make_unique<TTraceFile>(*path);
  setup.Trace = trace.get();
  return RunCommand(setup, output, stop).Status;
}

}  // namespace

int main(int argc, char** argv) {
#ifdef VESTOK_HAVE_SHEETS
  if (argc > 1 && IsSheetCommand(argv[1])) return RunSheetCommand(argc - 1, argv + 1);
#endif
  // A reader that goes away (| head) must not end the run before it saves
  // its files: the write fails instead, and the status says so.
#ifdef SIGPIPE
  std::signal(SIGPIPE, SIG_IGN);
#endif
  static TStopSignal stop;
  WatchStopSignals(stop);
  BinaryStandardStreams();
  const int status = Run(argc, argv, stop);
  return OutputLost() && status == kExitOk ? kExitRecordErrors : status;
}
