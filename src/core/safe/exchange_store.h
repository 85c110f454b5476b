#pragma once
// The copy of what a register held after the last whole-table exchange that
// ended without errors: one table file per register (fiscal number and
// logical number) and table, with the time it was taken, under the user's
// data folder ($XDG_DATA_HOME/vestok, by default ~/.local/share/vestok).
#include <ctime>
#include <functional>
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

// What is known of a register's copy. Only a present copy says what the
// register holds; in every other state the whole table is sent.
enum class CopyState {
  Present,     // kept, readable, and its time not after now
  None,        // never kept, or dropped
  Future,      // its time lies after now (a clock set back, or a foreign file)
  Unreadable,  // its table file cannot be read
  Unwritable,  // its folder or files can be neither rewritten nor removed, so it could be stale
};

struct CopyStatus {
  CopyState State = CopyState::None;
  std::time_t When = 0;  // the copy's time, when its time file could be read
  bool Known() const { return State == CopyState::Present; }
  // The time of a present copy, nothing otherwise (what Load returned before).
  operator std::optional<std::time_t>() const {
    return Known() ? std::optional<std::time_t>(When) : std::nullopt;
  }
};

// Said before an upload of the changes: the copy's age when it is present,
// otherwise why the whole table is sent.
std::string CopyStatusLine(const CopyStatus& status, std::time_t now = std::time(nullptr));

class TExchangeStore {
 public:
  explicit TExchangeStore(std::string root = UserDataFolder());

  const std::string& Root() const { return root_; }
  // The folder of one register: "<fiscal number>-<logical number>", with
  // any byte other than a letter, digit, "-" or "_" of the fiscal number as "_".
  std::string RegisterFolder(const RegisterId& id) const;
  std::string TablePath(const RegisterId& id, TableKind kind) const;

  // Keeps the table's records as the register's copy (the file replaced
  // whole, or not at all). False when the copy could not be written; an
  // older copy is then removed, if it can be, since it no longer says what
  // the register holds.
  bool Keep(const RegisterId& id, DocumentTable& table, std::time_t when = std::time(nullptr));
  // Fills `into` (opened and emptied first) with the kept copy when it is
  // present; `into` is left empty in every other state.
  CopyStatus Load(const RegisterId& id, TableKind kind, DocumentTable& into,
                  std::time_t now = std::time(nullptr)) const;
  // The time of the kept copy, without reading it.
  std::optional<std::time_t> When(const RegisterId& id, TableKind kind) const;
  // Removes the copy (after a run whose effect on the register is not
  // known). True when no copy is left, also when there was none.
  bool Forget(const RegisterId& id, TableKind kind);
  // After a run that changed part of a table: a present copy takes `change`
  // and is kept again; a copy in any other state is removed. With
  // `fromEmpty`, where no copy can be trusted (none, from the future,
  // unreadable) `change` is made to an empty one, which is then kept: what
  // the register acknowledged or sent is known whatever came before, and a
  // record the copy lacks is sent in full by the next upload of the changes.
  // True when the copy took the change, or there was none and `fromEmpty`
  // is not set; false when it could not be kept (it is then removed when
  // that can be done; a copy left behind reads as Unwritable).
  bool Amend(const RegisterId& id, TableKind kind, const std::function<void(DocumentTable& copy)>& change,
             std::time_t when = std::time(nullptr), bool fromEmpty = false);

 private:
  std::string root_;
};

// "10.12.2026 04:40" in local time.
std::string StoreTimeText(std::time_t when);
// How old a copy is, said to the user before an upload of the changes.
std::string CopyAgeText(std::time_t when, std::time_t now = std::time(nullptr));

}  // namespace vestok
