// Every user of the link through the real ser2net in front of the simulated
// register, once as a raw TCP server and once as a Telnet server with
// COM-PORT-CONTROL: the fiscal number query, the link test, the detection,
// uploads and downloads of items in both variants, a selection upload, a
// delete, a silent register, a server stopped in the middle of an upload,
// and names that do not lead to a server.
#include <cerrno>
#include <chrono>

#include "jobs/job_thread.h"
#include "support/window_state_for_tests.h"
#include "ecr/fiscal_number.h"
#include "jobs/job_fixture.h"
#include "net/ser2net_fixture.h"
#include "serial/net_port.h"
#include "tools/detect_scan.h"
#include "tools/link_test.h"

namespace vestok {
namespace {

using test::NetMode;

long MsSince(std::chrono::steady_clock::time_point t0) {
  return static_cast<long>(
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count());
}

class NetLink : public JobTest, public ::testing::WithParamInterface<NetMode> {
 protected:
  void SetUp() override {
    JobTest::SetUp();
    if (test::Ser2netPath().empty()) GTEST_SKIP() << "ser2net is not installed (Debian package ser2net)";
    // Two more hops than a local line: a margin for a loaded machine. Sound
    // exchanges never wait it out.
    LinkSettings.CableTimeout = 200;
  }
  void TearDown() override {
    server.Stop();
    JobTest::TearDown();
  }
  bool Telnet() const { return GetParam() == NetMode::Rfc2217; }

  // The simulator, and ser2net in front of its pseudo-terminal; `port` names
  // the network port.
  void StartLine(TSimOptions options = {}) {
    server.Stop();
    job.reset();
    sim = std::make_unique<EcrSimulator>(std::move(options));
    std::string why;
    ASSERT_TRUE(sim->Start(&why)) << why;
    ASSERT_TRUE(server.Start(GetParam(), sim->SlavePath(), why)) << why;
    port = server.PortName();
  }
  static TSimOptions With(TSimRegister reg, SimVariant variant = SimVariant::Auto) {
    TSimOptions o;
    o.Registers = {std::move(reg)};
    o.Variant = variant;
    return o;
  }

  test::Ser2net server;
};

TEST_P(NetLink, FiscalNumberLinkTestAndDetection) {
  TSimRegister reg;
  reg.FiscalNumber = "12\xFF" "34";  // a 0xFF byte on its way back
  TSimOptions options = With(reg);
  // The register answers only on a line at 9600 bit/s: a Telnet port sets
  // the far line to the speed asked for, a raw server keeps its own (9600).
  options.LineSpeed = 9600;
  StartLine(std::move(options));

  std::string fiscal;
  EXPECT_EQ(ReadFiscalNumber(LinkPort, port, 9600, 1, 200, fiscal), FiscalQueryOk);
  EXPECT_EQ(fiscal, "12\xFF" "34");
  EXPECT_EQ(ReadFiscalNumber(LinkPort, port, 4800, 1, 100, fiscal), Telnet() ? FiscalQueryExchangeFailed : FiscalQueryOk);
  // Speed 0 is no speed: the open fails and leaves the server free.
  EXPECT_FALSE(OpenLink(LinkPort, port, 0));
  EXPECT_FALSE(LinkPort);

  TLinkTestSetup setup;
  setup.PortName = port;
  setup.Speed = 9600;
  setup.TimeoutMs = 200;
  setup.Blocks = 3;
  setup.ByteTimeoutLimit = 3;
  EXPECT_EQ(RunLinkTest(LinkPort, setup, {}), (TLinkTestCounters{3, 3, 0, 0, 0}));

  const std::vector<std::string> ports = {"tcp://127.0.0.1:" + std::to_string(test::FreeTcpPort()), port};
  const std::vector<std::string> speeds = {"  4800", "  9600"};
  TDetectScanSetup scan;
  scan.LogicFrom = 1;
  scan.LogicTo = 2;
  scan.TimeoutMs = 100;
  scan.TickedPorts = scan.PortCount = 2;
  scan.TickedSpeeds = scan.SpeedCount = 2;
  TDetectScanHooks hooks;
  hooks.TickedPort = [&](int i) { return std::optional<std::string>(ports[std::size_t(i)]); };
  hooks.TickedSpeed = [&](int i) { return std::optional<std::string>(speeds[std::size_t(i)]); };
  Lines found;
  hooks.Found = [&](const TDetectFound& f) { found.push_back(DetectEntryText(f)); };
  RunDetectScan(LinkPort, scan, hooks);
  Lines expected;
  if (!Telnet()) expected.push_back("12\xFF" "34 - " + port + " [4800], nr logic: 1");
  expected.push_back("12\xFF" "34 - " + port + " [9600], nr logic: 1");
  EXPECT_EQ(found, expected);
  EXPECT_FALSE(LinkPort);
}

TEST_P(NetLink, ItemsGoUpAndComeBackInBothVariants) {
  for (JobKind kind : {JobKind(0), JobKind(100)}) {
    SCOPED_TRACE(kind);
    StartLine(With({}, kind == 0 ? SimVariant::SeriaA : SimVariant::Standard));
    DocumentTable items(TableDefinition(tkItems));
    Opened(items);
    // 0xFF (a letter of the code page) in a name: doubled on a Telnet port.
    AddRow(items, {"1", "CAF\xFF", "1", "5941234567890", "3.5", "0", "1", "2"});
    AddRow(items, {"2", "APA", "2", "123456789", "12", "1", "3", "4"});
    AddRow(items, {"255", "\xFF\xFF", "1", "123456789", "0.25", "0", "1", "1"});
    Upload(kind, items);
    EXPECT_EQ(log.Lines().back(), "Incarcare articole incheiata fara erori");
    ASSERT_EQ(Stored(SimTable::Items).size(), 3u);
    EXPECT_EQ(Stored(SimTable::Items)[0][1], "CAF\xFF");

    DocumentTable back(TableDefinition(tkItems));
    Download(kind, Opened(back));
    EXPECT_EQ(log.Lines().back(), "Descarcare articole incheiata fara erori");
    EXPECT_EQ(TableFileBytes(back), TableFileBytes(items));
  }
}

TEST_P(NetLink, SelectionUploadThenDeleteOfAll) {
  StartLine();
  DocumentTable items(TableDefinition(tkItems));
  Opened(items);
  for (const char* plu : {"10", "20", "30"}) AddRow(items, {plu, "X", "1", "", "1.00", "0", "1", "1"});
  Upload(0, items, std::vector<Bookmark>{items.BookmarkAt(0), items.BookmarkAt(2)});
  EXPECT_EQ(Commands(), (Lines{"W0;10;X;1;;1.00;0;1;1;;", "W0;30;X;1;;1.00;0;1;1;;"}));
  EXPECT_EQ(log.Lines().back(), "Incarcare articole incheiata fara erori");

  Delete(items);
  EXPECT_EQ(log.Lines().back(), "Stergere articole incheiata fara erori");
  EXPECT_TRUE(Stored(SimTable::Items).empty());
  EXPECT_EQ(Commands().back(), "C0;30;");
}

TEST_P(NetLink, SilentRegisterFailsTheQueryWithinItsWaits) {
  TSimRegister reg;
  reg.Faults.Silent = true;
  StartLine(With(reg));
  std::string fiscal;
  const auto t0 = std::chrono::steady_clock::now();
  EXPECT_EQ(ReadFiscalNumber(LinkPort, port, 9600, 1, 100, fiscal), FiscalQueryExchangeFailed);
  // Three selection attempts of 100 ms, the connection and a few frames.
  EXPECT_LT(MsSince(t0), 1500);
  EXPECT_FALSE(LinkPort);
}

TEST_P(NetLink, ServerStoppedMidUploadEndsTheJobWithErrorsAndClosesThePort) {
  StartLine();
  DocumentTable items(TableDefinition(tkItems));
  Opened(items);
  for (int i = 1; i <= 5; ++i) AddRow(items, {std::to_string(i), "X", "1", "", "1.00", "0", "1", "1"});
  host.onStatus = [this](int panel, const std::string& text) {
    if (panel == 1 && text == "Incarcare articol: 3") server.Stop();
  };
  const auto t0 = std::chrono::steady_clock::now();
  Upload(0, items);
  EXPECT_LT(MsSince(t0), 4000);
  const Lines lines = log.Lines();
  EXPECT_EQ(lines.back(), "Incarcare articole incheiata cu erori");
  EXPECT_NE(std::find(lines.begin(), lines.end(), "Eroare la incarcare articol: 3"), lines.end());
  EXPECT_EQ(Stored(SimTable::Items).size(), 2u);
  EXPECT_FALSE(LinkPort);
  EXPECT_FALSE(host.stopEnabled);
}

TEST_P(NetLink, ASlowLineBehindAFastNetworkIsWaitedFor) {
  // The server takes a frame at once and the register hears it only after
  // its far line has carried it at 1200 bit/s (about 8 ms a byte): longer
  // than all the waits for the start of the reply (3 x 50 ms) and a reply
  // that may not miss a single byte time-out.
  TSimOptions options;
  options.PaceBaud = 1200;
  StartLine(std::move(options));
  LinkSettings.CableTimeout = 50;
  LinkSettings.RetryByte = 1;
  DocumentTable items(TableDefinition(tkItems));
  Opened(items);
  AddRow(items, {"1", "ARTICOL CU NUME LUNG", "1", "5941234567890", "1.00", "0", "1", "1"});
  job = std::make_unique<TJobThread<TLoadThread>>(0, JobSetup{host, mainThread, port, 1200, items, std::nullopt, log, LinkPort});
  job->WaitForEnd();
  EXPECT_EQ(log.Lines().back(), "Incarcare articole incheiata fara erori");
  EXPECT_EQ(Commands().size(), 1u);
}

TEST_P(NetLink, RefusedAndUnresolvableNamesFailTheOpenAtOnce) {
  const std::string scheme = Telnet() ? "rfc2217://" : "tcp://";
  TBlockSerial refused;
  refused.OpenPort(scheme + "127.0.0.1:" + std::to_string(test::FreeTcpPort()));
  EXPECT_EQ(refused.LastErrorCode, ECONNREFUSED);
  EXPECT_FALSE(refused.IsOpen);

  const auto t0 = std::chrono::steady_clock::now();
  TBlockSerial unknown;
  unknown.OpenPort(scheme + "no-such-register.invalid:4001");
  EXPECT_NE(unknown.LastErrorCode, 0);
  EXPECT_FALSE(unknown.IsOpen);
  EXPECT_FALSE(unknown.LastErrorText.empty());
  EXPECT_LT(MsSince(t0), TNetPort::ConnectTimeoutMs + 500);
  std::string fiscal;
  EXPECT_EQ(ReadFiscalNumber(LinkPort, scheme + "no-such-register.invalid:4001", 9600, 1, 100, fiscal), FiscalQueryPortFailed);
  EXPECT_FALSE(LinkPort);
}

INSTANTIATE_TEST_SUITE_P(Ser2net, NetLink, ::testing::Values(NetMode::Raw, NetMode::Rfc2217),
                         [](const ::testing::TestParamInfo<NetMode>& info) {
                           return info.param == NetMode::Raw ? "Raw" : "Rfc2217";
                         });

}  // namespace
}  // namespace vestok
