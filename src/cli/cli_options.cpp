#include "cli/cli_options.h"

#include <array>

#include "text/number_text.h"
#include "engine/variant_rules.h"

namespace vestok::cli {

namespace {

constexpr std::array<const char*, kTableCount> kTableNames = {
    "items", "item-sales", "group-sales", "stand-sales", "operators",
    "pay-types", "discounts", "receipt-format", "header", "settings"};

std::int32_t NumberArgument(const std::string& option, const std::string& text) {
  const auto n = ParseInt32(text);
  if (!n) throw UsageError("Valoare incorecta pentru " + option + ": '" + text + "'");
  return *n;
}

std::vector<std::string> SplitList(const std::string& text) {
  std::vector<std::string> parts;
  std::size_t from = 0;
  for (;;) {
    const std::size_t comma = text.find(',', from);
    const std::string part = text.substr(from, comma == std::string::npos ? std::string::npos : comma - from);
    if (!part.empty()) parts.push_back(part);
    if (comma == std::string::npos) break;
    from = comma + 1;
  }
  return parts;
}

TCommand CommandFromName(const std::string& name) {
  if (name == "fiscal") return TCommand::Fiscal;
  if (name == "download") return TCommand::Download;
  if (name == "upload") return TCommand::Upload;
  if (name == "delete-items") return TCommand::DeleteItems;
  if (name == "detect") return TCommand::Detect;
  if (name == "linktest") return TCommand::LinkTest;
  if (name == "fleet") return TCommand::Fleet;
  if (name == "settings") return TCommand::Settings;
  if (name == "backup") return TCommand::Backup;
  if (name == "restore") return TCommand::Restore;
  return TCommand::None;
}

}  // namespace

TableKind TableFromName(const std::string& name) {
  for (std::size_t i = 0; i < kTableNames.size(); ++i)
    if (name == kTableNames[i]) return TableKind(i);
  return tkNone;
}

const char* TableName(TableKind kind) { return kind < kTableCount ? kTableNames[kind] : ""; }

std::optional<int> VariantFromName(const std::string& name) {
  if (name == "A" || name == "a") return 0;
  if (name == "S" || name == "s") return 1;
  return std::nullopt;
}

std::vector<std::int32_t> ParseNumberList(const std::string& text) {
  std::vector<std::int32_t> numbers;
  for (const std::string& part : SplitList(text)) {
    const std::size_t dash = part.find('-', 1);
    if (dash == std::string::npos) {
      numbers.push_back(NumberArgument("--numbers", part));
      continue;
    }
    const std::int32_t from = NumberArgument("--numbers", part.substr(0, dash));
    const std::int32_t to = NumberArgument("--numbers", part.substr(dash + 1));
    if (to < from || std::int64_t(to) - from > 1000000) throw UsageError("Interval incorect in --numbers: '" + part + "'");
    for (std::int64_t n = from; n <= to; ++n) numbers.push_back(std::int32_t(n));
  }
  if (numbers.empty()) throw UsageError("Lista --numbers este goala");
  return numbers;
}

TCliRequest ParseCommandLine(const std::vector<std::string>& args) {
  TCliRequest r;
  std::vector<std::string> positional;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--help" || a == "-h") {
      r.Command = TCommand::Help;
      return r;
    }
    if (a == "--json") {
      r.Json = true;
      continue;
    }
    if (a == "--save" || a == "--check-only" || a == "--changed" || a == "--force") {
      (a == "--save" ? r.Save : a == "--check-only" ? r.CheckOnly : a == "--changed" ? r.Changed : r.Force) = true;
      continue;
    }
    if (!a.starts_with("--")) {
      positional.push_back(a);
      continue;
    }
    std::string option = a, value;
    const std::size_t eq = a.find('=');
    if (eq != std::string::npos) {
      option = a.substr(0, eq);
      value = a.substr(eq + 1);
    } else {
      if (i + 1 >= args.size()) throw UsageError("Lipseste valoarea pentru " + a);
      value = args[++i];
    }
    if (option == "--config") r.ConfigPath = value;
    else if (option == "--port") r.Port = value;
    else if (option == "--speed") r.Speed = NumberArgument(option, value);
    else if (option == "--logic") {
      const std::size_t dash = value.find('-', 1);
      if (dash != std::string::npos) {  // detect: FROM-TO
        r.LogicFrom = NumberArgument(option, value.substr(0, dash));
        r.LogicTo = NumberArgument(option, value.substr(dash + 1));
      } else {
        r.LogicNo = NumberArgument(option, value);
        r.LogicFrom = r.LogicTo = *r.LogicNo;
      }
    } else if (option == "--cable") r.Cable = NumberArgument(option, value);
    else if (option == "--retry-cmd") r.RetryCmd = NumberArgument(option, value);
    else if (option == "--retry-byte") r.RetryByte = NumberArgument(option, value);
    else if (option == "--variant") {
      const auto v = VariantFromName(value);
      if (!v) throw UsageError("Varianta trebuie sa fie A sau S: '" + value + "'");
      r.Variant = *v;
    } else if (option == "--numbers") r.Numbers = ParseNumberList(value);
    else if (option == "--ports") r.Ports = SplitList(value);
    else if (option == "--speeds") {
      for (const std::string& s : SplitList(value)) r.Speeds.push_back(NumberArgument(option, s));
    } else if (option == "--blocks") r.Blocks = NumberArgument(option, value);
    else throw UsageError("Optiune necunoscuta: " + option);
  }
  if (r.LogicNo && (*r.LogicNo < 1 || *r.LogicNo > 99)) throw UsageError("Numarul logic trebuie sa fie intre 1 si 99");
  if (r.LogicFrom < 1 || r.LogicTo > 99 || r.LogicFrom > r.LogicTo)
    throw UsageError("Intervalul --logic trebuie sa fie intre 1 si 99");
  if (r.Speed && *r.Speed <= 0) throw UsageError("Viteza trebuie sa fie pozitiva");
  if (positional.empty()) throw UsageError("Lipseste comanda (vezi --help)");
  r.Command = CommandFromName(positional[0]);
  const std::size_t extra = positional.size() - 1;
  const auto expect = [&](std::size_t least, std::size_t most) {
    if (extra < least || extra > most) throw UsageError("Numar gresit de argumente pentru " + positional[0]);
  };
  switch (r.Command) {
    case TCommand::None:
      throw UsageError("Comanda necunoscuta: " + positional[0]);
    case TCommand::Download:
    case TCommand::Upload:
      expect(2, 2);
      r.Table = TableFromName(positional[1]);
      if (r.Table == tkNone) throw UsageError("Tabel necunoscut: " + positional[1]);
      r.File = positional[2];
      break;
    case TCommand::DeleteItems:
      expect(0, 1);
      r.Table = tkItems;
      if (extra == 1) r.File = positional[1];
      break;
    case TCommand::Fleet:
    case TCommand::Backup:
    case TCommand::Restore:
      expect(1, 1);
      r.File = positional[1];
      break;
    default:
      expect(0, 0);
      break;
  }
  if (r.Numbers && r.Command != TCommand::Download && r.Command != TCommand::Upload)
    throw UsageError("--numbers merge doar cu download si upload");
  if (r.Save && r.Command != TCommand::Settings) throw UsageError("--save merge doar cu settings");
  if ((r.CheckOnly || r.Changed) && r.Command != TCommand::Upload)
    throw UsageError("--check-only si --changed merg doar cu upload");
  if (r.Changed && (r.CheckOnly || r.Numbers)) throw UsageError("--changed nu merge cu --check-only sau --numbers");
  if (r.Force && r.Command != TCommand::Restore) throw UsageError("--force merge doar cu restore");
  return r;
}

void ApplyOverrides(const TCliRequest& request, TLinkSettings& s) {
  if (request.Port) s.PortName = *request.Port;
  if (request.Speed) s.Speed = *request.Speed;
  if (request.LogicNo) s.LogicNo = std::uint8_t(*request.LogicNo);
  if (request.Cable) s.CableTimeout = std::int32_t(std::int64_t(*request.Cable) * CableLenScale);
  if (request.RetryCmd) s.RetryCmd = *request.RetryCmd;
  if (request.RetryByte) s.RetryByte = *request.RetryByte;
}

std::string VariantRefusal(TCommand command, TableKind table, int variant, bool selective) {
  TRuleAction action;
  const char* what;
  switch (command) {
    case TCommand::Download:
      action = selective ? TRuleAction::ImportSel : TRuleAction::ImportAll;
      what = selective ? "descarcarea selectiva" : "descarcarea";
      break;
    case TCommand::Upload:
      action = selective ? TRuleAction::ExportSel : TRuleAction::ExportAll;
      what = selective ? "incarcarea selectiva" : "incarcarea";
      break;
    case TCommand::DeleteItems:
      action = TRuleAction::DeleteAll;
      what = "stergerea";
      break;
    default:
      return {};
  }
  if (RuleEnabled(table, variant, action)) return {};
  return std::string("Varianta ") + (variant == 0 ? "Seria A" : "Standard") + " nu ofera " + what +
         " pentru tabelul " + TableName(table);
}

std::string HelpText() {
  return R"(Folosire: vestok-cli COMANDA [ARGUMENTE] [OPTIUNI]

Comenzi:
  fiscal                              citeste numarul fiscal al casei de marcat
  download TABEL FISIER [--numbers L]  descarca TABEL din casa de marcat in FISIER
  upload TABEL FISIER [--numbers L]    incarca FISIER in casa de marcat (randurile cu erori
                                      sunt lasate deoparte)
      --check-only                    doar verifica randurile, nu trimite nimic
      --changed                       doar randurile modificate fata de ultimul schimb
  delete-items [FISIER]               sterge toate articolele (sau codurile PLU din FISIER)
  detect [--ports L] [--speeds L] [--logic DE-LA]   cauta casele de marcat
  linktest [--blocks N]               testul legaturii; contoarele la sfarsit
  backup DIR                          salveaza toate tabelele casei de marcat in DIR
  restore DIR [--force]               incarca tabelele din DIR (--force: si in alta casa)
  settings [--save]                   afiseaza setarile legaturii (--save: le scrie in configuratie)
  fleet PLAN.csv                      ruleaza planul: port,logic,varianta,comanda,tabel,fisier

TABEL: items, item-sales, group-sales, stand-sales, operators, pay-types,
       discounts, receipt-format, header, settings
L: lista separata prin virgule; numerele pot fi intervale (1,5,10-20)

Optiuni:
  --config FISIER     configuratia (implicit Vestok.ini langa program)
  --port NUME         portul (COM1, /dev/ttyUSB0, ...)
  --speed BPS         viteza
  --logic N           numarul logic al casei de marcat
  --cable N           lungimea cablului (CableLen)
  --retry-cmd N       incercari pe comanda (RetryCmd)
  --retry-byte N      incercari pe octet (RetryByte)
  --variant A|S       Seria A (implicit) sau Standard
  --json              un obiect JSON pe linie pentru fiecare eveniment, pe iesirea standard
  --help              acest text

Cod de iesire:
  0    toate inregistrarile au reusit
  1    unele inregistrari au esuat (sau au fost gasite erori la verificare)
  2    casa de marcat nu a raspuns la citirea numarului fiscal
  3    portul nu poate fi deschis
  4    un fisier tabel nu poate fi citit sau scris
  64   comanda gresita
  130  oprit (Ctrl+C): inregistrarea in lucru a fost terminata, descarcarea salvata
)";
}

}  // namespace vestok::cli
