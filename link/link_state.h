// Process-wide link state: the link status flags, the module status shown in the
// status bar, and the mode record (debug mode, mode text, current port).
#pragma once
#include <atomic>
#include <cstdint>

#include "protocol/exchange.h"

// 32 bits, cleared at start-up. Bit 0: a serial port is open (written only by the
// communication thread). Bits 1 and 2: the jog buttons.
constexpr uint32_t LINK_PORT_OPEN = 0;
constexpr uint32_t LINK_JOG_FORWARD = 1;
constexpr uint32_t LINK_JOG_REVERSE = 2;
void linkFlagsClear();
uint16_t linkFlagTest(uint32_t bit);        // bits above 31 test 0
void linkFlagSet(uint32_t bit, bool on);    // bits above 31 are ignored

// Written by the status poll thread, read when the status bar is painted. One
// byte each; nonzero means on.
struct ModuleStatus {
  std::atomic<uint8_t> ready{0};
  std::atomic<uint8_t> servoOn{0};
  std::atomic<uint8_t> mainCircuitOn{0};
  std::atomic<uint8_t> alarm{0};
};
extern ModuleStatus g_moduleStatus;

// The mode record. The debug flag and the port are read by threads other than
// the user-interface thread that writes them (workers building requests, the
// communication thread's line context), so they are atomic; the mode text is
// used on the user-interface thread only.
struct ModeRecord {
  std::atomic<uint16_t> debugMode{0};     // 1 when the definition file says MODE:DBG
  char modeCode[4] = {};                  // the MODE text; names the resource library
  std::atomic<uint16_t> currentPort{0};   // port of every command exchange (0 = COM1)
};
extern ModeRecord g_mode;
void resetModeRecord();

// A copy of the mode record, kept and put back as one unit around a reload of
// the definition file.
struct ModeSnapshot {
  uint16_t debugMode;
  char modeCode[4];
  uint16_t currentPort;
};
ModeSnapshot saveModeRecord();
// The line every command exchange runs on now: the current port and debug mode.
LineContext currentLineContext();
void restoreModeRecord(const ModeSnapshot& kept);
