#pragma once
// The port tools against simulated registers: the simulator on a
// pseudo-terminal named in VESTOK_PORTS, LinkSettings with short time-outs
// (restored afterwards), a configuration file in a temporary folder, an
// offscreen application and scripted message boxes.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>

#include "support/window_state_for_tests.h"
#include "config/ini_file.h"
#include "config/link_settings.h"
#include "ecr/link_port.h"
#include "sim/ecr_simulator.h"
#include "ui_test_support.h"

namespace vestok {

using test::ServeUntil;

class ToolsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::EnsureApplication();
    saved_ = LinkSettings;
    LinkSettings = TLinkSettings{};
    LinkSettings.CableTimeout = 20;
    LinkSettings.RetryCmd = 1;
    LinkSettings.RetryByte = 3;
    ASSERT_TRUE(dir_.isValid());
    configPath = dir_.filePath(QStringLiteral("Vestok.ini")).toStdString();
    const char* ports = std::getenv("VESTOK_PORTS");
    savedPorts_ = ports ? std::optional<std::string>(ports) : std::nullopt;
  }
  void TearDown() override {
    CloseLink(LinkPort);
    if (sim) sim->Stop();
    LinkSettings = saved_;
    if (savedPorts_)
      setenv("VESTOK_PORTS", savedPorts_->c_str(), 1);
    else
      unsetenv("VESTOK_PORTS");
  }

  // Starts the registers on one line and names its port in VESTOK_PORTS.
  void StartSim(std::vector<TSimRegister> registers, std::int32_t lineSpeed = 0) {
    TSimOptions options;
    options.Registers = std::move(registers);
    options.LineSpeed = lineSpeed;
    sim = std::make_unique<EcrSimulator>(std::move(options));
    std::string error;
    ASSERT_TRUE(sim->Start(&error)) << error;
    port = sim->SlavePath();
    setenv("VESTOK_PORTS", port.c_str(), 1);
  }
  static TSimRegister Register(int logicNo, std::string fiscalNumber = "RO0000001") {
    TSimRegister r;
    r.LogicNo = logicNo;
    r.FiscalNumber = std::move(fiscalNumber);
    return r;
  }

  void WriteConfig(const std::string& text) {
    std::ofstream(configPath, std::ios::binary) << text;
  }
  std::string ConfigText() const {
    std::ifstream in(configPath, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  std::string ConfigValue(const char* key) const {
    IniFile ini;
    ini.Load(configPath);
    return ini.Value("Communication", key).value_or("<none>");
  }

  std::unique_ptr<EcrSimulator> sim;
  std::string port;
  std::string configPath;
  TScriptedDialogs dialogs;

 private:
  TLinkSettings saved_;
  QTemporaryDir dir_;
  std::optional<std::string> savedPorts_;
};

}  // namespace vestok
