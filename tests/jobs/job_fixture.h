#pragma once
// A job run end to end: a simulated register on a pseudo-terminal, a host
// that records what the job does to the window, and the plain hand-over.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "jobs/job_thread.h"
#include "support/window_state_for_tests.h"
#include "config/link_settings.h"
#include "ecr/link_port.h"
#include "jobs/del_thread.h"
#include "jobs/load_thread.h"
#include "jobs/save_thread.h"
#include "jobs/stepped_main_thread.h"
#include "sim/ecr_simulator.h"
#include "tables/document_table.h"
#include "tables/table_file.h"
#include "text/decimal_separator.h"

namespace vestok {

class RecordingHost : public IJobHost {
 public:
  void SetPagesEnabled(bool enabled) override { pagesEnabled = enabled; }
  std::vector<bool> ActionStates() const override { return actions; }
  void SetActionStates(const std::vector<bool>& states) override { actions = states; }
  void SetStopEnabled(bool enabled) override { stopEnabled = enabled; }
  void SetStatusText(int panel, const std::string& text) override {
    panels[panel] = text;
    if (onStatus) onStatus(panel, text);
  }

  bool pagesEnabled = true;
  std::vector<bool> actions = {true, false, true, false, true};
  bool stopEnabled = false;
  std::string panels[3];
  std::function<void(int, const std::string&)> onStatus;
};

using Lines = std::vector<std::string>;

class JobTest : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = LinkSettings;
    SetUserDecimalSeparator('.');
    LinkSettings.LogicNo = 1;
    LinkSettings.CableTimeout = 30;
    LinkSettings.RetryCmd = 3;
    LinkSettings.RetryByte = 3;
  }
  void TearDown() override {
    job.reset();
    sim.reset();
    LinkSettings = saved_;
  }

  void StartSim(TSimRegister reg = {}, SimVariant variant = SimVariant::Auto) {
    TSimOptions options;
    options.Registers = {std::move(reg)};
    options.Variant = variant;
    sim = std::make_unique<EcrSimulator>(std::move(options));
    std::string error;
    ASSERT_TRUE(sim->Start(&error)) << error;
    port = sim->SlavePath();
  }

  JobSetup Setup(DocumentTable& table, RowSelection selection = std::nullopt) {
    return JobSetup{host, mainThread, port, 9600, table, std::move(selection), log, LinkPort};
  }
  void Upload(JobKind kind, DocumentTable& table, RowSelection selection = std::nullopt) {
    job = std::make_unique<TJobThread<TLoadThread>>(kind, Setup(table, std::move(selection)));
    job->WaitForEnd();
  }
  void Download(JobKind kind, DocumentTable& table, RowSelection selection = std::nullopt) {
    job = std::make_unique<TJobThread<TSaveThread>>(kind, Setup(table, std::move(selection)));
    job->WaitForEnd();
  }
  void Delete(DocumentTable& table, RowSelection selection = std::nullopt) {
    job = std::make_unique<TJobThread<TDelThread>>(Setup(table, std::move(selection)));
    job->WaitForEnd();
  }
  // Stops the job as the user would, when panel 1 shows `line` for the n-th time.
  void StopAt(const std::string& line, int times = 1) {
    host.onStatus = [this, line, times, seen = 0](int panel, const std::string& text) mutable {
      if (panel == 1 && text == line && ++seen == times) job->RequestStop();
    };
  }

  // The command texts the register received, in order.
  Lines Commands() const {
    Lines out;
    for (const auto& e : sim->Trace())
      if (e.fromPc && e.kind == "command") out.push_back(e.text);
    return out;
  }
  std::vector<SimRecord> Stored(SimTable table) {
    return sim->WithRegister(1, [table](TSimRegister& r) { return r.Memory.Records(table); });
  }
  void Preload(SimTable table, std::vector<SimRecord> records) {
    sim->WithRegister(1, [&](TSimRegister& r) {
      for (auto& rec : records) r.Memory.Put(table, rec);
      return 0;
    });
  }

  static DocumentTable& Opened(DocumentTable& table) {
    table.Open();
    return table;
  }
  // Appends a stored row; an empty text leaves a number field without value.
  static void AddRow(DocumentTable& table, std::initializer_list<std::string_view> values) {
    table.Append();
    int field = 0;
    for (std::string_view v : values) table.SetText(field++, v);
    table.Post();
  }
  static Lines FirstFields(DocumentTable& table) {
    Lines out;
    for (std::size_t row = 0; row < table.RecordCount(); ++row) out.push_back(table.TextAt(row, 0));
    return out;
  }

  RecordingHost host;
  SteppedMainThread mainThread;
  TOperationLog log;
  std::unique_ptr<EcrSimulator> sim;
  std::string port;
  std::unique_ptr<TTransferJob> job;

 private:
  TLinkSettings saved_;
};

}  // namespace vestok
