// Process-wide link state: the link status flags, the module status shown in the
// status bar, and the mode record (debug mode, mode text, current port).
#pragma once
#include <atomic>
#include <cstdint>

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

// Saved and restored as one unit around a reload of the definition file.
struct ModeRecord {
  uint16_t debugMode;    // 1 when the definition file says MODE:DBG
  char modeCode[4];      // the MODE text; names the resource library
  uint16_t currentPort;  // port of every command exchange (0 = COM1)
};
extern ModeRecord g_mode;
void resetModeRecord();
