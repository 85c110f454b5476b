#include "cli/cli_options.h"

#include <getopt.h>

#include <array>
#include <string_view>

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

const char* CommandWord(TCommand c) {
  switch (c) {
    case TCommand::Fiscal: return "fiscal";
    case TCommand::Download: return "download";
    case TCommand::Upload: return "upload";
    case TCommand::DeleteItems: return "delete-items";
    case TCommand::Detect: return "detect";
    case TCommand::LinkTest: return "linktest";
    case TCommand::Backup: return "backup";
    case TCommand::Restore: return "restore";
    default: return "";
  }
}

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

namespace {

// Options without a letter of their own.
enum : int {
  kOptSave = 256, kOptCheckOnly, kOptChanged, kOptForce, kOptCable, kOptRetryCmd, kOptRetryByte, kOptVariant,
  kOptPorts, kOptSpeeds, kOptBlocks
};

constexpr option kLongOptions[] = {
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, 'V'},
    {"json", no_argument, nullptr, 'j'},
    {"config", required_argument, nullptr, 'c'},
    {"port", required_argument, nullptr, 'p'},
    {"speed", required_argument, nullptr, 's'},
    {"logic", required_argument, nullptr, 'l'},
    {"numbers", required_argument, nullptr, 'n'},
    {"save", no_argument, nullptr, kOptSave},
    {"check-only", no_argument, nullptr, kOptCheckOnly},
    {"changed", no_argument, nullptr, kOptChanged},
    {"force", no_argument, nullptr, kOptForce},
    {"cable", required_argument, nullptr, kOptCable},
    {"retry-cmd", required_argument, nullptr, kOptRetryCmd},
    {"retry-byte", required_argument, nullptr, kOptRetryByte},
    {"variant", required_argument, nullptr, kOptVariant},
    {"ports", required_argument, nullptr, kOptPorts},
    {"speeds", required_argument, nullptr, kOptSpeeds},
    {"blocks", required_argument, nullptr, kOptBlocks},
    {nullptr, 0, nullptr, 0}};

// "-": the other arguments are handed back in their order (whatever
// POSIXLY_CORRECT says), ":": a missing value is told apart from an unknown
// option, and getopt itself prints nothing.
constexpr char kShortOptions[] = "-:hVjc:p:s:l:n:";

// The option of `val` as the user wrote it: "--port" or "-p".
std::string OptionName(int val, const char* written) {
  const bool longForm = written && std::string_view(written).starts_with("--");
  if (!longForm && val < 256) return std::string("-") + char(val);
  for (const option& o : kLongOptions)
    if (o.name && o.val == val) return std::string("--") + o.name;
  return written ? written : "?";
}

// A value taken from the next argument that is itself an option ("--json",
// "-j"): the user left the value out. "-" and negative numbers are values.
bool LooksLikeOption(const char* text) {
  return text[0] == '-' && text[1] != '\0' && !(text[1] >= '0' && text[1] <= '9');
}

std::string UnknownOption(int argc, char** argv, int optopt) {
  const std::string_view arg = optind - 1 < argc ? argv[optind - 1] : "";
  if (!arg.starts_with("--")) return "Optiune necunoscuta: -" + std::string(1, char(optopt));
  const std::size_t eq = arg.find('=');
  const std::string name(arg.substr(0, eq));
  if (eq != std::string_view::npos) {
    // The option meant: the one of that name, or the only one it begins.
    const option* meant = nullptr;
    int begun = 0;
    for (const option& o : kLongOptions) {
      if (!o.name || !std::string_view(o.name).starts_with(name.substr(2))) continue;
      if (name.substr(2) == o.name) {
        meant = &o;
        begun = 1;
        break;
      }
      meant = &o;
      ++begun;
    }
    if (begun == 1 && meant->has_arg == no_argument)
      return "Optiunea --" + std::string(meant->name) + " nu primeste o valoare";
  }
  return "Optiune necunoscuta: " + name;
}

}  // namespace

TCliRequest ParseCommandLine(const std::vector<std::string>& args) {
  TCliRequest r;
  std::vector<std::string> positional;
  // getopt wants writable C strings and a program name in front.
  std::vector<std::string> words;
  words.reserve(args.size() + 1);
  words.push_back("vestok-cli");
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  const int argc = int(words.size());
  opterr = 0;
  optind = 0;  // a new scan (glibc and mingw-w64 both start over at 0)
  for (;;) {
    const int c = getopt_long(argc, argv.data(), kShortOptions, kLongOptions, nullptr);
    if (c == -1) break;
    if (c == 1) {
      positional.emplace_back(optarg);
      continue;
    }
    if (c == ':') throw UsageError("Lipseste valoarea pentru " + OptionName(optopt, argv[optind - 1]));
    if (c == '?') throw UsageError(UnknownOption(argc, argv.data(), optopt));
    if (c == 'h') {
      r.Command = TCommand::Help;
      return r;
    }
    if (c == 'V') {
      r.Command = TCommand::Version;
      return r;
    }
    // A value given as the next argument is that argument itself; an
    // option there means the value was left out, and so does "--port=".
    if (optarg && optarg == argv[optind - 1] && LooksLikeOption(optarg))
      throw UsageError("Lipseste valoarea pentru " + OptionName(c, argv[optind - 2]));
    if (optarg && *optarg == '\0') throw UsageError("Lipseste valoarea pentru " + OptionName(c, argv[optind - 1]));
    const std::string option = OptionName(c, "--");
    const std::string value = optarg ? optarg : "";
    switch (c) {
      case 'j': r.Json = true; break;
      case kOptSave: r.Save = true; break;
      case kOptCheckOnly: r.CheckOnly = true; break;
      case kOptChanged: r.Changed = true; break;
      case kOptForce: r.Force = true; break;
      case 'c': r.ConfigPath = value; break;
      case 'p': r.Port = value; break;
      case 's': r.Speed = NumberArgument(option, value); break;
      case 'l': {
        const std::size_t dash = value.find('-', 1);
        if (dash != std::string::npos) {  // detect: FROM-TO
          r.LogicFrom = NumberArgument(option, value.substr(0, dash));
          r.LogicTo = NumberArgument(option, value.substr(dash + 1));
        } else {
          r.LogicNo = NumberArgument(option, value);
          r.LogicFrom = r.LogicTo = *r.LogicNo;
        }
        break;
      }
      case kOptCable: r.Cable = NumberArgument(option, value); break;
      case kOptRetryCmd: r.RetryCmd = NumberArgument(option, value); break;
      case kOptRetryByte: r.RetryByte = NumberArgument(option, value); break;
      case kOptVariant: {
        const auto v = VariantFromName(value);
        if (!v) throw UsageError("Varianta trebuie sa fie A sau S: '" + value + "'");
        r.Variant = *v;
        r.VariantGiven = true;
        break;
      }
      case 'n': r.Numbers = ParseNumberList(value); break;
      case kOptPorts: r.Ports = SplitList(value); break;
      case kOptSpeeds:
        for (const std::string& s : SplitList(value)) r.Speeds.push_back(NumberArgument(option, s));
        break;
      case kOptBlocks: r.Blocks = NumberArgument(option, value); break;
      default: throw UsageError("Optiune necunoscuta");
    }
  }
  // After "--" every argument is a command word or a file name.
  for (int i = optind; i < argc; ++i) positional.emplace_back(argv[std::size_t(i)]);
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
  // "-" is the standard output of a download and the standard input of an
  // upload or a plan; the events of --json would mix with the table.
  if (r.File == "-" && r.Command == TCommand::Download && r.Json)
    throw UsageError("--json nu merge cu '-' (tabelul se scrie pe iesirea standard)");
  if (r.File == "-" && (r.Command == TCommand::Backup || r.Command == TCommand::Restore))
    throw UsageError(positional[0] + " lucreaza cu un dosar, nu cu '-' (./- pentru un dosar cu acest nume)");
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
)"
#ifdef VESTOK_HAVE_SHEETS
         R"(  import TABEL SURSA IESIRE.csv       o foaie de calcul (.xlsx, .ods, .csv) intr-un fisier tabel
                                      (vestok-cli import --help: optiunile lui)
  export TABEL FISIER.csv IESIRE.xlsx  un fisier tabel intr-un registru .xlsx
)"
#else
         R"(  (import si export lipsesc din aceasta versiune: bibliotecile foilor de calcul nu sunt incluse)
)"
#endif
         R"(
TABEL: items, item-sales, group-sales, stand-sales, operators, pay-types,
       discounts, receipt-format, header, settings
L: lista separata prin virgule; numerele pot fi intervale (1,5,10-20)

Optiuni (oriunde pe linie; --optiune=valoare merge si ea):
  -c, --config FISIER  configuratia (implicit Vestok.ini langa program)
  -p, --port NUME      portul (COM1, /dev/ttyUSB0, ...)
  -s, --speed BPS      viteza
  -l, --logic N        numarul logic al casei de marcat
  -n, --numbers L      doar inregistrarile cu aceste numere
      --cable N        lungimea cablului (CableLen)
      --retry-cmd N    incercari pe comanda (RetryCmd)
      --retry-byte N   incercari pe octet (RetryByte)
      --variant A|S    Seria A (implicit) sau Standard
  -j, --json           un obiect JSON pe linie pentru fiecare eveniment, pe iesirea standard
  -h, --help           acest text
  -V, --version        versiunea programului
  --                   sfarsitul optiunilor: ce urmeaza sunt comenzi si fisiere

FISIER '-': download scrie tabelul pe iesirea standard (fara --json), upload,
delete-items si fleet citesc de pe intrarea standard.

Cod de iesire:
  0    toate inregistrarile au reusit
  1    unele inregistrari au esuat (sau au fost gasite erori la verificare),
       sau iesirea nu a putut fi scrisa, daca nu se aplica un cod mai mare
  2    casa de marcat nu a raspuns la citirea numarului fiscal
  3    portul nu poate fi deschis
  4    un fisier tabel nu poate fi citit sau scris
  64   comanda gresita
  130  oprit (Ctrl+C, SIGTERM): inregistrarea in lucru a fost terminata, descarcarea
       salvata
)";
}

}  // namespace vestok::cli
