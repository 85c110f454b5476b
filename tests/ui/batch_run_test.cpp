// The batch run: end to end through the real program in a subprocess (its
// configuration file beside a copy of it, pointing at the simulated
// register), and in-process for what needs a register that changes mid-run.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <thread>
#include <unistd.h>

#include "jobs/save_thread.h"
#include "support/window_state_for_tests.h"
#include "ui/job_tag.h"
#include "transfer_test_support.h"

namespace vestok {
namespace {

using test::Lines;

const char kItemSalesHeader[] = "\"PLUCode\",\"Qty\",\"Value\",\r\n";

std::size_t LineCount(const std::string& text) { return std::size_t(std::count(text.begin(), text.end(), '\n')); }

class BatchRunTest : public test::WindowTransferTest {
 protected:
  void SetUp() override {
    WindowTransferTest::SetUp();
    ASSERT_TRUE(dir.isValid());
  }

  std::string Path(const char* name) const { return dir.filePath(name).toStdString(); }

  struct TRun {
    bool finished = false;
    int exitCode = -1;
    QString errors;  // the error output: where the unseen boxes write their texts
  };

  // Runs a copy of the program from the temporary folder with `arguments`;
  // `headless`: as a script on a machine without any display would, with no
  // platform chosen either.
  TRun RunProgram(const QStringList& arguments, int timeoutMs = 60000, bool headless = false,
                  const QString& staleDisplay = {}, const QStringList& displayEnv = {}) {
    const QString program = dir.filePath("vestok");
    if (!QFile::exists(program)) {
      EXPECT_TRUE(QFile::copy(QStringLiteral(VESTOK_EXE), program));
      QFile::setPermissions(program, QFile::permissions(program) | QFileDevice::ExeOwner);
    }
    // Baud=4 is 9600 bit/s; CableLen=3 is a time-out of 30 ms.
    test::WriteFileBytes(Path("Vestok.ini"), "[Communication]\r\nPort=" + sim->SlavePath() +
                                                 "\r\nBaud=4\r\nLogicNo=1\r\nCableLen=3\r\n");
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (headless) {
      for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) env.remove(name);
    } else {
      env.insert("QT_QPA_PLATFORM", "offscreen");
    }
    if (!staleDisplay.isEmpty()) {
      env.remove("QT_QPA_PLATFORM");
      env.remove("WAYLAND_DISPLAY");
      env.insert("DISPLAY", staleDisplay);
    }
    // NAME=VALUE pairs that replace every display variable.
    if (!displayEnv.isEmpty()) {
      for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR"}) env.remove(name);
      for (const QString& pair : displayEnv) env.insert(pair.section('=', 0, 0), pair.section('=', 1));
    }
    env.insert("LC_ALL", "C");
    process.setProcessEnvironment(env);
    process.setWorkingDirectory(dir.path());
    process.start(program, arguments);
    TRun run;
    run.finished = process.waitForFinished(timeoutMs);
    if (!run.finished) {
      process.kill();
      process.waitForFinished();
    }
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.errors = QString::fromLocal8Bit(process.readAllStandardError());
    return run;
  }

  QTemporaryDir dir;
};

TEST_F(BatchRunTest, LoadUploadsTheItemsOfTheFileAndEnds) {
  StartSim({}, false);
  QFile::copy(QString(VESTOK_TEST_DATA_DIR) + "/sample/items.csv", dir.filePath("items.csv"));
  const std::size_t rows = LineCount(test::ReadFileBytes(Path("items.csv"))) - 1;
  const TRun run = RunProgram({"load", "a", "items.csv"});  // relative to the current folder
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_FALSE(run.errors.contains("Nu se poate")) << run.errors.toStdString();
  EXPECT_EQ(StoredCount(SimTable::Items), rows);
  const Lines commands = Commands();
  ASSERT_EQ(commands.size(), rows);
  for (const std::string& command : commands) EXPECT_EQ(command.rfind("W0;", 0), 0u) << command;
}

TEST_F(BatchRunTest, SaveUnderStandardDownloadsTheItemSalesIntoTheFile) {
  StartSim();
  const TRun run = RunProgram({"SAVE", "S", dir.filePath("sales out.csv")});
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, 0);
  const Lines commands = Commands();
  ASSERT_FALSE(commands.empty());
  EXPECT_EQ(commands[0], "R0;1;");  // JobKind 101
  // A "Standard" register answers the item sales with one record per item.
  const std::string file = test::ReadFileBytes(Path("sales out.csv"));
  EXPECT_EQ(file.rfind(kItemSalesHeader, 0), 0u);
  EXPECT_EQ(LineCount(file), 1 + StoredCount(SimTable::Items));
}

TEST_F(BatchRunTest, SaveFromASilentRegisterStillWritesTheHeaderLine) {
  TRegisterFaults silent;
  silent.Silent = true;
  StartSim(silent);
  const TRun run = RunProgram({"SAVE", "A", "sales.csv"});
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_TRUE(run.errors.contains("Nu se poate citi numarul fiscal al imprimantei!")) << run.errors.toStdString();
  EXPECT_EQ(test::ReadFileBytes(Path("sales.csv")), kItemSalesHeader);
}

TEST_F(BatchRunTest, ABatchRunOnAMachineWithoutADisplayStillRunsAndWritesItsFile) {
  StartSim();
  const TRun save = RunProgram({"SAVE", "A", "sales.csv"}, 60000, true);
  ASSERT_TRUE(save.finished);
  EXPECT_EQ(save.exitCode, 0) << save.errors.toStdString();
  const std::string file = test::ReadFileBytes(Path("sales.csv"));
  EXPECT_EQ(file.rfind(kItemSalesHeader, 0), 0u);
  EXPECT_GT(LineCount(file), 1u);

  // Its failure boxes, which nobody could answer, go to the error output.
  const TRun load = RunProgram({"LOAD", "A", "missing.csv"}, 60000, true);
  ASSERT_TRUE(load.finished);
  EXPECT_EQ(load.exitCode, 0);
  EXPECT_TRUE(load.errors.contains("Nu se poate deschide fisierul specificat!")) << load.errors.toStdString();
}

TEST_F(BatchRunTest, ADisplayThatIsGoneAndAFileNamedLikeAQtOption) {
  StartSim();
  // A display left over from an ended session: the batch run goes off screen,
  // and the file name "-reverse" is the batch's, not an option of Qt.
  const QString gone = ":" + QString::number(90 + ::getpid() % 9);
  ASSERT_FALSE(QFile::exists("/tmp/.X11-unix/X" + gone.mid(1)));
  const TRun save = RunProgram({"SAVE", "A", "-reverse"}, 60000, false, gone);
  ASSERT_TRUE(save.finished);
  EXPECT_EQ(save.exitCode, 0) << save.errors.toStdString();
  EXPECT_EQ(test::ReadFileBytes(Path("-reverse")).rfind(kItemSalesHeader, 0), 0u);
  // An interactive start says why in one line and ends.
  const TRun window = RunProgram({}, 20000, false, gone);
  ASSERT_TRUE(window.finished);
  EXPECT_EQ(window.exitCode, 0);
  EXPECT_EQ(window.errors.toStdString(), "Nu se poate deschide ecranul " + gone.toStdString() + "\n");
}

TEST_F(BatchRunTest, AWaylandDisplayThatIsGoneOrNoDisplayAtAllIsTreatedAsAGoneXDisplay) {
  StartSim();
  // A compositor's socket name left in the environment, and nothing behind it.
  const QString runtime = dir.filePath("run");
  ASSERT_TRUE(QDir().mkpath(runtime));
  const QStringList deadWayland = {"WAYLAND_DISPLAY=wayland-9", "XDG_RUNTIME_DIR=" + runtime};
  const TRun save = RunProgram({"SAVE", "A", "sales.csv"}, 60000, false, {}, deadWayland);
  ASSERT_TRUE(save.finished);
  EXPECT_EQ(save.exitCode, 0) << save.errors.toStdString();
  EXPECT_GT(LineCount(test::ReadFileBytes(Path("sales.csv"))), 1u);
  const TRun window = RunProgram({}, 20000, false, {}, deadWayland);
  ASSERT_TRUE(window.finished);
  EXPECT_EQ(window.exitCode, 0);
  EXPECT_EQ(window.errors.toStdString(), "Nu se poate deschide ecranul wayland-9\n");
  // The platform chosen as xcb or wayland with nothing to open, and no
  // display variable at all: one line each, never an abort.
  for (const QStringList& env : {QStringList{"QT_QPA_PLATFORM=wayland", "XDG_RUNTIME_DIR=" + runtime},
                                 QStringList{"QT_QPA_PLATFORM=xcb"}, QStringList{"XDG_RUNTIME_DIR=" + runtime}}) {
    const TRun none = RunProgram({}, 20000, false, {}, env);
    ASSERT_TRUE(none.finished) << env.join(' ').toStdString();
    EXPECT_EQ(none.exitCode, 0) << env.join(' ').toStdString();
    EXPECT_EQ(LineCount(none.errors.toStdString()), 1u) << none.errors.toStdString();
    EXPECT_TRUE(none.errors.startsWith("Nu ")) << none.errors.toStdString();
  }
}

TEST_F(BatchRunTest, LoadOfAMissingFileReportsItAndAsksTheRegisterNothing) {
  StartSim();
  const TRun run = RunProgram({"LOAD", "S", "missing.csv"});
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, 0);
  EXPECT_TRUE(run.errors.contains("Nu se poate deschide fisierul specificat!")) << run.errors.toStdString();
  EXPECT_TRUE(sim->ReceivedBytes().empty());
}

// In-process: the window with scripted boxes, started as start-up would.
class BatchWindowTest : public BatchRunTest {
 protected:
  void RunBatch(bool save, int variant, const std::string& file) {
    window = std::make_unique<TfMain>(nullptr, &dialogs);
    window->SetBatchRequest({true, save, variant, file});
    window->show();
    ASSERT_TRUE(test::ServeUntil([this] { return window->BatchStarted() && !window->isVisible(); }, 60000));
  }
};

TEST_F(BatchWindowTest, ADownloadWhoseRegisterStopsAnsweringGivesUpAndSavesWhatItRead) {
  StartSim();
  // Silent from the third request on, as a register unplugged mid-run.
  std::thread unplug([this] {
    for (int i = 0; i < 2000 && Commands().size() < 2; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    sim->WithRegister(1, [](TSimRegister& r) { return r.Faults.Silent = true; });
  });
  RunBatch(true, 0, Path("sales.csv"));
  unplug.join();
  ASSERT_NE(window->LastRun(), nullptr);
  EXPECT_EQ(window->LastJobKind(), 1);
  const Lines log = LogLines();
  const auto errors = std::count_if(log.begin(), log.end(),
                                    [](const std::string& l) { return l.rfind("Eroare la descarcare articol: ", 0) == 0; });
  EXPECT_GE(errors, TfMain::kBatchIdleRequestLimit);
  EXPECT_LE(errors, TfMain::kBatchIdleRequestLimit + 2);
  EXPECT_EQ(log.back(), "Descarcare articole incheiata cu erori");
  // The records read before the register fell silent are in the file.
  const std::string file = test::ReadFileBytes(Path("sales.csv"));
  EXPECT_EQ(file.rfind(kItemSalesHeader, 0), 0u);
  EXPECT_GE(LineCount(file), 2u);
  EXPECT_LT(LineCount(file), 1 + StoredCount(SimTable::ItemSales));
  EXPECT_EQ(window->StatusText(1), "Salvare fisier terminata cu succes.");
}

TEST_F(BatchWindowTest, StopDuringABatchDownloadSavesWhatWasReadSoFar) {
  TRegisterFaults slow;
  slow.ReplyDelayMs = 15;
  StartSim(slow);
  window = std::make_unique<TfMain>(nullptr, &dialogs);
  window->SetBatchRequest({true, true, 1, Path("sales.csv")});
  // The run waits for its job inside its own event handling: the user's
  // Stop arrives there, as a timer's does.
  bool stopWasEnabled = false;
  QTimer user;
  QObject::connect(&user, &QTimer::timeout, [&] {
    if (OperationLog->Lines().size() < 4) return;
    user.stop();
    stopWasEnabled = window->aStop->isEnabled();
    EXPECT_EQ(window->Tag(), kTagDownload);
    window->aStop->trigger();
  });
  user.start(2);
  window->show();
  ASSERT_TRUE(test::ServeUntil([this] { return window->BatchStarted() && !window->isVisible(); }));
  EXPECT_TRUE(stopWasEnabled);
  const std::size_t lines = LineCount(test::ReadFileBytes(Path("sales.csv")));
  EXPECT_GE(lines, 2u);
  EXPECT_LT(lines, 1 + StoredCount(SimTable::Items));
  EXPECT_EQ(window->LastJobKind(), 101);
}

TEST_F(BatchWindowTest, AnUploadRunsOnceAndItsFailuresGoThroughTheBoxes) {
  StartSim();
  RunBatch(false, 0, Path("missing.csv"));
  ASSERT_EQ(dialogs.Messages().size(), 1u);
  EXPECT_EQ(dialogs.Messages()[0].Kind, TMessageKind::Error);
  EXPECT_EQ(dialogs.Messages()[0].Text, "Nu se poate deschide fisierul specificat!");
  EXPECT_EQ(window->LastRun(), nullptr);
  // A later activation does not run it again.
  window->show();
  window->activateWindow();
  QTest::qWait(50);
  EXPECT_EQ(dialogs.Messages().size(), 1u);
  EXPECT_TRUE(sim->ReceivedBytes().empty());
}

}  // namespace
}  // namespace vestok
