// libFuzzer target for LoadTableFile: any bytes must load without a crash, a
// leak or a hang, and what loaded must save and load back to the same
// records and bytes.
// The first input byte picks the table (low four bits) and whether the bytes
// go through a real file descriptor (high bit), the rest is the file.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

#include "table_check.h"
#include "tables/table_file.h"

using namespace vestok;

namespace {

bool LoadThroughFile(DocumentTable& table, const std::uint8_t* data, std::size_t size) {
  const int fd = memfd_create("table", 0);
  if (fd < 0) return false;
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = write(fd, data + done, size - done);
    if (n <= 0) break;
    done += std::size_t(n);
  }
  const std::string path = "/proc/self/fd/" + std::to_string(fd);
  try {
    LoadTableFile(table, path);
  } catch (const TableFileValueError&) {
  }
  close(fd);
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const TableKind kind = TableKind((data[0] & 0x0f) % kTableCount);
  const bool viaFile = data[0] & 0x80;
  ++data;
  --size;

  DocumentTable table(TableDefinition(kind));
  table.Open();
  if (!viaFile || !LoadThroughFile(table, data, size)) {
    try {
      LoadTableFromBytes(table, std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const TableFileValueError&) {
    }
  }

  // Whatever loaded is a table like any other: it saves, and the saved file
  // loads back to the same records, which save to the very same bytes.
  CheckSaveThenLoad(table, kind);
  return 0;
}
