// Opening, exclusivity, line settings and error codes of TBlockSerial over
// real pseudo-terminals.
#include <gtest/gtest.h>
#include <termios.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "pty_pair.h"
#include "serial/line_errors.h"

namespace vestok {
namespace {

using test::PtyPair;

TEST(BlockSerialNames, ComAndTtySNamesMapToTheSameDevice) {
  for (const char* name : {"com3", "COM3", "/dev/ttyS2", "/DEV/TTYS2"}) {
    TBlockSerial port;
    port.OpenPort(name);
    EXPECT_EQ(port.PortNumber, 3) << name;
    EXPECT_EQ(port.DeviceName, "/dev/ttyS2") << name;
  }
  TBlockSerial port;
  port.OpenPort("COM12");
  EXPECT_EQ(port.DeviceName, "/dev/ttyS11");
  EXPECT_EQ(port.PortNumber, 12);
}

TEST(BlockSerialNames, NameWithoutNumberOpensAsPathAndFails) {
  TBlockSerial port;
  port.OpenPort("COMX");
  EXPECT_EQ(port.PortNumber, -1);
  EXPECT_EQ(port.DeviceName, "COMX");
  EXPECT_FALSE(port.IsOpen);
  EXPECT_EQ(port.LastErrorCode, ENOENT);
  EXPECT_EQ(port.LastErrorText, std::strerror(ENOENT));
}

TEST(BlockSerialNames, PlainFileIsNotTakenForAPort) {
  char path[] = "/tmp/vestok_notatty_XXXXXX";
  const int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  close(fd);
  TBlockSerial port;
  port.OpenPort(path);
  EXPECT_FALSE(port.IsOpen);
  EXPECT_EQ(port.LastErrorCode, ENOTTY);
  std::remove(path);
}

TEST(BlockSerialOpen, OpenCloseAndSecondOpenOfTheSameObject) {
  PtyPair pty;
  TBlockSerial port;
  port.OpenPort(pty.path);
  ASSERT_EQ(port.LastErrorCode, 0);
  EXPECT_EQ(port.LastErrorText, "OK");
  EXPECT_TRUE(port.IsOpen);
  EXPECT_GE(port.Handle, 0);
  EXPECT_EQ(port.DeviceName, pty.path);

  port.OpenPort(pty.path);
  EXPECT_EQ(port.LastErrorCode, 9992);
  EXPECT_EQ(port.LastErrorText, "Instance already in use");
  EXPECT_TRUE(port.IsOpen);

  port.ClosePort();
  EXPECT_FALSE(port.IsOpen);
  EXPECT_EQ(port.Handle, -1);
  EXPECT_EQ(port.PortNumber, -1);
  EXPECT_EQ(port.LastErrorCode, 0);
  port.ClosePort();  // harmless on a closed object
  EXPECT_EQ(port.LastErrorCode, 0);

  EXPECT_EQ(port.SendBytes("x"), 0);
  EXPECT_EQ(port.LastErrorCode, 9994);
  EXPECT_EQ(port.LastErrorText, "Instance not yet connected");
  EXPECT_EQ(port.ReceiveByte(0), 0);
  EXPECT_EQ(port.LastErrorCode, 9994);
}

TEST(BlockSerialOpen, HeldPortCannotBeOpenedUntilReleased) {
  PtyPair pty;
  TBlockSerial holder, other;
  holder.OpenPort(pty.path);
  ASSERT_EQ(holder.LastErrorCode, 0);
  other.OpenPort(pty.path);
  EXPECT_FALSE(other.IsOpen);
  EXPECT_EQ(other.LastErrorCode, EBUSY);

  EXPECT_EQ(holder.SendBytes("ok"), 2);  // the holder is not disturbed
  EXPECT_EQ(pty.Read(2, 1000), "ok");

  holder.ClosePort();
  other.OpenPort(pty.path);
  EXPECT_EQ(other.LastErrorCode, 0);
}

TEST(BlockSerialSettings, SpeedsWithoutATerminalRateFail) {
  PtyPair pty;
  TBlockSerial port;
  port.OpenPort(pty.path);
  port.ReadLineSettings();
  ASSERT_EQ(port.LastErrorCode, 0);
  for (int speed : {0, 14400, 12345, -9600}) {
    port.LineSettings.Speed = speed;
    port.WriteLineSettings();
    EXPECT_EQ(port.LastErrorCode, EINVAL) << speed;
  }
  for (int speed : {1200, 4800, 9600, 19200, 38400, 115200}) {
    port.LineSettings.Speed = speed;
    port.WriteLineSettings();
    EXPECT_EQ(port.LastErrorCode, 0) << speed;
    port.LineSettings.Speed = 0;
    port.ReadLineSettings();
    EXPECT_EQ(port.LineSettings.Speed, speed);
  }
}

TEST(BlockSerialErrors, TextsOfTheTable) {
  const std::pair<int, const char*> table[] = {
      {0, "OK"},
      {9991, "Port owned by other process"},
      {9992, "Instance already in use"},
      {9993, "Wrong paramter at call"},
      {9994, "Instance not yet connected"},
      {9995, "No device answer detected"},
      {9996, "Maximal buffer length exceeded"},
      {9997, "Timeout during operation"},
      {9998, "Reading of data failed"},
      {9999, "Receive framing error"},
      {10000, "Receive Overrun Error"},
      {10001, "Receive Queue overflow"},
      {10002, "Receive Parity Error"},
      {10003, "Tranceive Queue is full"},
  };
  for (const auto& [code, text] : table) EXPECT_EQ(SerialErrorText(code), text) << code;
  EXPECT_EQ(SerialErrorText(EBUSY), std::strerror(EBUSY));
}

TEST(BlockSerialErrors, LineErrorsFollowTheirPrecedence) {
  const TLineErrorCounts base{3, 3, 3, 3, 3};
  auto with = [&](int frame, int overrun, int parity, int brk, int buf) {
    return TLineErrorCounts{3 + frame, 3 + overrun, 3 + parity, 3 + brk, 3 + buf};
  };
  EXPECT_EQ(LineErrorCode(base, base), 0);
  EXPECT_EQ(LineErrorCode(base, with(1, 0, 0, 0, 0)), 9999);
  EXPECT_EQ(LineErrorCode(base, with(2, 1, 0, 0, 0)), 10000);
  EXPECT_EQ(LineErrorCode(base, with(0, 1, 1, 0, 0)), 10002);
  EXPECT_EQ(LineErrorCode(base, with(1, 1, 1, 1, 1)), 10002);
  EXPECT_EQ(LineErrorCode(base, with(0, 0, 0, 5, 5)), 0);  // break and queue overflow are not reported

  // Flags as Windows hands them over: the same order, transmit queue full last.
  const auto flags = [](bool f, bool o, bool p, bool t) { return TLineErrorFlags{f, o, p, t}; };
  EXPECT_EQ(LineErrorCodeFromFlags(flags(false, false, false, false)), 0);
  EXPECT_EQ(LineErrorCodeFromFlags(flags(true, false, false, false)), 9999);
  EXPECT_EQ(LineErrorCodeFromFlags(flags(true, true, false, false)), 10000);
  EXPECT_EQ(LineErrorCodeFromFlags(flags(true, true, true, false)), 10002);
  EXPECT_EQ(LineErrorCodeFromFlags(flags(false, true, false, true)), 10003);

  PtyPair pty;  // a pseudo-terminal keeps no counters: no errors, no failure
  TLineErrorCounts counts;
  EXPECT_FALSE(ReadLineErrorCounts(pty.slave, counts));
}

}  // namespace
}  // namespace vestok
