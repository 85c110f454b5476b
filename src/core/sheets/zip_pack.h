#pragma once
// The few zip operations the .xlsx reading needs beside the import library:
// the entries of an archive, and an archive written back with the entries
// stored (not compressed), which every reader takes.
#include <string>
#include <utility>
#include <vector>

namespace vestok {

using ZipEntries = std::vector<std::pair<std::string, std::string>>;  // name, bytes

// Every entry of the archive at `path`; SheetError when it is no zip archive.
ZipEntries ReadZipEntries(const std::string& path);
std::string StoredZip(const ZipEntries& entries);

// An .xlsx as some writers leave it, made readable: relationship targets
// given as absolute part names become relative ones, cells with inline
// strings refer to a shared-string table instead, and the relationship
// namespace declared on each sheet element is declared on the workbook's
// root. Returns false, and leaves `entries` alone, when nothing needs doing.
bool NormalizeXlsx(ZipEntries& entries);

}  // namespace vestok
