#pragma once
// The simulator's trace: one entry per frame in either direction, with the
// time since the simulator started, for tests and for the technician's eye.
#include <string>

namespace vestok {

struct TTraceEntry {
  double ms = 0;          // since the simulator started
  bool fromPc = true;     // PC -> ECR, or ECR -> PC
  int logicNo = 0;        // the register concerned (0 when none)
  std::string kind;       // "deselect", "select", "ack", "command", "noise", "answer", "reply"
  std::string bytes;      // the frame without filler (a reply: as sent, cut or not)
  std::string text;       // command text or reply payload
  std::string check;      // "ok", "bad", "wrong" (a reply sent with wrong check bytes), or ""
};

// Bytes as readable text: printable ASCII and the letters of the code page as
// they are, control bytes as <LF>, <CR>, <NUL>, <xx>.
std::string ReadableBytes(const std::string& bytes);
std::string HexBytes(const std::string& bytes);

// "   12.345 PC->ECR   command  W0;12;COLA;...  [check ok]  FF 0A ..." in UTF-8.
std::string FormatTraceEntry(const TTraceEntry& entry);

}  // namespace vestok
