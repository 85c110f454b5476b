#pragma once
// Table files: one table per file, comma-separated, a header line of field
// names, every value quoted, every line ending in "," CR LF. Bytes as the
// table holds them (Windows-1250), "." as decimal point whatever the user's
// regional settings. Errors are the TableFileError family (table_errors.h).
#include <string>
#include <string_view>
#include <vector>

#include "tables/document_table.h"
#include "tables/table_file_system.h"

namespace vestok {

// Writes the header line and one line per record (a pending change is stored
// first). The bytes go to a temporary file beside `path`, which replaces
// `path` only once every byte has been written and flushed to disk; a failed
// save leaves an existing file whole. TableFileCreateError when the file
// cannot be created, TableFileWriteError when writing fails part-way.
void SaveTableFile(DocumentTable& table, const std::string& path);
void SaveTableFile(DocumentTable& table, const std::string& path, TableFileSystem& fs);

// Appends one record per data line of the file to the table (records already
// in the table stay in front); the last record appended is current afterwards.
// Notifications are suspended for the load and one Reset follows it, also
// when the load fails. An empty file adds nothing.
// TableFileOpenError when the file cannot be opened (nothing read).
// TableFileValueError at a value that is no valid number for its field: the
// load stops there; the records of earlier lines stay, and so does the
// failing line's record with the values before the failing one, unless the
// failing value was the line's first value for a matched column (then that
// record is dropped). TableFileReadError on an I/O error part-way.
//
// A file that begins with the UTF-8 byte-order mark, or is well-formed UTF-8
// with at least one character of more than one byte, was written by another
// program: its texts are converted to Windows-1250 as they are read (the mark
// is dropped). A character the code page lacks becomes '?' and is noted in
// the table (DocumentTable::CodePageLosses), so that the check before an
// upload names its row and field. Any other file loads byte for byte.
void LoadTableFile(DocumentTable& table, const std::string& path);

// What a load found out about the file's text.
struct TableFileReadInfo {
  bool Utf8 = false;  // read as UTF-8 and converted to Windows-1250
  struct Lost {
    std::size_t Row = 0;     // 0-based row of the table
    int Field = -1;
    std::u32string Missing;  // the characters that became '?'
  };
  std::vector<Lost> LostCharacters;
  // Names of the header line that match no field of the table, in the file's
  // order: their values were not read (a file of another program or table).
  std::vector<std::string> IgnoredColumns;
};
// The same, telling how the file was read (`info` is reset first; on an
// error it holds what was found up to it).
void LoadTableFile(DocumentTable& table, const std::string& path, TableFileReadInfo& info);

// The one line that says a file was read as UTF-8: the window's panel, the
// batch log and vestok-cli show it.
inline constexpr std::string_view kUtf8ReadNotice = "Fisier UTF-8, convertit in Windows-1250";
// Shown beside the save's own text when a file read as UTF-8 is saved over:
// it is Windows-1250 from now on.
inline constexpr std::string_view kCp1250SavedNotice = "Fisierul este scris acum in Windows-1250.";

// The one line that names the ignored columns ("Coloane ignorate: Name, Pret"),
// or empty when every column was read. Past `shownNames` names it says how many
// more there are, and a name longer than 16 characters is cut with "...", so
// that the line fits a status panel.
std::string IgnoredColumnsNotice(const TableFileReadInfo& info, std::size_t shownNames = 4);

// Loads from bytes already in memory (the same rules; used by the fuzzer and
// by the tests of the reading rules).
void LoadTableFromBytes(DocumentTable& table, std::string_view bytes);
void LoadTableFromBytes(DocumentTable& table, std::string_view bytes, TableFileReadInfo& info);

// The values of one line, split as the reader splits a line of a table file:
// a quoted value loses its quotes and its doubled quotes become single, an
// unquoted one is taken as it stands; no escape is undone. For the other
// comma-separated files of the program (a plan of registers).
std::vector<std::string> TableFileLineValues(std::string_view line);

// Removes every record at once.
void EmptyTable(DocumentTable& table);

// The bytes SaveTableFile writes (header line and all records).
std::string TableFileBytes(DocumentTable& table);

}  // namespace vestok
