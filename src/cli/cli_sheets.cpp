#include "cli/cli_sheets.h"

#include <getopt.h>

#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "cli/cli_options.h"
#include "cli/cli_output.h"
#include "sheets/sheet_export.h"
#include "sheets/sheet_import.h"
#include "tables/table_file.h"
#include "text/number_text.h"
#include "text/utf8.h"

namespace vestok::cli {
namespace {

constexpr const char* kImportUsage =
    "Folosire: vestok-cli import TABEL SURSA IESIRE.csv [--sheet N] [--map \"Titlu coloana=Camp,...\"]\n"
    "                         [--sep ,|;|tab] [--encoding utf-8|windows-1250] [--decimal .|,]\n"
    "  Citeste foaia N (prima: 1) din SURSA (.xlsx, .ods sau .csv) si scrie TABEL in IESIRE.csv.\n";
constexpr const char* kExportUsage =
    "Folosire: vestok-cli export TABEL FISIER.csv IESIRE.xlsx\n"
    "  Scrie tabelul din FISIER.csv intr-o foaie de calcul .xlsx.\n";

// Messages of the core are Windows-1250; the terminal takes UTF-8.
void Say(std::ostream& out, const std::string& cp1250) { out << Cp1250ToUtf8(cp1250) << "\n"; }

int Usage(const char* usage, const std::string& message) {
  std::cerr << "vestok-cli: " << message << "\n" << usage;
  return kExitUsage;
}

struct Parsed {
  std::vector<std::string> Positional;
  std::size_t Sheet = 0;
  std::string Map;
  CsvOptions Csv;
  bool Help = false;
};

// Throws UsageError.
Parsed ParseArguments(int argc, char** argv, bool import) {
  static const option kImportOptions[] = {{"sheet", required_argument, nullptr, 's'},
                                          {"map", required_argument, nullptr, 'm'},
                                          {"sep", required_argument, nullptr, 'p'},
                                          {"encoding", required_argument, nullptr, 'e'},
                                          {"decimal", required_argument, nullptr, 'd'},
                                          {"help", no_argument, nullptr, 'h'},
                                          {nullptr, 0, nullptr, 0}};
  static const option kExportOptions[] = {{"help", no_argument, nullptr, 'h'}, {nullptr, 0, nullptr, 0}};
  Parsed p;
  optind = 0;  // a fresh scan (GNU), whatever ran before
  opterr = 0;
  for (;;) {
    const int c = getopt_long(argc, argv, "h", import ? kImportOptions : kExportOptions, nullptr);
    if (c == -1) break;
    const std::string value = optarg != nullptr ? optarg : "";
    switch (c) {
      case 'h': p.Help = true; break;
      case 's': {
        const auto n = ParseInt32(value);
        if (!n || *n < 1) throw UsageError("Valoare incorecta pentru --sheet: '" + value + "'");
        p.Sheet = std::size_t(*n - 1);
        break;
      }
      case 'm': p.Map = value; break;
      case 'p':
        if (value == "," || value == ";") p.Csv.Separator = value[0];
        else if (value == "tab" || value == "TAB" || value == "\t") p.Csv.Separator = '\t';
        else throw UsageError("Valoare incorecta pentru --sep: '" + value + "' (',', ';' sau tab)");
        break;
      case 'e':
        if (value == "utf-8" || value == "UTF-8" || value == "utf8") p.Csv.Encoding = CsvEncoding::Utf8;
        else if (value == "windows-1250" || value == "cp1250" || value == "Windows-1250") p.Csv.Encoding = CsvEncoding::Cp1250;
        else throw UsageError("Valoare incorecta pentru --encoding: '" + value + "' (utf-8 sau windows-1250)");
        break;
      case 'd':
        if (value == "." || value == ",") p.Csv.Decimal = value[0];
        else throw UsageError("Valoare incorecta pentru --decimal: '" + value + "' ('.' sau ',')");
        break;
      default: {
        const std::string arg = optind > 0 && optind <= argc ? argv[optind - 1] : "";
        throw UsageError(c == ':' || (optopt != 0 && std::strchr("smped", optopt) != nullptr)
                             ? "Optiunea " + arg + " cere o valoare"
                             : "Optiune necunoscuta: " + arg);
      }
    }
  }
  for (int i = optind; i < argc; ++i) p.Positional.emplace_back(argv[i]);
  return p;
}

int Import(const Parsed& p) {
  if (p.Positional.size() != 3) return Usage(kImportUsage, "import cere TABEL, SURSA si IESIRE.csv");
  const TableKind kind = TableFromName(p.Positional[0]);
  if (kind == tkNone) return Usage(kImportUsage, "Tabel necunoscut: " + p.Positional[0]);
  DocumentTable table(TableDefinition(kind));
  table.Open();
  RememberedColumns map;
  try {
    map = ParseMapOption(table, p.Map);
  } catch (const SheetError& e) {
    return Usage(kImportUsage, e.what());
  }
  SheetGrid grid;
  try {
    grid = ReadSheet(p.Positional[1], p.Sheet, p.Csv);
  } catch (const SheetError& e) {
    std::cerr << "vestok-cli: " << p.Positional[1] << ": " << e.what() << "\n";
    return kExitFileFailed;
  }
  // --map first, then what the window remembered for this table, then the titles.
  const std::vector<std::string> titles = ColumnTitles(grid);
  RememberedColumns remembered = LoadRememberedColumns(table.Name());
  for (const auto& [title, field] : map) remembered[title] = field;
  const std::vector<int> fields = MatchColumns(table, titles, remembered);
  bool any = false;
  for (std::size_t c = 0; c < titles.size(); ++c) {
    const int f = c < fields.size() ? fields[c] : -1;
    any = any || f >= 0;
    std::cerr << "Coloana " << ColumnLetters(c) << " (" << titles[c] << ") -> "
              << (f >= 0 ? std::string(table.Fields()[std::size_t(f)].name) : std::string("ignorata")) << "\n";
  }
  if (!any) {
    std::cerr << "vestok-cli: Nicio coloana din " << p.Positional[1] << " nu corespunde unui camp al tabelului "
              << p.Positional[0] << " (folositi --map)\n";
    return kExitRecordErrors;
  }
  const ImportResult result = ImportRows(grid, fields, table);
  for (const ImportProblem& problem : result.Problems) Say(std::cerr, ProblemLine(grid, problem));
  try {
    SaveTableFile(table, p.Positional[2]);
  } catch (const std::exception&) {
    std::cerr << "vestok-cli: Nu se poate salva fisierul specificat! " << p.Positional[2] << "\n";
    return kExitFileFailed;
  }
  std::cout << "Import: " << result.RowsAdded << " randuri preluate in " << p.Positional[2];
  if (!result.Problems.empty()) std::cout << ", " << result.Problems.size() << " valori cu probleme";
  std::cout << "\n";
  return result.Problems.empty() ? kExitOk : kExitRecordErrors;
}

int Export(const Parsed& p) {
  if (p.Positional.size() != 3) return Usage(kExportUsage, "export cere TABEL, FISIER.csv si IESIRE.xlsx");
  const TableKind kind = TableFromName(p.Positional[0]);
  if (kind == tkNone) return Usage(kExportUsage, "Tabel necunoscut: " + p.Positional[0]);
  DocumentTable table(TableDefinition(kind));
  table.Open();
  TableFileReadInfo read;
  try {
    LoadTableFile(table, p.Positional[1], read);
  } catch (const std::exception&) {
    std::cerr << "vestok-cli: Nu se poate deschide fisierul specificat! " << p.Positional[1] << "\n";
    return kExitFileFailed;
  }
  if (read.Utf8) std::cerr << kUtf8ReadNotice << "\n";
  if (!read.IgnoredColumns.empty())
    std::cerr << Utf8FromCp1250(IgnoredColumnsNotice(read, read.IgnoredColumns.size())) << "\n";
  try {
    ExportTableToXlsx(table, p.Positional[2]);
  } catch (const SheetError& e) {
    std::cerr << "vestok-cli: " << e.what() << " " << p.Positional[2] << "\n";
    return kExitFileFailed;
  }
  std::cout << "Export: " << table.RecordCount() << " randuri in " << p.Positional[2] << "\n";
  return kExitOk;
}

}  // namespace

bool IsSheetCommand(const char* name) {
  return name != nullptr && (std::strcmp(name, "import") == 0 || std::strcmp(name, "export") == 0);
}

int RunSheetCommand(int argc, char** argv) {
  const bool import = std::strcmp(argv[0], "import") == 0;
  const char* usage = import ? kImportUsage : kExportUsage;
  Parsed p;
  try {
    p = ParseArguments(argc, argv, import);
  } catch (const UsageError& e) {
    return Usage(usage, e.what());
  }
  if (p.Help) {
    std::cout << usage;
    return kExitOk;
  }
  return import ? Import(p) : Export(p);
}

}  // namespace vestok::cli
