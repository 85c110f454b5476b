#include "monitor/frame_decoder.h"

#include <charconv>

#include "ecr/frames.h"
#include "text/cp1250.h"
#include "text/number_text.h"

namespace vestok {
namespace {

constexpr char kHex[] = "0123456789ABCDEF";

bool IsDigit(char b) { return b >= '0' && b <= '9'; }

// Bytes that begin a frame the program sends, or are filler: a run of stray
// bytes ends at each of them.
bool BeginsSentFrame(char b) {
  return b == FillerChar || b == DeselectChar || b == SelectChar || b == FrameStart || b == AckChar;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::string FillerNote(int before, int after) {
  if (before == 0 && after == 0) return {};
  return "umplutura " + IntToText(before) + "+" + IntToText(after);
}

void AddNote(std::string& text, const std::string& note) {
  if (note.empty()) return;
  if (!text.empty()) text += ' ';
  text += '[' + note + ']';
}

}  // namespace

const char* MonitorKindName(TMonitorKind kind) {
  switch (kind) {
    case TMonitorKind::Open: return "open";
    case TMonitorKind::Close: return "close";
    case TMonitorKind::Purge: return "purge";
    case TMonitorKind::Deselect: return "deselect";
    case TMonitorKind::Select: return "select";
    case TMonitorKind::Command: return "command";
    case TMonitorKind::Ack: return "ack";
    case TMonitorKind::Reply: return "reply";
    case TMonitorKind::Noise: return "noise";
    case TMonitorKind::Timeout: return "timeout";
    case TMonitorKind::Error: return "error";
  }
  return "";
}

const char* MonitorDirectionName(TMonitorDirection direction) {
  switch (direction) {
    case TMonitorDirection::ToRegister: return "PC->ECR";
    case TMonitorDirection::FromRegister: return "ECR->PC";
    case TMonitorDirection::None: break;
  }
  return "-";
}

const char* MonitorCheckName(TMonitorCheck check) {
  switch (check) {
    case TMonitorCheck::Ok: return "ok";
    case TMonitorCheck::Bad: return "bad";
    case TMonitorCheck::None: break;
  }
  return "";
}

void AppendHexBytes(std::string& out, std::string_view bytes) {
  if (bytes.empty()) return;
  std::size_t at = out.size();
  out.resize(at + bytes.size() * 3 - 1);
  char* p = out.data() + at;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (i > 0) *p++ = ' ';
    *p++ = kHex[b >> 4];
    *p++ = kHex[b & 0x0F];
  }
}

std::string HexBytes(std::string_view bytes) {
  std::string out;
  AppendHexBytes(out, bytes);
  return out;
}

std::string ReadableBytes(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() + 8);
  for (char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (b == 0x0A) {
      out += "<LF>";
    } else if (b == 0x0D) {
      out += "<CR>";
    } else if (b == 0x00) {
      out += "<NUL>";
    } else if (b < 0x20 || b == 0x7F || b == 0xFF || (b >= 0x80 && b < 0xA0 && Cp1250ToUnicode(b) < 0xA0)) {
      out += '<';
      out += kHex[b >> 4];
      out += kHex[b & 0x0F];
      out += '>';
    } else {
      out += c;
    }
  }
  return out;
}

void AppendTraceLine(std::string& out, const TMonitorLine& line) {
  char time[32];
  const auto r = std::to_chars(time, time + sizeof time, line.TimeMs, std::chars_format::fixed, 3);
  out.append(time, r.ptr);
  out += '\t';
  out += MonitorDirectionName(line.Direction);
  out += '\t';
  out += MonitorKindName(line.Kind);
  out += '\t';
  if (line.Register >= 0) out += IntToText(line.Register);
  out += '\t';
  for (char c : line.Text) {
    if (static_cast<unsigned char>(c) >= 0x20 && static_cast<unsigned char>(c) < 0x80) {
      out += c;
      continue;
    }
    const char32_t u = Cp1250ToUnicode(static_cast<unsigned char>(c));
    AppendUtf8(out, (u == U'\t' || u == U'\n' || u == U'\r') ? U' ' : u);
  }
  out += '\t';
  out += MonitorCheckName(line.Check);
  out += '\t';
  AppendHexBytes(out, line.Bytes);
}

std::string TraceLine(const TMonitorLine& line) {
  std::string out;
  AppendTraceLine(out, line);
  return out;
}

void TFrameDecoder::Start(TStream& s, double ms, State state, char b) {
  if (s.fillerBefore == 0) s.startMs = ms;
  s.state = state;
  s.frame.assign(1, b);
  s.commandTail = -1;
}

void TFrameDecoder::Finish(TStream& s, TMonitorKind kind) {
  TMonitorLine line;
  line.TimeMs = s.startMs;
  line.Direction = s.direction;
  line.Kind = kind;
  line.Bytes.assign(static_cast<std::size_t>(s.fillerBefore), FillerChar);
  line.Bytes += s.frame;
  const std::string& f = s.frame;
  switch (kind) {
    case TMonitorKind::Select: {
      int n = 0;
      for (std::size_t i = 2; i < f.size(); ++i) n = n * 10 + (f[i] - '0');
      selected_ = n;
      line.Text = f.substr(2);
      break;
    }
    case TMonitorKind::Deselect:
      selected_ = -1;
      break;
    case TMonitorKind::Command:
      line.Text = ReadableBytes(f.substr(1, f.size() - 4));
      line.Check = Crc16(std::string_view(f).substr(1)) == 0 ? TMonitorCheck::Ok : TMonitorCheck::Bad;
      break;
    case TMonitorKind::Reply: {
      line.Text = ReadableBytes(ReplyPayload(f));
      const ReplyCoverage coverage = CheckReplyCoverage(f);
      line.Check = coverage == ReplyCoverage::None ? TMonitorCheck::Bad : TMonitorCheck::Ok;
      std::string note = "octet initial " + HexBytes(f.substr(0, 1));
      if (coverage == ReplyCoverage::FromFirstByte) note += "; control dupa octetul initial";
      if (coverage == ReplyCoverage::AfterLeadingLF) note += "; control dupa LF";
      if (f.size() < MinReplyLength) note += "; prea scurt";
      AddNote(line.Text, note);
      break;
    }
    case TMonitorKind::Noise:
      line.Text = ReadableBytes(f);
      break;
    default:
      break;
  }
  // A deselection concerns no register; every other frame the one selected.
  if (kind != TMonitorKind::Deselect) line.Register = selected_;
  s.held = true;
  s.heldLine = std::move(line);
  s.heldFillerBefore = s.fillerBefore;
  s.heldFillerAfter = 0;
  s.frame.clear();
  s.fillerBefore = 0;
  s.state = State::Idle;
  s.commandTail = -1;
}

void TFrameDecoder::ReleaseHeld(TStream& s, TLines& out) {
  if (!s.held) return;
  s.held = false;
  AddNote(s.heldLine.Text, FillerNote(s.heldFillerBefore, s.heldFillerAfter));
  out.push_back(std::move(s.heldLine));
}

void TFrameDecoder::Step(TStream& s, double ms, char b, TLines& out) {
  if (s.held) {
    if (b == FillerChar) {
      ++s.heldFillerAfter;
      s.heldLine.Bytes += b;
      return;
    }
    ReleaseHeld(s, out);
  }
  const bool toRegister = s.direction == TMonitorDirection::ToRegister;
  switch (s.state) {
    case State::Idle:
      if (b == FillerChar) {
        if (s.fillerBefore == 0) s.startMs = ms;
        ++s.fillerBefore;
      } else if (!toRegister) {
        Start(s, ms, State::Reply, b);
      } else if (b == DeselectChar) {
        Start(s, ms, State::Deselect, b);
      } else if (b == SelectChar) {
        Start(s, ms, State::Select, b);
      } else if (b == FrameStart) {
        Start(s, ms, State::Command, b);
      } else if (b == AckChar) {
        Start(s, ms, State::Idle, b);
        Finish(s, TMonitorKind::Ack);
      } else {
        Start(s, ms, State::Noise, b);
      }
      return;
    case State::Deselect:
      if (b == DeselectChar) {
        s.frame += b;
        if (s.frame.size() == 3) Finish(s, TMonitorKind::Deselect);
        return;
      }
      break;
    case State::Select:
      if (s.frame.size() < 2) {
        if (b == SelectChar) {
          s.frame += b;
          return;
        }
        break;
      }
      if (IsDigit(b)) {
        s.frame += b;
        return;
      }
      if (s.frame.size() == 2) break;
      Finish(s, TMonitorKind::Select);
      Step(s, ms, b, out);
      return;
    case State::Command:
    case State::Reply:
      s.frame += b;
      if (s.commandTail < 0) {
        if (b == FrameEnd) s.commandTail = 2;
      } else if (--s.commandTail == 0) {
        Finish(s, s.state == State::Command ? TMonitorKind::Command : TMonitorKind::Reply);
      }
      return;
    case State::Noise:
      if (!BeginsSentFrame(b)) {
        s.frame += b;
        return;
      }
      break;
  }
  // The frame in progress cannot go on with this byte: what came so far is
  // stray, and the byte is looked at afresh.
  Finish(s, TMonitorKind::Noise);
  Step(s, ms, b, out);
}

void TFrameDecoder::Feed(TStream& s, double ms, std::string_view bytes, TLines& out) {
  for (char b : bytes) Step(s, ms, b, out);
  ReleaseHeld(s, out);  // filler after a frame is counted up to the end of its read or send
}

void TFrameDecoder::EndUnfinished(TStream& s, TLines& out) {
  ReleaseHeld(s, out);
  if (s.state == State::Select && s.frame.size() > 2) {
    Finish(s, TMonitorKind::Select);
  } else if (s.state != State::Idle) {
    Finish(s, TMonitorKind::Noise);
  } else if (s.fillerBefore > 0) {
    TMonitorLine line;
    line.TimeMs = s.startMs;
    line.Direction = s.direction;
    line.Kind = TMonitorKind::Noise;
    line.Register = selected_;
    line.Bytes.assign(static_cast<std::size_t>(s.fillerBefore), FillerChar);
    line.Text = "[umplutura " + IntToText(s.fillerBefore) + "]";
    s.fillerBefore = 0;
    out.push_back(std::move(line));
    return;
  }
  if (s.held) {  // stray bytes or a selection end here: no filler follows
    s.held = false;
    AddNote(s.heldLine.Text, FillerNote(s.heldFillerBefore, 0));
    out.push_back(std::move(s.heldLine));
  }
}

void TFrameDecoder::Sent(double ms, std::string_view bytes, TLines& out) {
  // The program stopped reading when it sends: a reply not finished by now
  // never will be.
  EndUnfinished(from_, out);
  Feed(to_, ms, bytes, out);
}

void TFrameDecoder::Received(double ms, std::string_view bytes, TLines& out) {
  EndUnfinished(to_, out);
  Feed(from_, ms, bytes, out);
}

void TFrameDecoder::Timeout(double ms, int timeoutMs, bool byteWait, TLines& out) {
  EndUnfinished(to_, out);
  TMonitorLine line;
  line.TimeMs = ms;
  line.Direction = TMonitorDirection::FromRegister;
  line.Kind = TMonitorKind::Timeout;
  line.Register = selected_;
  line.Text = (byteWait ? "niciun octet in " : "niciun raspuns in ") + IntToText(timeoutMs) + " ms";
  out.push_back(std::move(line));
}

void TFrameDecoder::PortEvent(double ms, TMonitorKind kind, std::string text, TLines& out) {
  Flush(out);
  if (kind == TMonitorKind::Open || kind == TMonitorKind::Close) selected_ = -1;
  TMonitorLine line;
  line.TimeMs = ms;
  line.Kind = kind;
  line.Text = std::move(text);
  out.push_back(std::move(line));
}

void TFrameDecoder::Flush(TLines& out) {
  EndUnfinished(to_, out);
  EndUnfinished(from_, out);
}

}  // namespace vestok
