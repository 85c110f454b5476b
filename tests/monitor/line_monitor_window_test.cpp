// The line monitor window against the simulated register: what a query, an
// upload, a silent register and a port without permission look like, the
// status line of the link test, and the trace file of a batch run.
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QComboBox>
#include <QLabel>
#include <QMenuBar>
#include <QProcess>
#include <QPushButton>
#include <QStringList>
#include <QTableView>
#include <QTemporaryDir>
#include <fstream>
#include <sstream>

#include "monitor/link_monitor.h"
#include "ui/window_monitor.h"
#include "tables/table_file.h"
#include "ui/line_monitor.h"
#include "ui/pc_communication_dialog.h"
#include "ui/transfer_test_support.h"

namespace vestok {
namespace {

// The frames of the simulator's trace as "<direction> <kind>", in the
// monitor's words (the register's answer to its selection is a reply).
std::vector<std::string> SimFrames(const EcrSimulator& sim) {
  std::vector<std::string> out;
  for (const TTraceEntry& e : sim.Trace()) {
    const std::string kind = e.kind == "answer" ? "reply" : e.kind;
    out.push_back(std::string(e.fromPc ? "PC->ECR " : "ECR->PC ") + kind);
  }
  return out;
}

bool IsFrame(const std::string& kind) {
  return kind == "deselect" || kind == "select" || kind == "command" || kind == "ack" || kind == "reply" ||
         kind == "noise";
}

class LineMonitorWindowTest : public test::WindowTransferTest {
 protected:
  TfLineMonitor* OpenMonitor() {
    auto* action = window->findChild<QAction*>("aSettingsLineMonitor");
    EXPECT_NE(action, nullptr);
    EXPECT_TRUE(window->menuBar()->findChild<QMenu*>("mSettings")->actions().contains(action));
    action->trigger();
    return window->findChild<TfLineMonitor*>("fLineMonitor");
  }
  // Each line as its trace text, once the window has taken what came.
  static std::vector<std::string> Shown(TfLineMonitor* monitor) {
    WindowLinkMonitor().Drain();
    monitor->TakeLines();
    std::vector<std::string> out;
    std::istringstream text(monitor->LinesText(false).toStdString());
    for (std::string line; std::getline(text, line);) out.push_back(line);
    return out;
  }
  static std::vector<std::string> Column(const std::string& line) {
    std::vector<std::string> columns;
    std::istringstream in(line);
    for (std::string c; std::getline(in, c, '\t');) columns.push_back(c);
    columns.resize(7);
    return columns;
  }
};

TEST_F(LineMonitorWindowTest, ShowsTheFramesOfTheQueryAndOfAOneRecordUploadInOrder) {
  StartSim();
  ShowWindow();
  TfLineMonitor* monitor = OpenMonitor();
  ASSERT_NE(monitor, nullptr);
  ASSERT_TRUE(monitor->isVisible());
  QTemporaryDir dir;
  const std::string items = test::ReadFileBytes(std::string(VESTOK_TEST_DATA_DIR) + "/sample/items.csv");
  const std::size_t second = items.find('\n', items.find('\n') + 1);
  test::WriteFileBytes(dir.filePath("one.csv").toStdString(), items.substr(0, second + 1));
  LoadTableFile(*window->Tables()[tkItems], dir.filePath("one.csv").toStdString());
  ASSERT_EQ(window->Tables()[tkItems]->RecordCount(), 1u);
  sim->ClearTrace();
  RunConfirmed(window->aExportAll);
  ASSERT_EQ(Commands().size(), 1u);

  std::vector<std::string> frames;
  std::string command;
  for (const std::string& line : Shown(monitor)) {
    const auto c = Column(line);
    if (!IsFrame(c[2])) continue;
    frames.push_back(c[1] + " " + c[2]);
    if (c[2] == "command") command = line;
    if (c[2] == "reply" || c[2] == "command") {
      EXPECT_EQ(c[5], "ok") << line;
    }
  }
  EXPECT_EQ(frames, SimFrames(*sim));
  // The query's frames come first, then the record's.
  ASSERT_GE(frames.size(), 6u);
  EXPECT_EQ(std::vector<std::string>(frames.begin(), frames.begin() + 5),
            (std::vector<std::string>{"PC->ECR deselect", "PC->ECR select", "ECR->PC reply", "PC->ECR ack",
                                      "PC->ECR deselect"}));
  const auto c = Column(command);
  EXPECT_EQ(c[3], "1");
  EXPECT_EQ(c[4].rfind("W0;1;P\xC3\xA2INE ALB\xC4\x83 500G;", 0), 0u) << command;  // shown in UTF-8

  // The window names the kinds and checks in Romanian (the saved lines keep
  // the trace's tokens), and its columns show them whole in a window that
  // fits a screen of 800 x 600.
  QAbstractItemModel* shown = monitor->View()->model();
  QStringList kinds, checks;
  for (int r = 0; r < shown->rowCount(); ++r) {
    kinds << shown->index(r, TMonitorModel::ColKind).data().toString();
    checks << shown->index(r, TMonitorModel::ColCheck).data().toString();
  }
  for (const char* word : {"deschidere", "golire", "deselectare", "selectare", "raspuns", "confirmare", "comanda"})
    EXPECT_TRUE(kinds.contains(word)) << word;
  EXPECT_TRUE(checks.contains("corect"));
  for (const char* token : {"reply", "ack", "command", "purge", "ok"})
    EXPECT_FALSE(kinds.contains(token) || checks.contains(token)) << token;
  EXPECT_LE(monitor->width(), 800);
  EXPECT_LE(monitor->height(), 600);
  const QFontMetrics metrics = monitor->View()->fontMetrics();
  for (int c : {TMonitorModel::ColDirection, TMonitorModel::ColKind, TMonitorModel::ColCheck})
    for (int r = 0; r < shown->rowCount(); ++r)
      EXPECT_LT(metrics.horizontalAdvance(shown->index(r, c).data().toString()), monitor->View()->columnWidth(c));
  // Filtered by kind, the view holds the commands only.
  monitor->cbKind->setCurrentIndex(monitor->cbKind->findText("comanda"));
  EXPECT_EQ(monitor->View()->model()->rowCount(), 1);
  // Saved, the file holds what is shown, as the trace file would.
  dialogs.QueueFileName(dir.filePath("monitor.txt"));
  monitor->btSave->click();
  EXPECT_EQ(test::ReadFileBytes(dir.filePath("monitor.txt").toStdString()), command + "\n");
}

TEST(LineMonitorModelTest, KeepsOnlyTheNewestLinesAndCountsTimeFromTheFirstShown) {
  TMonitorModel model(3);
  std::vector<TMonitorLine> lines(5);
  for (int i = 0; i < 5; ++i) lines[std::size_t(i)].TimeMs = 100 + i;
  model.Append({lines[0], lines[1]});
  model.Append({lines[2], lines[3], lines[4]});
  ASSERT_EQ(model.rowCount(), 3);
  EXPECT_EQ(model.Line(0).TimeMs, 2);
  EXPECT_EQ(model.data(model.index(2, TMonitorModel::ColTime), Qt::DisplayRole).toString(), "4.000");
  model.Clear();
  model.Append({lines[4]});
  EXPECT_EQ(model.Line(0).TimeMs, 0);
}

TEST_F(LineMonitorWindowTest, ASilentRegisterShowsThreeSelectionsEachWithItsTimeout) {
  StartSim();
  LinkSettings.LogicNo = 5;  // nobody answers to 5
  ShowWindow();
  TfLineMonitor* monitor = OpenMonitor();
  dialogs.QueueAnswer(TMessageAnswer::Yes);
  window->aImportAll->trigger();
  ASSERT_TRUE(test::ServeUntil([this] { return !dialogs.Messages().empty() && dialogs.Messages().back().Kind == TMessageKind::Error; }));

  std::vector<std::string> frames;
  for (const std::string& line : Shown(monitor)) {
    const auto c = Column(line);
    if (c[2] == "select" || c[2] == "timeout") frames.push_back(c[2] + " " + c[3] + " " + c[4]);
  }
  const std::string select = "select 5 05 [umplutura 10+5]", timeout = "timeout 5 niciun raspuns in 30 ms";
  EXPECT_EQ(frames, (std::vector<std::string>{select, timeout, select, timeout, select, timeout}));
}

TEST_F(LineMonitorWindowTest, APortWithoutPermissionShowsTheReason) {
  StartSim();
  ShowWindow();
  TfLineMonitor* monitor = OpenMonitor();
  const std::string port = sim->SlavePath();
  struct stat before {};
  ASSERT_EQ(stat(port.c_str(), &before), 0);
  // As root the file permissions do not hold; the file-system user of this
  // thread (the one that runs the query) becomes an ordinary one meanwhile.
  ASSERT_EQ(chmod(port.c_str(), 0), 0);
  const bool root = geteuid() == 0;
  if (root) setfsuid(65534);
  dialogs.QueueAnswer(TMessageAnswer::Yes);
  window->aImportAll->trigger();
  // The query runs on this thread, handed over by the engine's.
  ASSERT_TRUE(test::ServeUntil([this] { return window->LastRun() != nullptr && window->LastRun()->Ended(); }));
  if (root) setfsuid(0);
  chmod(port.c_str(), before.st_mode & 07777);

  std::string reasons;
  for (const std::string& line : Shown(monitor))
    if (Column(line)[2] == "error") reasons += Column(line)[4];
  if (sim->ReceivedBytes().size() > 0) GTEST_SKIP() << "the port opened all the same here: " << reasons;
  EXPECT_EQ(reasons, "utilizatorul nu are drept de acces la port; adaugati-l in grupul dialout");
  // The box is the specified one, the reason stays in the monitor.
  ASSERT_FALSE(dialogs.Messages().empty());
  EXPECT_EQ(dialogs.Messages().back().Text, "Nu se poate citi numarul fiscal al imprimantei!");
}

TEST_F(LineMonitorWindowTest, TheLinkTestSaysWhyItStoppedWhenThePortCannotBeOpened) {
  TfPCCommunication dialog(nullptr, QTemporaryDir().filePath("Vestok.ini").toStdString(), &dialogs);
  auto* ports = dialog.findChild<QComboBox*>("cbSerialPort");
  ports->addItem("/dev/vestok-no-such-port");
  ports->setCurrentIndex(ports->count() - 1);
  dialog.findChild<QComboBox*>("cbSpeed")->setCurrentIndex(1);
  dialog.show();
  dialog.findChild<QPushButton*>("btStartTest")->click();
  auto* status = dialog.findChild<QLabel*>("lLinkStatus");
  ASSERT_TRUE(test::ServeUntil([&] { return !dialog.TestRunning() && !status->text().isEmpty(); }, 5000));
  EXPECT_EQ(status->text(), "Portul /dev/vestok-no-such-port nu poate fi deschis: portul nu exista (dispozitivul "
                            "lipseste sau nu este conectat)");
}

TEST_F(LineMonitorWindowTest, ABatchRunWithVestokTraceWritesTheExchangeTheRegisterSaw) {
  StartSim();
  QTemporaryDir dir;
  const QString program = dir.filePath("vestok");
  ASSERT_TRUE(QFile::copy(QStringLiteral(VESTOK_EXE), program));
  test::WriteFileBytes(dir.filePath("Vestok.ini").toStdString(),
                       "[Communication]\r\nPort=" + sim->SlavePath() + "\r\nBaud=4\r\nLogicNo=1\r\nCableLen=3\r\n");
  QProcess process;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert("VESTOK_TRACE", dir.filePath("t.txt"));
  process.setProcessEnvironment(env);
  process.setWorkingDirectory(dir.path());
  process.start(program, {"SAVE", "A", "out.csv"});
  ASSERT_TRUE(process.waitForFinished(60000));

  std::vector<std::string> frames;
  std::string toRegister;
  double last = -1;
  std::ifstream trace(dir.filePath("t.txt").toStdString());
  for (std::string line; std::getline(trace, line);) {
    const auto c = Column(line);
    const double ms = std::stod(c[0]);
    EXPECT_GE(ms, last) << line;  // in the order they happened
    last = ms;
    if (IsFrame(c[2])) frames.push_back(c[1] + " " + c[2]);
    if (c[1] == "PC->ECR") {
      for (std::size_t i = 0; i < c[6].size(); i += 3) toRegister += static_cast<char>(std::stoi(c[6].substr(i, 2), nullptr, 16));
    }
  }
  ASSERT_GT(frames.size(), 10u);
  EXPECT_EQ(frames, SimFrames(*sim));
  EXPECT_EQ(toRegister, sim->ReceivedBytes());
}

}  // namespace
}  // namespace vestok

namespace vestok {
namespace {

// The picture of the monitor for the documentation, written only when
// VESTOK_SCREENSHOT_DIR names a folder: the window after a download of the
// operators.
TEST_F(LineMonitorWindowTest, WritesAScreenshotWhenAsked) {
  const char* dir = std::getenv("VESTOK_SCREENSHOT_DIR");
  if (!dir) GTEST_SKIP() << "VESTOK_SCREENSHOT_DIR not set";
  StartSim();
  ShowWindow();
  TfLineMonitor* monitor = OpenMonitor();
  window->ShowTablePage(tkOperators);
  RunConfirmed(window->aImportAll);
  WindowLinkMonitor().Drain();
  monitor->TakeLines();
  monitor->View()->selectRow(monitor->Model()->rowCount() - 8);
  QApplication::processEvents();
  ASSERT_TRUE(monitor->grab().save(QString::fromUtf8(dir) + "/line-monitor.png"));
}

}  // namespace
}  // namespace vestok
