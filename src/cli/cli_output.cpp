#include "cli/cli_output.h"

#if __has_include(<sys/ioctl.h>)
#include <sys/ioctl.h>
#endif
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string_view>

#include "text/cp1250.h"
#include "text/number_text.h"

namespace vestok::cli {

namespace {

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += char(c);
  } else if (c < 0x800) {
    out += char(0xC0 | (c >> 6));
    out += char(0x80 | (c & 0x3F));
  } else {
    out += char(0xE0 | (c >> 12));
    out += char(0x80 | ((c >> 6) & 0x3F));
    out += char(0x80 | (c & 0x3F));
  }
}

std::string Seconds(double s) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.3f", s);
  return buf;
}

std::string UtcNow() {
  const auto now = std::chrono::system_clock::now();
  const std::time_t t = std::chrono::system_clock::to_time_t(now);
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000;
  std::tm tm{};
  gmtime_r(&t, &tm);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                tm.tm_hour, tm.tm_min, tm.tm_sec, int(ms));
  return buf;
}

// The columns UTF-8 text takes: one per character.
int Columns(std::string_view utf8) {
  int n = 0;
  for (const char c : utf8) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return n;
}

// The first `columns` characters of UTF-8 text.
std::string CutColumns(const std::string& utf8, int columns) {
  std::size_t at = 0;
  for (int n = 0; at < utf8.size(); ++at) {
    if ((static_cast<unsigned char>(utf8[at]) & 0xC0) == 0x80) continue;
    if (n++ == columns) break;
  }
  return utf8.substr(0, at);
}

// "text  shown" in `width` columns: the text is cut first, the count last.
std::string FitColumns(const std::string& text, const std::string& shown, int width) {
  const int room = width - 2 - Columns(shown);
  if (Columns(text) <= room) return text + "  " + shown;
  if (room >= 8) return CutColumns(text, room) + "  " + shown;
  return CutColumns(shown, std::max(width, 1));
}

}  // namespace

TTerminal ErrorTerminal() {
  TTerminal t;
  t.Fd = STDERR_FILENO;
  const char* term = std::getenv("TERM");
  t.Escapes = !(term && std::string_view(term) == "dumb");
  return t;
}

int TerminalColumns(const TTerminal& t) {
#if __has_include(<sys/ioctl.h>)
  winsize ws{};
  if (t.Fd >= 0 && ::ioctl(t.Fd, TIOCGWINSZ, &ws) == 0 && ws.ws_col > 0) return ws.ws_col;
#endif
  if (const char* env = std::getenv("COLUMNS"))
    if (const auto n = ParseInt32(env); n && *n > 0) return *n;
  return t.Columns;
}

std::string Utf8FromCp1250(const std::string& bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (const char ch : bytes) AppendUtf8(out, Cp1250ToUnicode(static_cast<unsigned char>(ch)));
  return out;
}

std::string JsonString(const std::string& utf8) {
  std::string out = "\"";
  for (const char ch : utf8) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += ch;
    } else if (c < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", c);
      out += buf;
    } else {
      out += ch;
    }
  }
  return out + "\"";
}

TOutput::TOutput(bool json, bool bar, std::ostream& out, std::ostream& err)
    : json_(json), bar_(bar && !json), out_(out), err_(err), begin_(std::chrono::steady_clock::now()) {}

std::string TOutput::Head(const char* event, const std::string& reg) const {
  const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin_).count();
  return std::string("{\"event\":\"") + event + "\",\"time\":\"" + UtcNow() + "\",\"elapsed\":" + Seconds(elapsed) +
         ",\"register\":" + JsonString(Utf8FromCp1250(reg));
}

void TOutput::SetTerminal(const TTerminal& terminal) {
  std::lock_guard lock(mutex_);
  terminal_ = terminal;
}

void TOutput::EndBar() {
  if (!barShown_) return;
  if (terminal_.Escapes) err_ << "\r\033[K";
  else err_ << '\r' << std::string(barColumns_, ' ') << '\r';
  barShown_ = false;
  barColumns_ = 0;
}

void TOutput::Plain(const std::string& reg, const std::string& text) {
  EndBar();
  if (prefix_) err_ << Utf8FromCp1250(reg) << ": ";
  err_ << Utf8FromCp1250(text) << '\n';
  err_.flush();
}

void TOutput::Start(const std::string& reg, const std::string& command, const std::string& table) {
  std::lock_guard lock(mutex_);
  recordsSince_ = std::chrono::steady_clock::now();
  if (!json_) return;
  out_ << Head("start", reg) << ",\"command\":" << JsonString(command) << ",\"table\":" << JsonString(table) << "}\n";
  out_.flush();
}

void TOutput::Line(const std::string& reg, const std::string& text) {
  std::lock_guard lock(mutex_);
  if (json_) return;  // the start event stands for it
  Plain(reg, text);
}

void TOutput::Record(const std::string& reg, const std::string& text, std::int32_t no, std::size_t done,
                     std::size_t total) {
  std::lock_guard lock(mutex_);
  if (json_) {
    out_ << Head("record", reg) << ",\"no\":" << IntToText(no) << ",\"done\":" << done;
    if (total > 0) out_ << ",\"total\":" << total;
    out_ << "}\n";
    out_.flush();
    return;
  }
  if (!bar_) {
    Plain(reg, text);
    return;
  }
  std::string shown;
  const int width = TerminalColumns(terminal_) - 1;  // the last column would wrap on some terminals
  const std::string line = Utf8FromCp1250(text);
  if (total > 0) {
    const std::string count = " " + std::to_string(done) + " din " + std::to_string(total);
    const int room = width - Columns(line) - 4 - Columns(count);
    const std::size_t bar = std::size_t(std::clamp(room, 0, 30));
    if (bar >= 5) {
      const std::size_t filled = std::min(bar, done * bar / total);
      shown = "[" + std::string(filled, '#') + std::string(bar - filled, '.') + "]" + count;
    } else {
      shown = count.substr(1);
    }
  } else {
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - recordsSince_).count();
    char rate[32];
    std::snprintf(rate, sizeof rate, "%.1f", s > 0 ? double(done) / s : 0.0);
    shown = std::to_string(done) + (done == 1 ? " articol, " : " articole, ") + rate + " pe secunda";
  }
  const std::string drawn = FitColumns(line, shown, width);
  const int columns = Columns(drawn);
  if (terminal_.Escapes) err_ << "\r\033[K" << drawn;
  else err_ << '\r' << drawn << std::string(std::size_t(std::max(0, barColumns_ - columns)), ' ');
  err_.flush();
  barShown_ = true;
  barColumns_ = std::max(barColumns_, columns);
}

void TOutput::TextEvent(const char* event, const std::string& reg, const std::string& text, const std::string& tail) {
  std::lock_guard lock(mutex_);
  if (json_) {
    out_ << Head(event, reg) << ",\"text\":" << JsonString(Utf8FromCp1250(text)) << tail << "}\n";
    out_.flush();
    return;
  }
  Plain(reg, text);
}

namespace {
std::string NoField(std::optional<std::int32_t> no) { return no ? ",\"no\":" + IntToText(*no) : std::string(); }
}  // namespace

void TOutput::Error(const std::string& reg, const std::string& text, std::optional<std::int32_t> no) {
  TextEvent("error", reg, text, NoField(no));
}

void TOutput::Warning(const std::string& reg, const std::string& text, std::optional<std::int32_t> no) {
  TextEvent("warning", reg, text, NoField(no));
}

void TOutput::Stop(const std::string& reg, const std::string& text, std::int32_t records) {
  TextEvent("stop", reg, text, ",\"records\":" + IntToText(records));
}

void TOutput::Verdict(const std::string& reg, const std::string& text, std::int32_t errors) {
  TextEvent("verdict", reg, text, ",\"errors\":" + IntToText(errors));
}

void TOutput::Result(const std::string& reg, const std::string& text,
                     const std::vector<std::pair<std::string, std::string>>& fields) {
  std::lock_guard lock(mutex_);
  if (json_) {
    out_ << Head("result", reg);
    for (const auto& [name, value] : fields) out_ << ",\"" << name << "\":" << value;
    out_ << "}\n";
  } else {
    EndBar();
    if (prefix_) out_ << Utf8FromCp1250(reg) << ": ";
    out_ << Utf8FromCp1250(text) << '\n';
  }
  out_.flush();
}

void TOutput::Summary(const TRunReport& r) {
  std::lock_guard lock(mutex_);
  if (!json_) return;
  out_ << Head("summary", r.Register) << ",\"port\":" << JsonString(Utf8FromCp1250(r.Port))
       << ",\"command\":" << JsonString(r.Command) << ",\"records\":" << IntToText(r.Records)
       << ",\"errors\":" << IntToText(r.Errors) << ",\"seconds\":" << Seconds(r.Seconds)
       << ",\"status\":" << r.Status << "}\n";
  out_.flush();
}

void TOutput::SummaryTable(const std::vector<TRunReport>& reports, int status) {
  std::lock_guard lock(mutex_);
  if (json_) {
    out_ << Head("summary", "") << ",\"lines\":" << reports.size() << ",\"status\":" << status << "}\n";
    out_.flush();
    return;
  }
  EndBar();
  char line[256];
  std::snprintf(line, sizeof line, "%-24s %-20s %-13s %8s %7s %9s %6s\n", "casa", "port", "comanda", "inreg.",
                "erori", "timp [s]", "stare");
  out_ << line;
  for (const TRunReport& r : reports) {
    std::snprintf(line, sizeof line, "%-24s %-20s %-13s %8d %7d %9.1f %6d\n", Utf8FromCp1250(r.Register).c_str(),
                  Utf8FromCp1250(r.Port).c_str(), r.Command.c_str(), int(r.Records), int(r.Errors), r.Seconds,
                  r.Status);
    out_ << line;
  }
  out_.flush();
}

}  // namespace vestok::cli
