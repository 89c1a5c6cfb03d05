// Starts and stops qzsim for native tests: the simulator's pseudo-terminal path and
// control port come from its first two output lines.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

struct SimProcess {
  int pid = -1;
  std::string pty;
  uint16_t control = 0;
};

// Starts QZ_SIM_PATH with the shipped rotary definition file, a free control
// port and the extra arguments; false when it does not come up within 5 s.
bool startSim(SimProcess& sim, std::vector<std::string> extraArgs = {});
void stopSim(SimProcess& sim);
