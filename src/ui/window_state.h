#pragma once
// What the window needs for its whole run, on the window's side: its link
// (LinkPort over the settings record LinkSettings that its dialogs write), the
// log of its last operation, and the file each table was last opened from or
// saved to. Start-up fills them before the window is made; only the window,
// its dialogs and start-up use them, and they hand the link and the log to
// every core routine they call. The core and the command line have no
// process-wide state: each of their users is handed the link and log it uses.
#include <array>
#include <memory>
#include <string>

#include "config/link_settings.h"
#include "ecr/link_port.h"
#include "jobs/operation_log.h"
#include "tables/table_defs.h"

namespace vestok {

extern TLinkSettings LinkSettings;
extern TLink LinkPort;  // runs with LinkSettings

// Created at start-up before the window, released after the event loop.
extern std::unique_ptr<TOperationLog> OperationLog;

// The file each table was last opened from or saved to, by TableKind; only
// the file actions and the batch run change it, on the user-interface thread.
extern std::array<std::string, kTableCount> CurrentFileName;
// Whether that file was read as UTF-8 (and converted): the next save over it
// says that it is written in Windows-1250 from then on.
extern std::array<bool, kTableCount> CurrentFileReadAsUtf8;
// Sets every entry to kNoCurrentFile (the main window does so when shown),
// read as Windows-1250.
void ResetCurrentFileNames();

}  // namespace vestok
