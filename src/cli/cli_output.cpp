#include "cli/cli_output.h"

#include <cstdio>
#include <ctime>

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

}  // namespace

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

void TOutput::EndBar() {
  if (!barShown_) return;
  err_ << "\r\033[K";
  barShown_ = false;
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
  if (total > 0) {
    constexpr std::size_t width = 30;
    const std::size_t filled = std::min(width, done * width / total);
    shown = "[" + std::string(filled, '#') + std::string(width - filled, '.') + "] " + std::to_string(done) + " din " +
            std::to_string(total);
  } else {
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - recordsSince_).count();
    char rate[32];
    std::snprintf(rate, sizeof rate, "%.1f", s > 0 ? double(done) / s : 0.0);
    shown = std::to_string(done) + " articole, " + rate + " pe secunda";
  }
  err_ << "\r\033[K" << Utf8FromCp1250(text) << "  " << shown;
  err_.flush();
  barShown_ = true;
}

void TOutput::Error(const std::string& reg, const std::string& text, std::optional<std::int32_t> no) {
  std::lock_guard lock(mutex_);
  if (json_) {
    out_ << Head("error", reg) << ",\"text\":" << JsonString(Utf8FromCp1250(text));
    if (no) out_ << ",\"no\":" << IntToText(*no);
    out_ << "}\n";
    out_.flush();
    return;
  }
  Plain(reg, text);
}

void TOutput::Warning(const std::string& reg, const std::string& text, std::optional<std::int32_t> no) {
  std::lock_guard lock(mutex_);
  if (json_) {
    out_ << Head("warning", reg) << ",\"text\":" << JsonString(Utf8FromCp1250(text));
    if (no) out_ << ",\"no\":" << IntToText(*no);
    out_ << "}\n";
    out_.flush();
    return;
  }
  Plain(reg, text);
}

void TOutput::Stop(const std::string& reg, const std::string& text, std::int32_t records) {
  std::lock_guard lock(mutex_);
  if (json_) {
    out_ << Head("stop", reg) << ",\"text\":" << JsonString(Utf8FromCp1250(text))
         << ",\"records\":" << IntToText(records) << "}\n";
    out_.flush();
    return;
  }
  Plain(reg, text);
}

void TOutput::Verdict(const std::string& reg, const std::string& text, std::int32_t errors) {
  std::lock_guard lock(mutex_);
  if (json_) {
    out_ << Head("verdict", reg) << ",\"text\":" << JsonString(Utf8FromCp1250(text))
         << ",\"errors\":" << IntToText(errors) << "}\n";
    out_.flush();
    return;
  }
  Plain(reg, text);
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
