#pragma once
// The window against a simulated register on a pseudo-terminal: LinkSettings
// point at the simulator with short time-outs, the operation log exists, the
// boxes are answered by a script.
#include <gtest/gtest.h>

#include <QAction>
#include <QTest>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "support/window_state_for_tests.h"
#include "config/link_settings.h"
#include "jobs/operation_log.h"
#include "sim/ecr_simulator.h"
#include "sim/sim_preload.h"
#include "ui/main_window.h"
#include "ui_test_support.h"

namespace vestok::test {

using Lines = std::vector<std::string>;

class WindowTransferTest : public ::testing::Test {
 protected:
  void SetUp() override {
    EnsureApplication();
    saved_ = LinkSettings;
    LinkSettings.LogicNo = 1;
    LinkSettings.Speed = 9600;
    LinkSettings.CableTimeout = 30;
    LinkSettings.RetryCmd = 3;
    LinkSettings.RetryByte = 3;
    OperationLog = std::make_unique<TOperationLog>();
  }
  void TearDown() override {
    window.reset();
    sim.reset();
    OperationLog.reset();
    LinkSettings = saved_;
  }

  // The register, preloaded with the sample register's tables.
  void StartSim(TRegisterFaults faults = {}, bool preload = true) {
    TSimRegister reg;
    reg.Faults = faults;
    if (preload) PreloadFolder(reg.Memory, std::string(VESTOK_TEST_DATA_DIR) + "/sample", '.');
    TSimOptions options;
    options.Registers = {std::move(reg)};
    sim = std::make_unique<EcrSimulator>(std::move(options));
    std::string error;
    ASSERT_TRUE(sim->Start(&error)) << error;
    LinkSettings.PortName = sim->SlavePath();
  }
  void ShowWindow() {
    window = std::make_unique<TfMain>(nullptr, &dialogs);
    window->show();
  }

  // Answers the confirmation with Yes, triggers the action and waits for the
  // job's end as the batch run does (Stop disabled again).
  void RunConfirmed(QAction* action) {
    dialogs.QueueAnswer(TMessageAnswer::Yes);
    action->trigger();
    ASSERT_TRUE(ServeUntil([this] {
      return !window->aStop->isEnabled() && !window->JobRunning() &&
             (window->LastRun() == nullptr || window->LastRun()->Ended());
    }));
  }

  Lines Commands() const {
    Lines out;
    for (const auto& e : sim->Trace())
      if (e.fromPc && e.kind == "command") out.push_back(e.text);
    return out;
  }
  std::size_t StoredCount(SimTable table) {
    return sim->WithRegister(1, [table](TSimRegister& r) { return r.Memory.Records(table).size(); });
  }
  static Lines LogLines() { return OperationLog->Lines(); }

  TScriptedDialogs dialogs;
  std::unique_ptr<EcrSimulator> sim;
  std::unique_ptr<TfMain> window;

 private:
  TLinkSettings saved_;
};

}  // namespace vestok::test
