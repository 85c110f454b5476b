// The Telnet side of an rfc2217:// port, byte by byte: escaping both ways,
// sequences split between two reads, answers to the server's option
// requests, and the COM-PORT-CONTROL requests and notifications.
#include <gtest/gtest.h>

#include "serial/telnet_codec.h"

namespace vestok::telnet {
namespace {

std::string B(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s += static_cast<char>(b);
  return s;
}

TEST(TelnetCodec, DataFFIsDoubledOutAndSingledInAcrossSplitReads) {
  EXPECT_EQ(EscapeData(B({0x0A, 0xFF, 0x31, 0xFF, 0xFF, 0x0D})), B({0x0A, 0xFF, 0xFF, 0x31, 0xFF, 0xFF, 0xFF, 0xFF, 0x0D}));
  EXPECT_EQ(EscapeData(""), "");

  // The server's stream cut at every awkward place: between the two halves
  // of a doubled 0xFF, inside a command, inside a subnegotiation and its end.
  const std::string stream = B({0x0A, 0x31, 0xFF, 0xFF, 0xFF, 0xF1, 0x32, 0xFF, 0xFB, 0x00, 0xFF, 0xFA, 0x2C, 0x65,
                                0x00, 0x00, 0xFF, 0xFF, 0x00, 0xFF, 0xF0, 0x0D, 0x00, 0xFF, 0xFF});
  for (std::size_t cut = 0; cut <= stream.size(); ++cut) {
    TTelnetCodec codec;
    std::string data, replies;
    codec.Feed(std::string_view(stream).substr(0, cut), data, replies);
    codec.Feed(std::string_view(stream).substr(cut), data, replies);
    SCOPED_TRACE(cut);
    EXPECT_EQ(data, B({0x0A, 0x31, 0xFF, 0x32, 0x0D, 0x00, 0xFF}));  // NOP and negotiation gone, CR NUL kept
    EXPECT_EQ(replies, B({0xFF, 0xFD, 0x00}));                        // WILL BINARY answered once with DO
    EXPECT_EQ(codec.ServerSpeed(), 0xFF00u);                          // 0xFF of a value doubled inside SB
  }
}

TEST(TelnetCodec, NegotiationAgreesToWhatItKnowsRefusesTheRestAndNeverLoops) {
  TTelnetCodec codec;
  // WILL COM-PORT, WILL BINARY, DO BINARY.
  EXPECT_EQ(codec.Greeting(), B({0xFF, 0xFB, 0x2C, 0xFF, 0xFB, 0x00, 0xFF, 0xFD, 0x00}));
  EXPECT_FALSE(codec.ComPortAgreed());
  std::string data, replies;
  // What ser2net sends when a client connects: WILL SGA, DO SGA, WILL ECHO,
  // DONT ECHO, DO BINARY, WILL BINARY, DO COM-PORT.
  codec.Feed(B({0xFF, 0xFB, 0x03, 0xFF, 0xFD, 0x03, 0xFF, 0xFB, 0x01, 0xFF, 0xFE, 0x01, 0xFF, 0xFD, 0x00, 0xFF,
                0xFB, 0x00, 0xFF, 0xFD, 0x2C}),
             data, replies);
  EXPECT_EQ(data, "");
  // DO SGA, WILL SGA, DONT ECHO; the answers to our own requests get none.
  EXPECT_EQ(replies, B({0xFF, 0xFD, 0x03, 0xFF, 0xFB, 0x03, 0xFF, 0xFE, 0x01}));
  EXPECT_TRUE(codec.ComPortAgreed());
  EXPECT_FALSE(codec.ComPortRefused());

  // The same requests again change nothing and get no answer; an unknown
  // option asked of us is refused.
  replies.clear();
  codec.Feed(B({0xFF, 0xFB, 0x03, 0xFF, 0xFD, 0x2C, 0xFF, 0xFD, 0x18, 0xFF, 0xFE, 0x18}), data, replies);
  EXPECT_EQ(replies, B({0xFF, 0xFC, 0x18}));
  // Asked again and again, it is not refused again: a flood of requests gets
  // no flood of answers.
  replies.clear();
  codec.Feed(B({0xFF, 0xFD, 0x18, 0xFF, 0xFD, 0x18, 0xFF, 0xFB, 0x18, 0xFF, 0xFB, 0x18}), data, replies);
  EXPECT_EQ(replies, B({0xFF, 0xFE, 0x18}));
  // The server turning binary off on its side is acknowledged once.
  replies.clear();
  codec.Feed(B({0xFF, 0xFC, 0x00, 0xFF, 0xFC, 0x00}), data, replies);
  EXPECT_EQ(replies, B({0xFF, 0xFE, 0x00}));

  TTelnetCodec refusing;
  refusing.Greeting();
  replies.clear();
  refusing.Feed(B({0xFF, 0xFE, 0x2C}), data, replies);
  EXPECT_TRUE(refusing.ComPortRefused());
  EXPECT_FALSE(refusing.ComPortAgreed());
  EXPECT_EQ(replies, "");
}

TEST(TelnetCodec, ComPortRequestsAndNotificationsInBytes) {
  EXPECT_EQ(SetBaudRate(9600), B({0xFF, 0xFA, 0x2C, 0x01, 0x00, 0x00, 0x25, 0x80, 0xFF, 0xF0}));
  EXPECT_EQ(SetBaudRate(0xFF00FF), B({0xFF, 0xFA, 0x2C, 0x01, 0x00, 0xFF, 0xFF, 0x00, 0xFF, 0xFF, 0xFF, 0xF0}));
  EXPECT_EQ(ComPortRequest(CpSetDataSize, 8), B({0xFF, 0xFA, 0x2C, 0x02, 0x08, 0xFF, 0xF0}));
  EXPECT_EQ(ComPortRequest(CpSetParity, ParityNone), B({0xFF, 0xFA, 0x2C, 0x03, 0x01, 0xFF, 0xF0}));
  EXPECT_EQ(ComPortRequest(CpSetStopSize, StopBits1), B({0xFF, 0xFA, 0x2C, 0x04, 0x01, 0xFF, 0xF0}));
  EXPECT_EQ(ComPortRequest(CpSetControl, ControlNoFlow), B({0xFF, 0xFA, 0x2C, 0x05, 0x01, 0xFF, 0xF0}));
  EXPECT_EQ(ComPortRequest(CpSetControl, ControlDtrOn), B({0xFF, 0xFA, 0x2C, 0x05, 0x08, 0xFF, 0xF0}));
  EXPECT_EQ(ComPortRequest(CpPurgeData, PurgeReceive), B({0xFF, 0xFA, 0x2C, 0x0C, 0x01, 0xFF, 0xF0}));

  TTelnetCodec codec;
  std::string data, replies;
  // SET-BAUDRATE answered with 4800, then NOTIFY-LINESTATE with overrun and
  // framing (and data-ready, which is no error), between two data bytes.
  codec.Feed(B({0x41, 0xFF, 0xFA, 0x2C, 0x65, 0x00, 0x00, 0x12, 0xC0, 0xFF, 0xF0, 0xFF, 0xFA, 0x2C, 0x6A, 0x0B, 0xFF,
                0xF0, 0x42}),
             data, replies);
  EXPECT_EQ(data, "AB");
  EXPECT_EQ(codec.ServerSpeed(), 4800u);
  EXPECT_EQ(codec.SpeedAnswers(), 1);
  EXPECT_EQ(codec.TakeLineState(), LineOverrun | LineFraming);
  EXPECT_EQ(codec.TakeLineState(), 0);
  // An endless subnegotiation is dropped at its end and the data after it kept.
  std::string flood = B({0xFF, 0xFA, 0x2C, 0x65});
  flood += std::string(1000, '\x01');
  flood += B({0xFF, 0xF0, 0x43});
  data.clear();
  codec.Feed(flood, data, replies);
  EXPECT_EQ(data, "C");
  EXPECT_EQ(codec.SpeedAnswers(), 1);
}

}  // namespace
}  // namespace vestok::telnet
