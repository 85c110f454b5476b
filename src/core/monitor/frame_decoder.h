#pragma once
// The line monitor's decoder: turns the raw bytes that went out and came in
// into the frames of the register link, from the frame rules of the program
// (deselection, selection of n, command with its check, ACK, reply with its
// lead byte and check), counting the filler around each and keeping stray
// bytes apart. It decodes what was on the wire, not what the program meant to
// send, so a damaged frame shows as such. Pure: no input or output, no clock.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vestok {

enum class TMonitorDirection { None, ToRegister, FromRegister };
enum class TMonitorKind { Open, Close, Purge, Deselect, Select, Command, Ack, Reply, Noise, Timeout, Error };
enum class TMonitorCheck { None, Ok, Bad };

// One line of the monitor and of the trace file.
struct TMonitorLine {
  double TimeMs = 0;  // since the first event
  TMonitorDirection Direction = TMonitorDirection::None;
  TMonitorKind Kind = TMonitorKind::Noise;
  int Register = -1;   // the logical number concerned; -1 for none
  std::string Text;    // Windows-1250 bytes
  TMonitorCheck Check = TMonitorCheck::None;
  std::string Bytes;   // as on the wire, filler included
  bool operator==(const TMonitorLine&) const = default;
};

// "open", "close", "purge", "deselect", "select", "command", "ack", "reply",
// "noise", "timeout", "error".
const char* MonitorKindName(TMonitorKind kind);
// "PC->ECR", "ECR->PC" or "-".
const char* MonitorDirectionName(TMonitorDirection direction);
// "ok", "bad" or "".
const char* MonitorCheckName(TMonitorCheck check);
// The bytes in hex, two digits each, separated by blanks.
std::string HexBytes(std::string_view bytes);
void AppendHexBytes(std::string& out, std::string_view bytes);
// Printable bytes of the code page as they are, the others as <LF>, <CR>,
// <NUL> or <xx>.
std::string ReadableBytes(std::string_view bytes);
// The line as the trace file holds it: UTF-8, tab-separated columns (time in
// ms with three decimals, direction, kind, register, text, check, bytes).
std::string TraceLine(const TMonitorLine& line);
void AppendTraceLine(std::string& out, const TMonitorLine& line);

class TFrameDecoder {
 public:
  using TLines = std::vector<TMonitorLine>;

  // Bytes that went out to the register at `ms`.
  void Sent(double ms, std::string_view bytes, TLines& out);
  // Bytes that came in from the register at `ms`.
  void Received(double ms, std::string_view bytes, TLines& out);
  // A wait for the register that ran out after `timeoutMs`; `byteWait` for
  // the wait of one byte of a reply, otherwise a wait for an answer to start.
  void Timeout(double ms, int timeoutMs, bool byteWait, TLines& out);
  // A port event (open, close, purge, error). Frames left unfinished in
  // either direction end before it, as stray bytes.
  void PortEvent(double ms, TMonitorKind kind, std::string text, TLines& out);
  // Ends whatever is unfinished in both directions.
  void Flush(TLines& out);

  // The register selected last (-1 after a deselection).
  int SelectedRegister() const { return selected_; }

 private:
  enum class State { Idle, Deselect, Select, Command, Reply, Noise };
  struct TStream {
    explicit TStream(TMonitorDirection d) : direction(d) {}
    TMonitorDirection direction;
    State state = State::Idle;
    std::string frame;       // bytes of the frame in progress, without filler
    int fillerBefore = 0;
    double startMs = 0;
    int commandTail = -1;    // check bytes still to come after CR; -1 before CR
    bool held = false;       // a finished frame taking its trailing filler
    TMonitorLine heldLine;
    int heldFillerBefore = 0;
    int heldFillerAfter = 0;
  };

  void Feed(TStream& s, double ms, std::string_view bytes, TLines& out);
  void Step(TStream& s, double ms, char b, TLines& out);
  void Start(TStream& s, double ms, State state, char b);
  // Ends the frame in progress as a line held for the filler after it.
  void Finish(TStream& s, TMonitorKind kind);
  void EndUnfinished(TStream& s, TLines& out);
  void ReleaseHeld(TStream& s, TLines& out);

  TStream to_{TMonitorDirection::ToRegister};
  TStream from_{TMonitorDirection::FromRegister};
  int selected_ = -1;
};

}  // namespace vestok
