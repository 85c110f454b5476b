#include "cli/fleet.h"

#include <algorithm>
#include <map>
#include <thread>

#include "serial/port_name.h"
#include "text/ascii.h"
#include "text/number_text.h"

namespace vestok::cli {

namespace {

std::vector<std::string> SplitFields(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t from = 0;
  for (;;) {
    const std::size_t comma = line.find(',', from);
    std::string f = line.substr(from, comma == std::string::npos ? std::string::npos : comma - from);
    f = std::string(TrimBlanks(f));
    if (f.size() >= 2 && f.front() == '"' && f.back() == '"') f = f.substr(1, f.size() - 2);
    fields.push_back(f);
    if (comma == std::string::npos) break;
    from = comma + 1;
  }
  return fields;
}

}  // namespace

std::vector<TPlanLine> ParsePlan(const std::string& text, const TLinkSettings& base) {
  std::vector<TPlanLine> plan;
  std::size_t from = 0;
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
      s.File = f[5];
    } else if (command == "delete-items") {
      s.Command = TCommand::DeleteItems;
      s.Table = tkItems;
      if (!f[4].empty() && f[4] != "items") throw UsageError(where + "delete-items lucreaza doar cu items");
      s.File = f[5];
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
  std::vector<std::thread> threads;
  threads.reserve(byPort.size());
  for (const auto& [port, lines] : byPort) {
    threads.emplace_back([&, lines = lines] {
      for (const std::size_t i : lines) {
        if (stop.Stopped()) {
          // Not begun: the line reports the stop, with nothing done.
          TRunReport& r = reports[i];
          r.Register = RegisterName(plan[i].Setup.Settings);
          r.Port = plan[i].Setup.Settings.PortName;
          r.Command = plan[i].Setup.Command == TCommand::Fiscal ? "fiscal" : plan[i].Setup.Command == TCommand::Download ? "download" : plan[i].Setup.Command == TCommand::Upload ? "upload" : "delete-items";
          r.Status = kExitStopped;
          continue;
        }
        reports[i] = RunCommand(plan[i].Setup, output, stop);
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
