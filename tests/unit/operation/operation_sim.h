// Fixture of the operation tests that talk to qzsim: the link open on its
// pseudo-terminal, the servo on, the request log cleared.
#pragma once
#include <gtest/gtest.h>
#include <chrono>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>
#include "link/link.h"
#include "link/link_state.h"
#include "serial/serial_port.h"
#include "tests/support/scripted_prompt.h"
#include "tests/support/sim_control.h"
#include "tests/support/sim_process.h"

class OperationSim : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    simRunning = startSim(sim);
    if (simRunning) setPortDevicePath(0, sim.pty.c_str());
  }
  static void TearDownTestSuite() {
    if (simRunning) stopSim(sim);
  }
  void SetUp() override {
    ASSERT_TRUE(simRunning);
    ASSERT_TRUE(control("RESET"));
    ASSERT_TRUE(control("SET SERVO 1"));
    ASSERT_TRUE(control("LOG CLEAR"));
    resetModeRecord();
    linkFlagsClear();
    ASSERT_EQ(linkStart(), 0);
    ASSERT_EQ(postConnectionRequest(1, 1, 0), 0);
  }
  void TearDown() override { linkShutdown(); }

  bool control(const std::string& line, std::string* reply = nullptr) {
    return simCommand(sim.control, line, reply);
  }
  // The requests qzsim received since the last clear, one per line as logged.
  std::vector<std::string> logLines() {
    std::string reply;
    control("LOG", &reply);
    std::vector<std::string> lines;
    std::istringstream in(reply);
    for (std::string line; std::getline(in, line);)
      if (!line.empty()) lines.push_back(line);
    return lines;
  }
  static bool waitFor(int timeoutMs, const std::function<bool()>& done) {
    auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < end) {
      if (done()) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return done();
  }

  static inline SimProcess sim;
  static inline bool simRunning = false;
  ScriptedPrompt prompt;
};
