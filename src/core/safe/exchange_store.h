#pragma once
// The copy of what a register held after the last whole-table exchange that
// ended without errors: one table file per register (fiscal number and
// logical number) and table, with the time it was taken, under the user's
// data folder ($XDG_DATA_HOME/vestok, by default ~/.local/share/vestok).
#include <ctime>
#include <optional>
#include <string>

#include "tables/document_table.h"

namespace vestok {

// $XDG_DATA_HOME/vestok when that variable holds an absolute path, else
// $HOME/.local/share/vestok (%LOCALAPPDATA%\vestok on Windows); empty when
// none is known (files/app_paths.h).
std::string UserDataFolder();

struct RegisterId {
  std::string FiscalNumber;
  int LogicNo = 1;
};

class TExchangeStore {
 public:
  explicit TExchangeStore(std::string root = UserDataFolder());

  const std::string& Root() const { return root_; }
  // The folder of one register: "<fiscal number>-<logical number>", with
  // any byte other than a letter, digit, "-" or "_" of the fiscal number as "_".
  std::string RegisterFolder(const RegisterId& id) const;
  std::string TablePath(const RegisterId& id, TableKind kind) const;

  // Keeps the table's records as the register's copy (the file replaced
  // whole, or not at all). False when the copy could not be written.
  bool Keep(const RegisterId& id, DocumentTable& table, std::time_t when = std::time(nullptr));
  // Fills `into` (opened and emptied first) with the kept copy and returns
  // its time; nothing when there is no copy or it cannot be read.
  std::optional<std::time_t> Load(const RegisterId& id, TableKind kind, DocumentTable& into) const;
  // The time of the kept copy, without reading it.
  std::optional<std::time_t> When(const RegisterId& id, TableKind kind) const;

 private:
  std::string root_;
};

// "10.12.2026 04:40" in local time.
std::string StoreTimeText(std::time_t when);
// How old a copy is, said to the user before an upload of the changes.
std::string CopyAgeText(std::time_t when, std::time_t now = std::time(nullptr));

}  // namespace vestok
