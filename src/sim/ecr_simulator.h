#pragma once
// A stand-in for the cash registers at the far end of the serial line: one or
// more registers on one line, each with its logical number, fiscal number and
// memory, answering the program's frames from a thread of their own over a
// new pseudo-terminal (or a real device). Tests drive it in-process; the
// ecrsim command wraps it.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "sim/register_commands.h"
#include "sim/frame_reader.h"
#include "sim/register_memory.h"
#include "sim/sim_trace.h"

namespace vestok {

// How a register answers a command it does not acknowledge (see TRegisterFaults).
enum class UnackedReply { Silence, Refusal };

// Faults on demand. The defaults make a sound register.
struct TRegisterFaults {
  bool Silent = false;              // answers nothing at all
  int AnswerSelectionOn = 1;        // answers only the k-th selection frame since the last deselection, and later ones
  int AcknowledgeOn = 1;            // answers a command only on its k-th send in a row (same text)
  bool NeverAcknowledge = false;    // answers no command
  UnackedReply Unacked = UnackedReply::Silence;  // what an unanswered command gets
  std::optional<std::int32_t> RefusedPlu;        // "W0" and "C0" of this PLU get LF "E"
  std::vector<std::int32_t> RefusedRecords;      // uploads and deletions of these numbers get LF "E"
  std::vector<std::int32_t> UnansweredRecords;   // ... are carried out but get no reply
  bool WrongCheck = false;          // every reply goes out with its check bytes inverted
  int CutReplyAfter = -1;           // only the first N bytes of each reply go out (-1: all)
  int ReplyDelayMs = 0;             // pause before the first byte of a reply
  int ByteGapMs = 0;                // pause between two bytes of a reply
  bool ReplyTwice = false;          // every reply and answer goes out twice, one after the other
  int EndReplyDelayMs = 0;          // extra pause before an end reply (LF "D" / LF "E" to a download)
  int SlowCommandNo = 0;            // the k-th command since start (1-based) gets its reply late ...
  int SlowCommandDelayMs = 0;       // ... by this many ms
  bool HollowRecords = false;       // a download record goes out as NUL bytes with a valid check
};

struct TSimRegister {
  int LogicNo = 1;
  std::string FiscalNumber = "RO0000001";
  std::string AnswerTail = "SIM;";  // after "<fiscal number>;<logical number>;"
  std::optional<std::string> AnswerPayload;  // replaces the whole answer payload when set
  TRegisterFaults Faults;
  TRegisterMemory Memory;
};

struct TSimOptions {
  std::vector<TSimRegister> Registers;  // none given: one register, logical number 1
  std::string DevicePath;               // run on this device instead of a new pseudo-terminal
  std::int32_t DeviceSpeed = 9600;      // line speed set on DevicePath
  std::string LinkPath;                 // a symbolic link to the pseudo-terminal, made at Start
  std::int32_t PaceBaud = 0;            // 0: instant; else 10 bit times per byte, both directions
  std::int32_t LineSpeed = 0;           // pseudo-terminal only: answer only when the program set this speed
  char LeadByte = '\n';                 // first byte of every reply
  bool CheckAfterLeadingLF = false;     // check bytes leave out a leading LF of the payload
  SimVariant Variant = SimVariant::Auto;
  char EndReply = 'E';
  bool KeepTrace = true;
  std::function<void(const TTraceEntry&)> OnTrace;  // called on the line thread
};

class EcrSimulator {
 public:
  explicit EcrSimulator(TSimOptions options);
  ~EcrSimulator();
  EcrSimulator(const EcrSimulator&) = delete;
  EcrSimulator& operator=(const EcrSimulator&) = delete;

  // Opens the line and starts answering. On failure `error` says why.
  bool Start(std::string* error = nullptr);
  void Stop();

  // The path the program opens: the pseudo-terminal's slave or the device.
  const std::string& SlavePath() const { return slavePath_; }

  // Runs f on the register with that logical number, under the line's lock
  // (so between two frames). Throws std::out_of_range for an unknown number.
  template <typename F>
  auto WithRegister(int logicNo, F&& f) {
    std::lock_guard lock(mutex_);
    return f(FindRegister(logicNo));
  }

  std::vector<TTraceEntry> Trace() const;
  std::string ReceivedBytes() const;  // everything read from the line, filler included
  std::string SentBytes() const;      // everything written to it
  void ClearTrace();
  // Waits until at least `count` bytes have been read from the line.
  bool WaitForReceived(std::size_t count, int timeoutMs) const;

 private:
  using Clock = std::chrono::steady_clock;
  struct TLineRegister {
    TSimRegister setup;
    bool selected = false;
    int selections = 0;       // selection frames since the last deselection
    std::string lastCommand;  // for AcknowledgeOn
    int sends = 0;
    int commands = 0;  // commands answered or not since start
  };

  TSimRegister& FindRegister(int logicNo);
  bool OpenPseudoTerminal(std::string* error);
  bool OpenDevice(std::string* error);
  void Run();
  void HandleEvent(const TLineEvent& event);
  void Record(TTraceEntry entry);
  bool LineSpeedMatches() const;
  std::string BuildReply(const TRegisterFaults& faults, const std::string& payload) const;
  void SendReply(int logicNo, const TRegisterFaults& faults, const std::string& kind, const std::string& payload,
                 int extraDelayMs = 0);
  bool SleepUntil(Clock::time_point when);  // false when stopping
  void WriteAll(const std::string& bytes);
  std::chrono::nanoseconds ByteTime() const;

  TSimOptions options_;
  std::vector<TLineRegister> registers_;
  int lineFd_ = -1;
  int heldSlaveFd_ = -1;  // keeps the pseudo-terminal up between the program's opens
  int wake_[2] = {-1, -1};
  std::string slavePath_;
  std::thread thread_;
  std::atomic<bool> running_{false};
  Clock::time_point started_;
  Clock::time_point lineFreeAt_;  // pacing: when the line is idle again

  mutable std::mutex mutex_;
  mutable std::condition_variable receivedCv_;
  std::vector<TTraceEntry> trace_;
  std::string received_;
  std::string sent_;
};

}  // namespace vestok
