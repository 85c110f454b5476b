// ecrsim: simulated cash registers on a new pseudo-terminal or on a device,
// for development, demonstrations and benchmarks. See --help.
#include <sys/stat.h>

#include <csignal>
#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "sim/ecr_simulator.h"
#include "sim/sim_preload.h"
#include "text/number_text.h"

using namespace vestok;

namespace {

const char* const HelpText = R"(Usage: ecrsim [options]

Simulated cash registers on one serial line. ecrsim opens a new
pseudo-terminal (or the device given with --device), prints the path the
program must open, and answers until it is interrupted (Ctrl+C, SIGTERM).

Line:
  --device PATH          run on this serial device instead of a pseudo-terminal
  --device-speed BPS     the device's speed (default 9600)
  --link PATH            also make PATH a symbolic link to the pseudo-terminal
                         (an existing symbolic link there is replaced; removed at exit)
  --baud BPS             pace the line at BPS, 10 bit times per byte: a frame is
                         taken in only after its bytes' time, and each reply byte
                         leaves at its own time (default 0: instant)
  --line-speed BPS       answer only while the program has set this speed on the
                         pseudo-terminal (a register at a fixed speed)
  --lead-byte HEX        first byte of every reply (default 0A, LF)
  --check-after-lf       check bytes leave out a leading LF of the payload
  --trace                print every frame in both directions: time in ms,
                         direction, kind, register, text, check, bytes in hex
  --quiet                print neither the path nor the files loaded
  --help                 this text

Registers (each --register starts a new one; the options after it concern it;
without any, there is one register with logical number 1):
  --register N[:FISCAL]  a register with logical number N and fiscal number
                         FISCAL (default RO000000N)
  --load DIR             preload it from the table files in DIR, named
                         items.csv, item-sales.csv, group-sales.csv,
                         stand-sales.csv, operators.csv, pay-types.csv,
                         discounts.csv, receipt-format.csv, header.csv,
                         settings.csv (missing files are skipped)
  --decimal C            decimal separator of the numbers it answers with,
                         for preloaded values (default '.')

Faults of the current register:
  --silent               answer nothing at all
  --answer-selection-on K  answer only the K-th selection frame after a
                         deselection (and later ones)
  --ack-on K             answer a command only on its K-th send in a row
  --never-ack            answer no command
  --unacked silence|refuse  what an unanswered command gets: nothing (default)
                         or the reply LF "E"
  --refuse-plu N         refuse "W0" and "C0" of PLU N with LF "E"
  --refuse-record N      refuse every upload and deletion of record number N
                         (an item's PLU, any other record's first field, 1 in
                         the receipt format and the operating parameters)
                         with LF "E", storing nothing; may be repeated
  --unanswered-record N  store (or delete) record number N but send no reply,
                         as if the acknowledgement were lost; may be repeated
  --wrong-check          send every reply with wrong check bytes
  --cut-reply N          send only the first N bytes of every reply
  --reply-delay MS       wait MS before the first byte of every reply
  --byte-gap MS          wait MS between two bytes of a reply (a trickle)
  --reply-twice          send every reply and answer twice
  --late-end-reply MS    wait MS more before an end reply to a download
  --slow-command K:MS    the K-th command since start gets its reply MS late
  --hollow-records       send download records as NUL bytes with a valid check

Protocol:
  --variant auto|A|S     item upload layout and download numbering:
                         A (Seria A): "W0;PLU;name;VAT;barcode;price;price type;
                           stand;group;dummy;", downloads answer the first
                           record numbered at or after the number asked;
                         S (Standard): "W0;pos;PLU;name;price;0;stand;group;VAT;
                           price type;0;barcode high;barcode low;", downloads
                           answer the n-th record;
                         auto (default): a "W0" of twelve fields or more is
                           Standard, otherwise Seria A; downloads as Seria A.
                         "R0;n;" always answers the n-th item.
  --end-reply D|E        the end reply: LF "E" (default) or LF "D"

What a register does:
  Deselection (DC3 DC3 DC3) releases every register. A selection frame with a
  register's logical number makes it answer: LF, "<fiscal number>;<logical
  number>;SIM;", CR, two check bytes (Crc16 of the payload and the CR, high
  byte first). The ACK is taken and not needed. A command frame with a wrong
  check gets no reply. Uploads ("W0", "W2", "W8", "W4", "W5", "W6", "W1;1")
  are stored and answered with LF "D": a record whose number (its first
  field; the PLU for items) is already stored replaces it, any other is added
  in number order; the receipt format and the operating parameters are one
  record each. Downloads answer one record in the reply layout:
    "I0;PLU;name;VAT;barcode;price;price type;stand;group;"
    "T0;PLU;<the item's name to dummy, 8 fields>;quantity;value;"
    "R10;group;value;"  "R3;stand;value;"  "R2;number;name;password;"
    "R8;number;text;"  "R4;row;allowed;value;"  "R5;<8 fields>;"
    "R6;line;text;"  "R1;1;<20 fields>;"
    "R0;n;PLU;name;price;quantity sold;stand;group;VAT;0;price type;
        barcode high;barcode low;"
  or the end reply when there is no record for the number or beyond it.
  "C0;PLU;" deletes the item and answers LF "D"; an unknown PLU is
  acknowledged as well (the register holds no such item afterwards).
  An unknown command gets LF "E".
)";

struct ArgError : std::exception {
  std::string text;
  explicit ArgError(std::string t) : text(std::move(t)) {}
};

int NumberArg(const std::string& option, const std::string& value) {
  const auto n = ParseInt32(value);
  if (!n) throw ArgError(option + " needs a number, not '" + value + "'");
  return *n;
}

// A number that must lie in [low, high]; a value outside would be taken
// without a word and make the simulator do something nobody asked for.
int NumberArg(const std::string& option, const std::string& value, int low, int high) {
  const int n = NumberArg(option, value);
  if (n < low || n > high)
    throw ArgError(option + " needs a number from " + IntToText(low) + " to " + IntToText(high) + ", not '" +
                   value + "'");
  return n;
}

constexpr int kMaxInt = 2147483647;

// A preload folder that does not exist is a typing error, not a register
// without records (missing files inside a folder are still skipped).
void CheckFolder(const std::string& folder) {
  struct stat st {};
  if (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) throw ArgError("--load: no folder " + folder);
}

// The folders a register is preloaded from, once all options are read.
struct Preload {
  std::vector<std::string> folders;
  char separator = '.';
};

}  // namespace

int main(int argc, char** argv) {
  TSimOptions options;
  std::vector<Preload> loads;
  bool quiet = false;
  bool trace = false;
  auto current = [&]() -> TSimRegister& {
    if (options.Registers.empty()) {
      options.Registers.emplace_back();
      loads.emplace_back();
    }
    return options.Registers.back();
  };
  try {
    std::vector<std::string> args(argv + 1, argv + argc);
    for (std::size_t i = 0; i < args.size(); ++i) {
      const std::string& a = args[i];
      auto value = [&]() -> const std::string& {
        if (i + 1 >= args.size()) throw ArgError(a + " needs a value");
        return args[++i];
      };
      if (a == "--help" || a == "-h") {
        std::fputs(HelpText, stdout);
        return 0;
      } else if (a == "--device") {
        options.DevicePath = value();
      } else if (a == "--device-speed") {
        options.DeviceSpeed = NumberArg(a, value(), 1, kMaxInt);
      } else if (a == "--link") {
        options.LinkPath = value();
      } else if (a == "--baud") {
        options.PaceBaud = NumberArg(a, value(), 0, kMaxInt);
      } else if (a == "--line-speed") {
        options.LineSpeed = NumberArg(a, value(), 0, kMaxInt);
      } else if (a == "--lead-byte") {
        const std::string v = value();
        const auto byte = ParseInt32("0x" + v);
        if (!byte || *byte < 0 || *byte > 0xFF)
          throw ArgError("--lead-byte needs a hex byte from 00 to FF, not '" + v + "'");
        options.LeadByte = static_cast<char>(*byte);
      } else if (a == "--trace") {
        trace = true;
      } else if (a == "--quiet") {
        quiet = true;
      } else if (a == "--register") {
        const std::string v = value();
        const auto colon = v.find(':');
        TSimRegister r;
        r.LogicNo = NumberArg(a, v.substr(0, colon), 0, 255);  // what a selection frame can carry
        const std::string digits = IntToText(r.LogicNo);
        r.FiscalNumber = colon == std::string::npos
                             ? "RO" + std::string(digits.size() < 7 ? 7 - digits.size() : 0, '0') + digits
                             : v.substr(colon + 1);
        for (const auto& other : options.Registers)
          if (other.LogicNo == r.LogicNo) throw ArgError("two registers with logical number " + digits);
        options.Registers.push_back(std::move(r));
        loads.emplace_back();
      } else if (a == "--load") {
        current();
        CheckFolder(value());
        loads.back().folders.push_back(args[i]);
      } else if (a == "--decimal") {
        current();
        const std::string v = value();
        if (v.size() != 1) throw ArgError("--decimal needs one character");
        loads.back().separator = v[0];
      } else if (a == "--silent") {
        current().Faults.Silent = true;
      } else if (a == "--answer-selection-on") {
        current().Faults.AnswerSelectionOn = NumberArg(a, value(), 1, kMaxInt);
      } else if (a == "--ack-on") {
        current().Faults.AcknowledgeOn = NumberArg(a, value(), 1, kMaxInt);
      } else if (a == "--never-ack") {
        current().Faults.NeverAcknowledge = true;
      } else if (a == "--unacked") {
        const std::string v = value();
        if (v != "silence" && v != "refuse") throw ArgError("--unacked is silence or refuse");
        current().Faults.Unacked = v == "refuse" ? UnackedReply::Refusal : UnackedReply::Silence;
      } else if (a == "--refuse-plu") {
        current().Faults.RefusedPlu = NumberArg(a, value());
      } else if (a == "--refuse-record") {
        current().Faults.RefusedRecords.push_back(NumberArg(a, value()));
      } else if (a == "--unanswered-record") {
        current().Faults.UnansweredRecords.push_back(NumberArg(a, value()));
      } else if (a == "--wrong-check") {
        current().Faults.WrongCheck = true;
      } else if (a == "--cut-reply") {
        current().Faults.CutReplyAfter = NumberArg(a, value(), 0, kMaxInt);
      } else if (a == "--reply-delay") {
        current().Faults.ReplyDelayMs = NumberArg(a, value(), 0, kMaxInt);
      } else if (a == "--byte-gap") {
        current().Faults.ByteGapMs = NumberArg(a, value(), 0, kMaxInt);
      } else if (a == "--reply-twice") {
        current().Faults.ReplyTwice = true;
      } else if (a == "--late-end-reply") {
        current().Faults.EndReplyDelayMs = NumberArg(a, value(), 0, kMaxInt);
      } else if (a == "--slow-command") {
        const std::string v = value();
        const std::size_t colon = v.find(':');
        if (colon == std::string::npos) throw ArgError("--slow-command needs K:MS");
        current().Faults.SlowCommandNo = NumberArg(a, v.substr(0, colon), 1, kMaxInt);
        current().Faults.SlowCommandDelayMs = NumberArg(a, v.substr(colon + 1), 0, kMaxInt);
      } else if (a == "--hollow-records") {
        current().Faults.HollowRecords = true;
      } else if (a == "--check-after-lf") {
        options.CheckAfterLeadingLF = true;
      } else if (a == "--variant") {
        const std::string v = value();
        if (v == "auto") options.Variant = SimVariant::Auto;
        else if (v == "A" || v == "a") options.Variant = SimVariant::SeriaA;
        else if (v == "S" || v == "s") options.Variant = SimVariant::Standard;
        else throw ArgError("--variant is auto, A or S");
      } else if (a == "--end-reply") {
        const std::string v = value();
        if (v != "D" && v != "E") throw ArgError("--end-reply is D or E");
        options.EndReply = v[0];
      } else {
        throw ArgError("unknown option " + a + " (see --help)");
      }
    }
    current();
    for (std::size_t r = 0; r < options.Registers.size(); ++r) {
      for (const auto& folder : loads[r].folders) {
        for (const auto& file : PreloadFolder(options.Registers[r].Memory, folder, loads[r].separator))
          if (!quiet) std::cerr << "ecrsim: register " << options.Registers[r].LogicNo << " loaded " << file << "\n";
      }
    }
  } catch (const ArgError& e) {
    std::cerr << "ecrsim: " << e.text << "\n";
    return 2;
  } catch (const std::exception& e) {
    std::cerr << "ecrsim: cannot load a table file: " << e.what() << "\n";
    return 1;
  }

  options.KeepTrace = false;
  if (trace)
    options.OnTrace = [](const TTraceEntry& e) {
      std::fputs((FormatTraceEntry(e) + "\n").c_str(), stdout);
      std::fflush(stdout);
    };

  // Signals are taken by sigwait below, not by a handler.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  sigaddset(&signals, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);

  EcrSimulator sim(std::move(options));
  std::string error;
  if (!sim.Start(&error)) {
    std::cerr << "ecrsim: " << error << "\n";
    return 1;
  }
  if (!quiet) {
    std::printf("%s\n", sim.SlavePath().c_str());
    std::fflush(stdout);
  }
  int sig = 0;
  sigwait(&signals, &sig);
  sim.Stop();
  return 0;
}
