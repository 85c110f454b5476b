#include "cli/fleet.h"

#include <memory>

#include "files/safe_file_write.h"
#include "monitor/trace_file.h"

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <thread>

#include "serial/port_name.h"
#include "tables/table_file.h"
#include "text/ascii.h"
#include "text/number_text.h"

namespace vestok::cli {

namespace {

// A line's fields by the table files' own reader; blanks around a field do
// not count, and a quoted field after a blank still loses its quotes.
std::vector<std::string> SplitFields(std::string_view line) {
  std::vector<std::string> fields = TableFileLineValues(line);
  for (std::string& f : fields) {
    f = std::string(TrimBlanks(f));
    if (f.size() >= 2 && f.front() == '"' && f.back() == '"') {
      const std::vector<std::string> inner = TableFileLineValues(f);
      f = inner.empty() ? std::string() : inner.front();
    }
  }
  return fields;
}

}  // namespace

std::string OutputProblem(const TRunSetup& setup) {
  if (setup.Command != TCommand::Download || setup.File == "-" || setup.File.empty()) return {};
  const std::filesystem::path path(setup.File);
  struct stat st{};
  std::string why;
  if (::stat(setup.File.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) why = setup.File + " este un dosar";
  else why = FolderProblem(path.has_parent_path() ? path.parent_path().string() : std::string("."));
  return why.empty() ? why : "fisierul " + setup.File + " nu poate fi salvat: " + why;
}

TRunReport RefuseRun(const TRunSetup& setup, const std::string& text, TOutput& output) {
  TRunReport r;
  r.Register = RegisterName(setup.Settings);
  r.Port = setup.Settings.PortName;
  r.Command = CommandWord(setup.Command);
  r.Status = kExitFileFailed;
  output.Start(r.Register, r.Command, TableName(setup.Table));
  output.Error(r.Register, text);
  output.Summary(r);
  return r;
}

std::vector<TPlanLine> ParsePlan(const std::string& text, const TLinkSettings& base) {
  std::vector<TPlanLine> plan;
  std::size_t from = text.starts_with("\xEF\xBB\xBF") ? 3 : 0;  // a spreadsheet's UTF-8 mark
  int lineNo = 0;
  while (from < text.size()) {
    std::size_t end = text.find('\n', from);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(from, end - from);
    from = end + 1;
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::string trimmed(TrimBlanks(line));
    if (trimmed.empty() || trimmed.starts_with("#")) continue;
    std::vector<std::string> f = SplitFields(trimmed);
    if (plan.empty() && lineNo == 1 && !f.empty() && (f[0] == "port" || f[0] == "Port")) continue;  // a header line
    const std::string where = "Planul, linia " + IntToText(lineNo) + ": ";
    if (f.size() < 4 || f.size() > 6) throw UsageError(where + "se asteapta port,logic,varianta,comanda,tabel,fisier");
    f.resize(6);
    TPlanLine p;
    p.LineNo = lineNo;
    TRunSetup& s = p.Setup;
    s.Settings = base;
    if (f[0].empty()) throw UsageError(where + "lipseste portul");
    s.Settings.PortName = f[0];
    const auto logic = ParseInt32(f[1]);
    if (!logic || *logic < 1 || *logic > 99) throw UsageError(where + "numarul logic trebuie sa fie intre 1 si 99");
    s.Settings.LogicNo = std::uint8_t(*logic);
    const auto variant = VariantFromName(f[2]);
    if (!variant) throw UsageError(where + "varianta trebuie sa fie A sau S");
    s.Variant = *variant;
    const std::string& command = f[3];
    if (command == "fiscal") {
      s.Command = TCommand::Fiscal;
    } else if (command == "download" || command == "upload") {
      s.Command = command == "download" ? TCommand::Download : TCommand::Upload;
      s.Table = TableFromName(f[4]);
      if (s.Table == tkNone) throw UsageError(where + "tabel necunoscut: '" + f[4] + "'");
      if (f[5].empty()) throw UsageError(where + "lipseste fisierul");
      if (f[5] == "-") throw UsageError(where + "planul nu poate folosi '-' ca fisier");
      s.File = f[5];
    } else if (command == "delete-items") {
      s.Command = TCommand::DeleteItems;
      s.Table = tkItems;
      if (!f[4].empty() && f[4] != "items") throw UsageError(where + "delete-items lucreaza doar cu items");
      s.File = f[5];
      if (s.File == "-") throw UsageError(where + "planul nu poate folosi '-' ca fisier");
    } else {
      throw UsageError(where + "comanda necunoscuta: '" + command + "'");
    }
    if (const std::string refusal = VariantRefusal(s.Command, s.Table, s.Variant, false); !refusal.empty())
      throw UsageError(where + refusal);
    plan.push_back(std::move(p));
  }
  if (plan.empty()) throw UsageError("Planul nu are nicio linie");
  return plan;
}

std::vector<TRunReport> RunPlan(const std::vector<TPlanLine>& plan, TOutput& output, TStopSignal& stop) {
  // One group per device: "COM1" and "/dev/ttyS0" are the same line.
  std::map<std::string, std::vector<std::size_t>> byPort;
  for (std::size_t i = 0; i < plan.size(); ++i)
    byPort[DevicePathFromName(plan[i].Setup.Settings.PortName)].push_back(i);
  std::vector<TRunReport> reports(plan.size());
  // Every line whose download could not be saved is refused before any
  // register is asked: what it read would be lost.
  std::vector<bool> refused(plan.size());
  for (std::size_t i = 0; i < plan.size(); ++i) {
    if (const std::string why = OutputProblem(plan[i].Setup); !why.empty()) {
      reports[i] = RefuseRun(plan[i].Setup, "Planul, linia " + IntToText(plan[i].LineNo) + ": " + why +
                                                "; linia nu a fost rulata", output);
      refused[i] = true;
    }
  }
  std::vector<std::thread> threads;
  threads.reserve(byPort.size());
  for (const auto& [port, lines] : byPort) {
    threads.emplace_back([&, port = port, lines = lines] {
      // VESTOK_TRACE: a file of its own for each port, for all its lines.
      std::unique_ptr<TTraceFile> trace;
      if (const auto path = TracePathFromEnvironment())
        trace = std::make_unique<TTraceFile>(TracePathForPort(*path, plan[lines.front()].Setup.Settings.PortName));
      for (const std::size_t i : lines) {
        if (refused[i]) continue;
        if (stop.Stopped()) {
          // Not begun: the line reports the stop, with nothing done.
          TRunReport& r = reports[i];
          r.Register = RegisterName(plan[i].Setup.Settings);
          r.Port = plan[i].Setup.Settings.PortName;
          r.Command = CommandWord(plan[i].Setup.Command);
          r.Status = kExitStopped;
          continue;
        }
        TRunSetup setup = plan[i].Setup;
        setup.Trace = trace.get();
        reports[i] = RunCommand(setup, output, stop);
      }
    });
  }
  for (std::thread& t : threads) t.join();
  return reports;
}

int WorstStatus(const std::vector<TRunReport>& reports) {
  int worst = kExitOk;
  for (const TRunReport& r : reports) worst = std::max(worst, r.Status);
  return worst;
}

}  // namespace vestok::cli
