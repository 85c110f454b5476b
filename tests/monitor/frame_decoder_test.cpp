// The line monitor's decoder against byte streams written out byte by byte.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "monitor/frame_decoder.h"
#include "monitor/port_failure.h"

namespace vestok {
namespace {

// "FF 0A 31" as bytes.
std::string H(const char* hex) {
  std::string out;
  for (const char* p = hex; *p;) {
    if (*p == ' ') {
      ++p;
      continue;
    }
    out += static_cast<char>(std::stoi(std::string(p, 2), nullptr, 16));
    p += 2;
  }
  return out;
}

const char kDeselect[] = "FF FF FF FF FF FF FF FF FF FF 13 13 13 FF FF FF FF FF";
const char kSelect01[] = "FF FF FF FF FF FF FF FF FF FF 11 11 30 31 FF FF FF FF FF";
const char kCommandT0[] = "FF FF FF FF FF 0A 54 30 0D 5F B3 FF FF FF FF FF";

struct Summary {
  TMonitorDirection dir;
  TMonitorKind kind;
  int reg;
  std::string text;
  TMonitorCheck check;
  bool operator==(const Summary&) const = default;
};

void PrintTo(const Summary& s, std::ostream* os) {
  *os << MonitorDirectionName(s.dir) << ' ' << MonitorKindName(s.kind) << ' ' << s.reg << " '" << s.text << "' "
      << MonitorCheckName(s.check);
}

std::vector<Summary> Summarize(const std::vector<TMonitorLine>& lines) {
  std::vector<Summary> out;
  for (const auto& l : lines) out.push_back({l.Direction, l.Kind, l.Register, l.Text, l.Check});
  return out;
}

constexpr auto To = TMonitorDirection::ToRegister;
constexpr auto From = TMonitorDirection::FromRegister;
constexpr auto Ok = TMonitorCheck::Ok;
constexpr auto Bad = TMonitorCheck::Bad;
constexpr auto NoCheck = TMonitorCheck::None;

TEST(FrameDecoderTest, DecodesAWholeExchangeWithSplitReadsFillerAndOneReadHoldingTwoReplies) {
  TFrameDecoder d;
  std::vector<TMonitorLine> out;
  d.Sent(0, H(kDeselect), out);
  d.Sent(1, H(kSelect01), out);
  // The answer to the selection arrives in two reads, with filler after it.
  d.Received(2, H("0A 31 32 33 34"), out);
  d.Received(3, H("3B 35 3B 0D 7E A7 FF FF"), out);
  d.Sent(4, H("06"), out);
  d.Sent(5, H(kCommandT0), out);
  // Two replies in one read.
  d.Received(6, H("0A 31 32 0D 5C 37 0A 31 32 0D 5C 37"), out);
  d.Sent(7, H(kDeselect), out);

  const std::vector<Summary> expected = {
      {To, TMonitorKind::Deselect, -1, "[umplutura 10+5]", NoCheck},
      {To, TMonitorKind::Select, 1, "01 [umplutura 10+5]", NoCheck},
      {From, TMonitorKind::Reply, 1, "1234;5; [octet initial 0A; control dupa octetul initial] [umplutura 0+2]", Ok},
      {To, TMonitorKind::Ack, 1, "", NoCheck},
      {To, TMonitorKind::Command, 1, "T0 [umplutura 5+5]", Ok},
      {From, TMonitorKind::Reply, 1, "12 [octet initial 0A; control dupa octetul initial]", Ok},
      {From, TMonitorKind::Reply, 1, "12 [octet initial 0A; control dupa octetul initial]", Ok},
      {To, TMonitorKind::Deselect, -1, "[umplutura 10+5]", NoCheck},
  };
  EXPECT_EQ(Summarize(out), expected);
  // Every byte is in exactly one line, filler included, and the split reply
  // keeps the time of its first byte.
  std::string all;
  for (const auto& l : out) all += l.Bytes;
  EXPECT_EQ(all, H(kDeselect) + H(kSelect01) + H("0A 31 32 33 34 3B 35 3B 0D 7E A7 FF FF 06") + H(kCommandT0) +
                     H("0A 31 32 0D 5C 37 0A 31 32 0D 5C 37") + H(kDeselect));
  EXPECT_EQ(out[2].TimeMs, 2);
  EXPECT_EQ(out[2].Bytes, H("0A 31 32 33 34 3B 35 3B 0D 7E A7 FF FF"));
}

TEST(FrameDecoderTest, ShowsWrongChecksOtherCoverageStrayBytesAndTimeouts) {
  TFrameDecoder d;
  std::vector<TMonitorLine> out;
  d.Sent(0, H("FF FF FF FF FF FF FF FF FF FF 11 11 30 37 FF FF FF FF FF"), out);
  d.Timeout(10, 30, false, out);
  // A reply whose check is wrong, and one whose check leaves out its leading LF.
  d.Received(20, H("0A 31 32 0D 00 00"), out);
  d.Received(21, H("02 0A 31 32 33 34 3B 35 3B 0D 7E A7"), out);
  // Stray bytes from the register: the program sends before they make a reply.
  d.Received(22, H("55 AA"), out);
  d.Sent(23, H("41 42 06"), out);  // two stray bytes before the ACK on the wire
  // A command whose check bytes were damaged, and a reply cut off by the
  // byte time-outs of the reader.
  d.Sent(24, H("FF FF FF FF FF 0A 54 30 0D 00 00 FF FF FF FF FF"), out);
  d.Received(25, H("0A 31"), out);
  d.Timeout(26, 30, true, out);
  d.PortEvent(27, TMonitorKind::Close, "/dev/ttyS0", out);
  // Five bytes are never a valid reply, whatever their check.
  d.Received(28, H("0A 44 0D F8 09"), out);
  d.Flush(out);

  const std::vector<Summary> expected = {
      {To, TMonitorKind::Select, 7, "07 [umplutura 10+5]", NoCheck},
      {From, TMonitorKind::Timeout, 7, "niciun raspuns in 30 ms", NoCheck},
      {From, TMonitorKind::Reply, 7, "12 [octet initial 0A]", Bad},
      {From, TMonitorKind::Reply, 7, "<LF>1234;5; [octet initial 02; control dupa LF]", Ok},
      {From, TMonitorKind::Noise, 7, "U\xAA", NoCheck},
      {To, TMonitorKind::Noise, 7, "AB", NoCheck},
      {To, TMonitorKind::Ack, 7, "", NoCheck},
      {To, TMonitorKind::Command, 7, "T0 [umplutura 5+5]", Bad},
      {From, TMonitorKind::Timeout, 7, "niciun octet in 30 ms", NoCheck},
      {From, TMonitorKind::Noise, 7, "<LF>1", NoCheck},
      {TMonitorDirection::None, TMonitorKind::Close, -1, "/dev/ttyS0", NoCheck},
      {From, TMonitorKind::Reply, -1, "D [octet initial 0A; prea scurt]", Bad},
  };
  EXPECT_EQ(Summarize(out), expected);
}

TEST(FrameDecoderTest, TraceLineHasSevenTabSeparatedColumnsInUtf8) {
  TMonitorLine line;
  line.TimeMs = 1234.5;
  line.Direction = TMonitorDirection::ToRegister;
  line.Kind = TMonitorKind::Command;
  line.Register = 3;
  line.Text = "W0;1;P\xE3INE;";  // cp1250 a-breve
  line.Check = TMonitorCheck::Ok;
  line.Bytes = H("0A 57 FF");
  EXPECT_EQ(TraceLine(line), "1234.500\tPC->ECR\tcommand\t3\tW0;1;P\xC4\x83INE;\tok\t0A 57 FF");
  line = TMonitorLine{};
  line.Kind = TMonitorKind::Open;
  line.Text = "COM1: OK";
  EXPECT_EQ(TraceLine(line), "0.000\t-\topen\t\tCOM1: OK\t\t");
}

TEST(FrameDecoderTest, FailureReasonsNameWhatTheTechnicianCanDo) {
  EXPECT_EQ(PortFailureReason(EACCES), "utilizatorul nu are drept de acces la port; adaugati-l in grupul dialout");
  EXPECT_EQ(PortFailureReason(EPERM), PortFailureReason(EACCES));
  EXPECT_EQ(PortFailureReason(ENOENT), PortFailureReason(ENODEV));
  EXPECT_NE(PortFailureReason(EBUSY), PortFailureReason(ENOTTY));
  EXPECT_EQ(PortFailureReason(EBUSY), "portul este ocupat de alt program");
  EXPECT_EQ(PortFailureReason(EIO, true), PortFailureReason(EBADF, true));
  EXPECT_EQ(PortFailureReason(0), "");
  EXPECT_EQ(PortFailureReason(9997), "");
}

}  // namespace
}  // namespace vestok
