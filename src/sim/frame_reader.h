#pragma once
// The register's reading of the line: it takes the bytes the program sends one
// at a time and recognises deselection (three DC3), selection (two DC1 and
// decimal digits, ended by the first byte that is no digit, normally filler),
// the acknowledgement byte and command frames (LF, text, CR, two check bytes).
// Filler between frames is counted, anything else is reported as noise.
#include <cstdint>
#include <optional>
#include <string>

namespace vestok {

struct TLineEvent {
  enum class Kind { Deselect, Select, Ack, Command, Noise };
  Kind kind = Kind::Noise;
  std::string bytes;       // the frame without filler
  int fillerBefore = 0;    // filler bytes since the previous frame
  int logicNo = 0;         // Select
  std::string text;        // Command: the text between LF and CR
  bool checkOk = false;    // Command: the check bytes match the text and CR
};

class TFrameReader {
 public:
  // The event the byte completes, if any. A byte that ends a selection (the
  // first one after its digits) is read as the start of what follows as well,
  // so one byte may complete two events; the second comes from Pending().
  std::optional<TLineEvent> Feed(char byte);
  std::optional<TLineEvent> Pending();

 private:
  enum class State { Idle, Deselect, Select, SelectDigits, Command, Check };
  std::optional<TLineEvent> Emit(TLineEvent::Kind kind);
  std::optional<TLineEvent> FeedIdle(char byte);

  State state_ = State::Idle;
  std::string frame_;
  std::string text_;
  int filler_ = 0;
  std::optional<TLineEvent> pending_;
};

}  // namespace vestok
