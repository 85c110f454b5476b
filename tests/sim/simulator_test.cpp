// The simulator on its pseudo-terminal, driven by plain POSIX writes and reads
// from the other end, the way the serial port sees it.
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>

#include <gtest/gtest.h>

#include "ecr/frames.h"
#include "sim/ecr_simulator.h"
#include "sim/sim_preload.h"

namespace vestok {
namespace {

using Clock = std::chrono::steady_clock;

// The program's end of the line.
class RawLine {
 public:
  explicit RawLine(const std::string& path, speed_t speed = B9600) {
    fd_ = open(path.c_str(), O_RDWR | O_NOCTTY);
    termios tio{};
    tcgetattr(fd_, &tio);
    cfmakeraw(&tio);
    cfsetspeed(&tio, speed);
    tcsetattr(fd_, TCSANOW, &tio);
  }
  ~RawLine() {
    if (fd_ >= 0) close(fd_);
  }
  bool ok() const { return fd_ >= 0; }
  void Write(const std::string& bytes) { ASSERT_EQ(write(fd_, bytes.data(), bytes.size()), ssize_t(bytes.size())); }
  // Reads until `count` bytes have come or nothing more comes for `idleMs`.
  std::string Read(std::size_t count, int idleMs = 200) {
    std::string got;
    while (got.size() < count) {
      pollfd p{fd_, POLLIN, 0};
      if (poll(&p, 1, idleMs) <= 0) break;
      char buf[256];
      const ssize_t n = read(fd_, buf, sizeof buf);
      if (n <= 0) break;
      got.append(buf, static_cast<std::size_t>(n));
    }
    return got;
  }

 private:
  int fd_ = -1;
};

std::string Reply(const std::string& payload) { return "\n" + payload + "\r" + CheckBytes(payload + "\r"); }

class Simulator : public ::testing::Test {
 protected:
  void Start(TSimOptions options = {}) {
    sim = std::make_unique<EcrSimulator>(std::move(options));
    std::string error;
    ASSERT_TRUE(sim->Start(&error)) << error;
    line = std::make_unique<RawLine>(sim->SlavePath());
    ASSERT_TRUE(line->ok());
  }
  void SelectRegister(int n) {
    line->Write(BuildDeselectFrame() + BuildSelectFrame(n));
  }
  std::unique_ptr<EcrSimulator> sim;
  std::unique_ptr<RawLine> line;
};

TEST_F(Simulator, AnswersItsSelectionAndTakesCommandsAfterTheAck) {
  Start();
  SelectRegister(1);
  const std::string answer = Reply("RO0000001;1;SIM;");
  EXPECT_EQ(line->Read(answer.size()), answer);
  line->Write("\x06" + BuildCommandFrame("w2;4;Ana;123;"));
  EXPECT_EQ(line->Read(6), Reply("\nD"));
  line->Write(BuildCommandFrame("R2;1;"));
  EXPECT_EQ(line->Read(100, 100), Reply("R2;4;ANA;123;"));
}

TEST_F(Simulator, CommandWithAWrongCheckGetsNoReply) {
  Start();
  SelectRegister(1);
  line->Read(100, 100);
  std::string frame = BuildCommandFrame("W6;1;X;");
  frame[frame.size() - 6] ^= 0x01;  // the low check byte
  line->Write(frame);
  EXPECT_EQ(line->Read(1, 150), "");
  const auto trace = sim->Trace();
  ASSERT_FALSE(trace.empty());
  EXPECT_EQ(trace.back().kind, "command");
  EXPECT_EQ(trace.back().check, "bad");
  EXPECT_TRUE(sim->WithRegister(1, [](TSimRegister& r) { return r.Memory.Records(SimTable::Header).empty(); }));
}

TEST_F(Simulator, OnlyTheSelectedRegisterAnswersAndStores) {
  TSimOptions o;
  o.Registers.resize(2);
  o.Registers[0].LogicNo = 1;
  o.Registers[1].LogicNo = 2;
  o.Registers[1].FiscalNumber = "F2";
  o.Registers[1].AnswerTail = "";
  Start(std::move(o));
  SelectRegister(3);
  EXPECT_EQ(line->Read(1, 150), "");
  SelectRegister(2);
  EXPECT_EQ(line->Read(100, 100), Reply("F2;2;"));
  line->Write("\x06" + BuildCommandFrame("W6;1;DOI;"));
  EXPECT_EQ(line->Read(6), Reply("\nD"));
  EXPECT_EQ(sim->WithRegister(2, [](TSimRegister& r) { return r.Memory.Records(SimTable::Header).size(); }), 1u);
  EXPECT_EQ(sim->WithRegister(1, [](TSimRegister& r) { return r.Memory.Records(SimTable::Header).size(); }), 0u);
  // After the deselection nobody takes commands.
  line->Write(BuildDeselectFrame() + BuildCommandFrame("R6;1;"));
  EXPECT_EQ(line->Read(1, 150), "");
  EXPECT_THROW(sim->WithRegister(9, [](TSimRegister&) {}), std::out_of_range);
}

TEST_F(Simulator, SilentRegisterAnswersNothing) {
  TSimOptions o;
  o.Registers.resize(1);
  o.Registers[0].Faults.Silent = true;
  Start(std::move(o));
  SelectRegister(1);
  EXPECT_EQ(line->Read(1, 150), "");
}

TEST_F(Simulator, AcknowledgesOnlyTheKthSendOfACommand) {
  TSimOptions o;
  o.Registers.resize(1);
  o.Registers[0].Faults.AcknowledgeOn = 3;
  o.Registers[0].Faults.Unacked = UnackedReply::Refusal;
  Start(std::move(o));
  SelectRegister(1);
  line->Read(100, 100);
  const std::string upload = BuildCommandFrame("W6;1;A;");
  for (int send = 1; send <= 2; ++send) {
    line->Write(upload);
    EXPECT_EQ(line->Read(6), Reply("\nE")) << send;
  }
  line->Write(upload);
  EXPECT_EQ(line->Read(6), Reply("\nD"));
  line->Write(BuildCommandFrame("W6;2;B;"));  // another text starts counting anew
  EXPECT_EQ(line->Read(6), Reply("\nE"));
}

TEST_F(Simulator, NeverAcknowledgeLeavesCommandsUnanswered) {
  TSimOptions o;
  o.Registers.resize(1);
  o.Registers[0].Faults.NeverAcknowledge = true;
  Start(std::move(o));
  SelectRegister(1);
  EXPECT_FALSE(line->Read(100, 100).empty());  // the selection is still answered
  line->Write(BuildCommandFrame("W6;1;A;"));
  EXPECT_EQ(line->Read(1, 150), "");
}

TEST_F(Simulator, PacingAtTheBaudRateTakesTheBytesWireTime) {
  TSimOptions o;
  o.PaceBaud = 9600;
  Start(std::move(o));
  const std::string frames = BuildDeselectFrame() + BuildSelectFrame(1);
  const std::string answer = Reply("RO0000001;1;SIM;");
  const auto start = Clock::now();
  line->Write(frames);
  ASSERT_EQ(line->Read(answer.size(), 500), answer);
  const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  const double wire = double(frames.size() + answer.size()) * 10.0 * 1000.0 / 9600.0;
  EXPECT_GE(ms, wire * 0.99);
  EXPECT_LT(ms, wire + 50);
}

TEST_F(Simulator, ByteGapAndDelayStretchAReply) {
  TSimOptions o;
  o.Registers.resize(1);
  o.Registers[0].Faults.ByteGapMs = 15;
  o.Registers[0].Faults.ReplyDelayMs = 30;
  o.Registers[0].AnswerPayload = "AB";
  Start(std::move(o));
  const auto start = Clock::now();
  SelectRegister(1);
  EXPECT_EQ(line->Read(6, 300), Reply("AB"));
  const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
  EXPECT_GE(ms, 30 + 5 * 15 - 1);
}

TEST_F(Simulator, AnswersOnlyAtItsLineSpeed) {
  TSimOptions o;
  o.LineSpeed = 9600;
  sim = std::make_unique<EcrSimulator>(std::move(o));
  ASSERT_TRUE(sim->Start());
  {
    RawLine slow(sim->SlavePath(), B4800);
    slow.Write(BuildDeselectFrame() + BuildSelectFrame(1));
    EXPECT_EQ(slow.Read(1, 150), "");
  }
  RawLine right(sim->SlavePath(), B9600);
  right.Write(BuildDeselectFrame() + BuildSelectFrame(1));
  EXPECT_FALSE(right.Read(100, 100).empty());
}

TEST_F(Simulator, TraceShowsEveryFrameReadably) {
  Start();
  SelectRegister(1);
  line->Read(100, 100);
  line->Write("\x06" + BuildCommandFrame("W6;1;\xAA" "coala;"));
  line->Read(6);
  const auto trace = sim->Trace();
  ASSERT_EQ(trace.size(), 6u);
  EXPECT_EQ(trace[0].kind, "deselect");
  EXPECT_EQ(trace[1].kind, "select");
  EXPECT_EQ(trace[1].logicNo, 1);
  EXPECT_EQ(trace[2].kind, "answer");
  EXPECT_FALSE(trace[2].fromPc);
  EXPECT_EQ(trace[3].kind, "ack");
  EXPECT_EQ(trace[4].text, "W6;1;\xAA" "COALA;");
  const std::string line4 = FormatTraceEntry(trace[4]);
  EXPECT_NE(line4.find("PC->ECR"), std::string::npos);
  EXPECT_NE(line4.find("command"), std::string::npos);
  EXPECT_NE(line4.find("W6;1;\xC5\x9E" "COALA;"), std::string::npos);  // the cp1250 letter in UTF-8
  EXPECT_NE(line4.find("[check ok]"), std::string::npos);
  EXPECT_NE(FormatTraceEntry(trace[5]).find("ECR->PC reply"), std::string::npos);
  EXPECT_NE(FormatTraceEntry(trace[5]).find("<LF>D"), std::string::npos);
  EXPECT_EQ(sim->SentBytes(), Reply("RO0000001;1;SIM;") + Reply("\nD"));
}

TEST_F(Simulator, LinkPathPointsAtTheLineWhileItRuns) {
  const std::string link = ::testing::TempDir() + "ecrsim-link-" + std::to_string(getpid());
  TSimOptions o;
  o.LinkPath = link;
  Start(std::move(o));
  char target[256] = {};
  ASSERT_GT(readlink(link.c_str(), target, sizeof target - 1), 0);
  EXPECT_EQ(std::string(target), sim->SlavePath());
  RawLine viaLink(link);
  viaLink.Write(BuildDeselectFrame() + BuildSelectFrame(1));
  EXPECT_FALSE(viaLink.Read(100, 100).empty());
  sim->Stop();
  struct stat st {};
  EXPECT_NE(lstat(link.c_str(), &st), 0);
}

TEST(SimPreload, ReadsTheProgramsTableFilesAsTheRegisterKeepsThem) {
  const std::string dir = ::testing::TempDir();
  const std::string path = dir + "preload-items-" + std::to_string(getpid()) + ".csv";
  {
    std::ofstream f(path, std::ios::binary);
    f << "\"PLUCode\",\"ItemName\",\"VAT\",\"Barcode\",\"Price\",\"PriceType\",\"Stand\",\"Group\",\"Dummy\",\r\n"
         "\"20\",\"P\xE2ine\",\"1\",\"5941234567890\",\"2.5\",\"0\",\"1\",\"1\",,\r\n"
         "\"3\",\"Ap\xE3\",\"2\",,\"0.5\",\"1\",\"2\",\"3\",,\r\n";
  }
  TRegisterMemory memory;
  PreloadTable(memory, SimTable::Items, path, ',');
  std::remove(path.c_str());
  ASSERT_EQ(memory.Records(SimTable::Items).size(), 2u);
  EXPECT_EQ(memory.Records(SimTable::Items)[0], (SimRecord{"3", "Ap\xE3", "2", "", ",50", "1", "2", "3", ""}));
  EXPECT_EQ(memory.Records(SimTable::Items)[1][4], "2,50");
}

TEST(SimPreload, PriceTextHasTwoDecimalsAndNoLeadingZero) {
  EXPECT_EQ(PriceText(3.5, '.'), "3.50");
  EXPECT_EQ(PriceText(0.5, '.'), ".50");
  EXPECT_EQ(PriceText(0, '.'), ".00");
  EXPECT_EQ(PriceText(1234.567, '.'), "1234.57");
  EXPECT_EQ(PriceText(-2, ','), "-2,00");
  EXPECT_EQ(PriceText(-0.25, '.'), "-.25");
}

TEST(SimPreload, SampleRegisterLoadsEveryTable) {
  const char* data = VESTOK_TEST_DATA_DIR;
  ASSERT_NE(data, nullptr);
  TRegisterMemory memory;
  const auto files = PreloadFolder(memory, std::string(data) + "/sample", '.');
  EXPECT_EQ(files.size(), 10u);
  EXPECT_GE(memory.Records(SimTable::Items).size(), 24u);
  for (int t = 0; t < SimTableCount; ++t)
    EXPECT_FALSE(memory.Records(static_cast<SimTable>(t)).empty()) << SimTableName(static_cast<SimTable>(t));
}

}  // namespace
}  // namespace vestok
