// libFuzzer target for the reply side of a download: the input bytes come in
// on a pseudo-terminal as a register's replies and go through ReceiveReply,
// the judging of a reply, ParseReply and the storing of the values, as the
// download job does; the table then must save and load back to the same
// records. The first input byte picks the job kind, the rest is the line.
#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "config/link_settings.h"
#include "ecr/exchange.h"
#include "ecr/frames.h"
#include "ecr/link_port.h"
#include "jobs/record_layouts.h"
#include "jobs/reply_guard.h"
#include "table_check.h"
#include "tables/table_errors.h"

using namespace vestok;

namespace {

constexpr JobKind kKinds[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 100, 101, 104, 106, 107, 108, 109};

int Master() {
  static int master = [] {
    int m = -1, s = -1;
    char name[128];
    if (openpty(&m, &s, name, nullptr, nullptr) != 0) std::abort();
    LinkSettings.CableTimeout = 5;
    LinkSettings.RetryByte = 2;
    LinkSettings.RetryCmd = 1;
    if (!OpenLink(name, 9600)) std::abort();
    close(s);
    return m;
  }();
  return master;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0 || size > 2048) return 0;
  const int master = Master();
  const JobKind kind = kKinds[data[0] % (sizeof kKinds)];
  LinkSettings.CheckReply = (data[0] & 0x80) ? 0 : 1;
  ++data;
  --size;
  PurgeLink();
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = write(master, data + done, size - done);
    if (n <= 0) break;
    done += std::size_t(n);
  }
  tcdrain(master);

  const TableKind tableKind = TableKind(kind % 100);
  DocumentTable table(TableDefinition(tableKind));
  table.Open();
  std::int32_t requested = 1;
  for (std::size_t pass = 0; pass <= size / MinReplyLength + 1; ++pass) {
    std::string payload;
    if (!ReceiveReply(payload)) {
      if (!WaitForData(0)) break;
      continue;
    }
    const std::string_view text = ReplyText(payload);
    CheckReplyCoverage(std::string(1, '\n') + payload + "\r\0\0");
    if (JudgeDownloadReply(kind, requested, text, {}) != ReplyFit::Record) continue;
    table.Append();
    try {
      StoreReplyValues(table, ParseReply(kind, text));
      table.Post();
    } catch (const FieldConversionError&) {
      table.Cancel();
    }
    ++requested;
  }
  CheckSaveThenLoad(table, tableKind);
  return 0;
}
