// The one qzsim of a test: natively a child process on a pseudo-terminal with a free
// control port; under Wine the one scripts/wine-tests started (COM1 is its line).
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/scripted_prompt.h"
#include "tests/support/sim_control.h"

struct SimProcess {
  int pid = -1;           // -1: none of ours to stop
  std::string pty;        // the simulator's end of the line
  uint16_t control = 0;   // its control port
};

// Natively starts QZ_SIM_PATH with the shipped rotary definition file, a free
// control port and the extra arguments, false when it is not up within 5 s. Under
// Wine takes the running one from QZSIM_PTY and QZSIM_CONTROL, false when unset.
bool startSim(SimProcess& sim, std::vector<std::string> extraArgs = {});
void stopSim(SimProcess& sim);

// Port 0 of the link on `linePath`, the mode record and link flags cleared and the
// communication thread started: linkStart's result.
uint16_t startLinkOn(const char* linePath);

// One simulator for the whole suite, reset with an empty request log before each
// test, and the link connected to it on port 0 until the test ends.
class SimLinkTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  static void TearDownTestSuite();
  void SetUp() override;
  void TearDown() override;

  bool control(const std::string& line, std::string* reply = nullptr) { return simCommand(sim.control, line, reply); }
  std::string log() { return simLog(sim.control); }
  std::vector<std::string> logLines() { return simLogLines(sim.control); }

  static inline SimProcess sim;
  static inline bool simRunning = false;
  ScriptedPrompt prompt;
};
