#include "engine/variant_rules.h"

#include <string_view>

namespace vestok {

namespace {

// One row per TableKind, one cell per rule action in the order of
// TRuleAction: "AS" under both variants, "A" under "Seria A" only, "-" never.
constexpr std::string_view kRules[kTableCount][kRuleActionCount] = {
    {"AS", "A", "AS", "A", "A", "A", "AS", "AS", "AS"},  // "Articole"
    {"AS", "A", "-", "-", "-", "-", "-", "-", "AS"},     // "Vanzari pe articole"
    {"A", "A", "-", "-", "-", "-", "-", "-", "A"},       // "Vanzari pe grupe articole"
    {"A", "A", "-", "-", "-", "-", "-", "-", "A"},       // "Vanzari pe standuri"
    {"AS", "A", "AS", "A", "A", "A", "AS", "AS", "AS"},  // "Operatori"
    {"A", "A", "A", "A", "A", "A", "A", "A", "A"},       // "Mijloace de plata"
    {"AS", "A", "AS", "A", "A", "A", "AS", "AS", "AS"},  // "Reduceri/Majorari"
    {"AS", "A", "AS", "A", "-", "-", "AS", "AS", "AS"},  // "Format bon"
    {"AS", "A", "AS", "A", "-", "-", "AS", "AS", "AS"},  // "Antet bon"
    {"A", "-", "A", "-", "-", "-", "A", "A", "A"},       // "Configurare parametrii casa de marcat"
};

std::vector<TableKind> TablesWith(int variant, TRuleAction action, bool upload) {
  std::vector<TableKind> out;
  for (TableKind k = 0; k < kTableCount; ++k) {
    if (!RuleEnabled(k, variant, action)) continue;
    const JobKind job = JobKindOf(variant, k);
    if ((upload ? UploadCommand(job) : DownloadCommand(job)).empty()) continue;
    out.push_back(k);
  }
  return out;
}

}  // namespace

bool RuleEnabled(TableKind tableKind, int variant, TRuleAction action) {
  const int column = static_cast<int>(action);
  if (tableKind >= kTableCount || column < 0 || column >= kRuleActionCount) return false;
  const std::string_view cell = kRules[tableKind][column];
  if (variant == 0) return cell.find('A') != std::string_view::npos;
  if (variant == 1) return cell.find('S') != std::string_view::npos;
  return false;
}

JobKind JobKindOf(int variant, TableKind kind) { return JobKind((variant == 0 ? 0 : kStandardJobKinds) + kind); }

std::vector<TableKind> DownloadableTables(int variant) { return TablesWith(variant, TRuleAction::ImportAll, false); }

std::vector<TableKind> UploadableTables(int variant) { return TablesWith(variant, TRuleAction::ExportAll, true); }

}  // namespace vestok
