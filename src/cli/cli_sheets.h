#pragma once
// vestok-cli import and export: spreadsheets to table files and table files
// to workbooks, with no register involved. Their arguments are their own.
namespace vestok::cli {

// "import" or "export".
bool IsSheetCommand(const char* name);

// Runs the command; argv[0] is its name. Returns the exit status
// (kExitOk, kExitRecordErrors when a value or row could not be taken,
// kExitFileFailed when a file cannot be read or written, kExitUsage).
int RunSheetCommand(int argc, char** argv);

}  // namespace vestok::cli
