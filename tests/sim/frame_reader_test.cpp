// The register's reading of the program's frames.
#include <gtest/gtest.h>

#include <vector>

#include "sim/frame_reader.h"

namespace vestok {
namespace {

std::vector<TLineEvent> Read(const std::string& bytes) {
  TFrameReader reader;
  std::vector<TLineEvent> events;
  for (char b : bytes) {
    if (auto e = reader.Feed(b)) events.push_back(*e);
    if (auto e = reader.Pending()) events.push_back(*e);
  }
  return events;
}

const std::string F5(5, '\xFF');
const std::string F10(10, '\xFF');

TEST(FrameReader, ReadsAConversation) {
  const std::string command = "\nT0\r\x5F\xB3";
  const auto events = Read(F10 + "\x13\x13\x13" + F5 + F10 + "\x11\x11" "07" + F5 + "\x06" + F5 + command + F5);
  ASSERT_EQ(events.size(), 4u);
  EXPECT_EQ(events[0].kind, TLineEvent::Kind::Deselect);
  EXPECT_EQ(events[0].fillerBefore, 10);
  EXPECT_EQ(events[1].kind, TLineEvent::Kind::Select);
  EXPECT_EQ(events[1].logicNo, 7);
  EXPECT_EQ(events[1].fillerBefore, 15);
  EXPECT_EQ(events[2].kind, TLineEvent::Kind::Ack);
  EXPECT_EQ(events[3].kind, TLineEvent::Kind::Command);
  EXPECT_EQ(events[3].text, "T0");
  EXPECT_TRUE(events[3].checkOk);
  EXPECT_EQ(events[3].bytes, command);
}

TEST(FrameReader, ThreeDigitSelectionAndBadCheck) {
  const auto events = Read(F10 + "\x11\x11" "100" + F5 + "\nT0\r\x5F\xB4" + F5);
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].logicNo, 100);
  EXPECT_FALSE(events[1].checkOk);
}

TEST(FrameReader, CheckBytesMayHoldCrAndLf) {
  // The reader counts two bytes after the CR whatever they are.
  std::string text = "A";
  for (int i = 0; i < 4000; ++i) {
    text = "A" + std::to_string(i);
    const std::string checked = text + "\r";
    // Find a text whose check holds a CR or LF.
    unsigned reg = 0;
    for (unsigned char c : checked) {
      reg ^= unsigned(c) << 8;
      for (int b = 0; b < 8; ++b) reg = (reg & 0x8000) ? ((reg << 1) ^ 0x8001) & 0xFFFF : (reg << 1) & 0xFFFF;
    }
    const char hi = static_cast<char>(reg >> 8), lo = static_cast<char>(reg & 0xFF);
    if (hi != '\r' && lo != '\r' && hi != '\n' && lo != '\n') continue;
    const auto events = Read("\n" + checked + hi + lo + F5 + "\x06");
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].text, text);
    EXPECT_TRUE(events[0].checkOk);
    EXPECT_EQ(events[1].kind, TLineEvent::Kind::Ack);
    return;
  }
  FAIL() << "no text with CR or LF in its check";
}

TEST(FrameReader, StrayBytesAreNoiseAndDoNotSwallowTheNextFrame) {
  const auto events = Read(std::string("Z") + "\x13\x13" "\x11\x11" "01" + F5);
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[0].kind, TLineEvent::Kind::Noise);
  EXPECT_EQ(events[1].kind, TLineEvent::Kind::Noise);  // a deselection cut short
  EXPECT_EQ(events[2].kind, TLineEvent::Kind::Select);
  EXPECT_EQ(events[2].logicNo, 1);
}

}  // namespace
}  // namespace vestok
