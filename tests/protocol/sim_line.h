#pragma once
// A simulated register line for the protocol tests: the simulator on a
// pseudo-terminal, LinkSettings with short time-outs, restored afterwards.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>

#include "support/window_state_for_tests.h"
#include "config/link_settings.h"
#include "ecr/link_port.h"
#include "sim/ecr_simulator.h"

namespace vestok {

class SimLineTest : public ::testing::Test {
 protected:
  static constexpr int T = 30;  // CableTimeout of the tests, ms

  void SetUp() override {
    saved_ = LinkSettings;
    LinkSettings.CableTimeout = T;
    LinkSettings.RetryCmd = 3;
    LinkSettings.RetryByte = 10;
  }
  void TearDown() override {
    CloseLink(LinkPort);
    if (sim) sim->Stop();
    LinkSettings = saved_;
  }

  // Starts a simulator with the given registers (one sound register 1 when none).
  void StartSim(TSimOptions options = {}) {
    sim = std::make_unique<EcrSimulator>(std::move(options));
    std::string error;
    ASSERT_TRUE(sim->Start(&error)) << error;
  }
  static TSimOptions OneRegister(TSimRegister r) {
    TSimOptions o;
    o.Registers.push_back(std::move(r));
    return o;
  }
  bool Open() { return OpenLink(LinkPort, sim->SlavePath(), 9600); }

  // What the register took in, once `expected` bytes have arrived (and a
  // little longer, so that extra bytes would show).
  std::string ReceivedAfter(const std::string& expected) {
    sim->WaitForReceived(expected.size(), 2000);
    sim->WaitForReceived(expected.size() + 1, 50);
    return sim->ReceivedBytes();
  }

  static long ElapsedMs(std::chrono::steady_clock::time_point since) {
    return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                 std::chrono::steady_clock::now() - since)
                                 .count());
  }

  std::unique_ptr<EcrSimulator> sim;

 private:
  TLinkSettings saved_;
};

}  // namespace vestok
