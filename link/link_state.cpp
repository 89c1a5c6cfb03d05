// Process-wide link state.
#include "link/link_state.h"
#include <cstring>

namespace {
std::atomic<uint32_t> g_linkFlags{0};
}

ModuleStatus g_moduleStatus;
ModeRecord g_mode;

void linkFlagsClear() { g_linkFlags.store(0); }

uint16_t linkFlagTest(uint32_t bit) {
  if (bit > 31) return 0;
  return (g_linkFlags.load() >> bit) & 1u;
}

void linkFlagSet(uint32_t bit, bool on) {
  if (bit > 31) return;
  if (on) g_linkFlags.fetch_or(1u << bit);
  else g_linkFlags.fetch_and(~(1u << bit));
}

void resetModeRecord() {
  g_mode.debugMode = 0;
  std::memset(g_mode.modeCode, 0, sizeof g_mode.modeCode);
  g_mode.currentPort = 0;
}

ModeSnapshot saveModeRecord() {
  ModeSnapshot kept{g_mode.debugMode.load(), {}, g_mode.currentPort.load()};
  std::memcpy(kept.modeCode, g_mode.modeCode, sizeof kept.modeCode);
  return kept;
}

void restoreModeRecord(const ModeSnapshot& kept) {
  g_mode.debugMode.store(kept.debugMode);
  std::memcpy(g_mode.modeCode, kept.modeCode, sizeof g_mode.modeCode);
  g_mode.currentPort.store(kept.currentPort);
}

LineContext currentLineContext() {
  return LineContext{g_mode.currentPort.load(), g_mode.debugMode.load() != 0};
}
