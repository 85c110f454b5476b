// The bytes on the wire, spelled out rather than taken from the constants
// under test.
#include <gtest/gtest.h>

#include "ecr/frames.h"

namespace vestok {
namespace {

std::string Bytes(std::initializer_list<int> values) {
  std::string out;
  for (int v : values) out += static_cast<char>(v);
  return out;
}

std::string Filler(int n) { return std::string(static_cast<std::size_t>(n), '\xFF'); }

static_assert(Crc16("123456789") == 0xA829, "the check is computed at compile time");

TEST(Crc16, MatchesTheCheckValueAndTheKnownValues) {
  EXPECT_EQ(Crc16("123456789"), 0xA829);
  EXPECT_EQ(Crc16(""), 0x0000);
  EXPECT_EQ(Crc16("\r"), 0x8009);
  EXPECT_EQ(Crc16("abc"), 0xBC3C);
  EXPECT_EQ(Crc16(Bytes({0x54, 0x30, 0x0D})), 0x5FB3);
}

TEST(Crc16, TableFormAgreesWithTheBitwiseAlgorithm) {
  auto bitwise = [](const std::string& s) {
    unsigned reg = 0;
    for (unsigned char c : s) {
      reg ^= unsigned(c) << 8;
      for (int i = 0; i < 8; ++i) reg = (reg & 0x8000) ? ((reg << 1) ^ 0x8001) & 0xFFFF : (reg << 1) & 0xFFFF;
    }
    return reg;
  };
  std::string all;
  for (int i = 0; i < 256; ++i) all += static_cast<char>(i);
  for (std::size_t len = 0; len <= all.size(); len += 17) EXPECT_EQ(Crc16(all.substr(0, len)), bitwise(all.substr(0, len)));
}

TEST(Crc16, MessageFollowedByItsCheckBytesGivesZero) {
  const std::string text = "R0;1;\r";
  EXPECT_EQ(Crc16(text + CheckBytes(text)), 0);
  EXPECT_EQ(CheckBytes(Bytes({0x54, 0x30, 0x0D})), Bytes({0x5F, 0xB3}));
}

TEST(Frames, WorkedExamplesByteForByte) {
  EXPECT_EQ(BuildCommandFrame("T0"), Filler(5) + Bytes({0x0A, 0x54, 0x30, 0x0D, 0x5F, 0xB3}) + Filler(5));
  EXPECT_EQ(BuildCommandFrame("t0"), BuildCommandFrame("T0"));
  EXPECT_EQ(BuildSelectFrame(1), Filler(10) + Bytes({0x11, 0x11, 0x30, 0x31}) + Filler(5));
  EXPECT_EQ(BuildDeselectFrame(), Filler(10) + Bytes({0x13, 0x13, 0x13}) + Filler(5));
  EXPECT_EQ(BuildDeselectFrame().size(), 18u);
  EXPECT_EQ(BuildSelectFrame(42).size(), 19u);
}

TEST(Frames, EmptyCommandCarriesOnlyTheCheckOfCr) {
  EXPECT_EQ(BuildCommandFrame(""), Filler(5) + Bytes({0x0A, 0x0D, 0x80, 0x09}) + Filler(5));
}

TEST(Frames, CommandTextUpperCasesAsciiOnlyAndEscapesNothing) {
  EXPECT_EQ(BuildCommandFrame("w0;1;"), BuildCommandFrame("W0;1;"));
  const std::string withDiacritic = "W0;1;p\xE3ine;";
  const std::string frame = BuildCommandFrame(withDiacritic);
  EXPECT_EQ(frame.substr(5, 1 + withDiacritic.size()), "\nW0;1;P\xE3INE;");
  EXPECT_EQ(frame.size(), withDiacritic.size() + 14);

  const std::string controls = "A\rB\nC";
  const std::string f2 = BuildCommandFrame(controls);
  EXPECT_EQ(f2.substr(6, controls.size()), controls);
  EXPECT_EQ(f2.substr(6 + controls.size() + 1, 2), CheckBytes(controls + "\r"));
}

TEST(Frames, SelectionDigits) {
  auto digits = [](int n) {
    const std::string f = BuildSelectFrame(n);
    return f.substr(12, f.size() - 12 - 5);
  };
  EXPECT_EQ(digits(7), "07");
  EXPECT_EQ(digits(10), "10");
  EXPECT_EQ(digits(0), "00");
  EXPECT_EQ(digits(100), "100");
  EXPECT_EQ(BuildSelectFrame(100).size(), 20u);
}

TEST(Frames, FillerHelpers) {
  EXPECT_EQ(PrependFiller("ab", 3), "\xFF\xFF\xFF" "ab");
  EXPECT_EQ(AppendFiller("ab", 2), "ab\xFF\xFF");
  EXPECT_EQ(PrependFiller("ab", 0), "ab");
}

TEST(Replies, CheckCoversPayloadAndCrAfterAnyLeadByte) {
  const std::string payload = "12";
  const std::string tail = payload + "\r" + CheckBytes(payload + "\r");
  for (char lead : {'\x0A', '\x00', '\xFF', 'X'}) {
    const std::string reply = std::string(1, lead) + tail;
    EXPECT_TRUE(CheckReply(reply));
    EXPECT_EQ(ReplyPayload(reply), "12");
  }
  std::string bad = "\n" + tail;
  bad.back() = static_cast<char>(bad.back() ^ 1);
  EXPECT_FALSE(CheckReply(bad));
}

TEST(Replies, FiveBytesAreNeverValid) {
  // lead, "D", CR and two check bytes that would match
  const std::string reply = "\nD\r" + CheckBytes("D\r");
  ASSERT_EQ(reply.size(), 5u);
  EXPECT_FALSE(CheckReply(reply));
  EXPECT_FALSE(CheckReply(""));
}

TEST(Replies, LeadingNulsFromALateReplyKeepTheCheckAndStayInThePayload) {
  // Two byte time-outs put two 0x00 in front; the first becomes the lead byte.
  const std::string sent = std::string(1, '\0') + "\nD\r" + CheckBytes("\nD\r");
  const std::string buffer = std::string(2, '\0') + sent;
  EXPECT_TRUE(CheckReply(buffer));
  EXPECT_EQ(ReplyPayload(buffer), std::string("\0\0\nD", 4));
}

}  // namespace
}  // namespace vestok
