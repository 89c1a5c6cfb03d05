// The settings block: the 1653-byte image of SetData.cfg that holds the saved port,
// the environment settings, every dialog's last inputs and the point table.
#pragma once
#include <cstddef>
#include <cstdint>

#include "files/point_table.h"
#include "files/settings_areas.h"

constexpr uint32_t SETTINGS_SIZE = 1653;
constexpr const char* SETTINGS_FILE_NAME = "SetData.cfg";
constexpr uint32_t MEMORY_SETTINGS_OFFSET = 1637;   // 16 bytes kept as the file had them
constexpr uint32_t MEMORY_SETTINGS_BYTES = 16;

// Value format words by command unit index; all signed 32-bit, decimal, blank-filled.
constexpr uint16_t VALUE_FORMAT_0_001 = 0x53C;   // "0.001": 3 fraction digits, width 12
constexpr uint16_t VALUE_FORMAT_0_01 = 0x52C;
constexpr uint16_t VALUE_FORMAT_0_1 = 0x51C;
constexpr uint16_t VALUE_FORMAT_1 = 0x50B;       // "1": no fraction, width 11
constexpr int COMMAND_UNIT_COUNT = 4;
constexpr int DISPLAY_UNIT_COUNT = 3;            // "mm", "deg", none

#pragma pack(push, 1)
struct SettingsBlock {
  uint16_t savedPort;                  // 0 = COM1; kept as read, even when no such port
  EnvironmentSettings environment;     // 2
  JogArea jog;                         // 8
  StepArea step;                       // 59
  PositioningArea positioning;         // 161
  PointOperationArea pointOperation;   // 261
  StationArea station;                 // 312
  ExternalSignalArea externalSignal;   // 413
  MultiSpeedArea multiSpeed;           // 608
  PassPointArea passPoint;             // 831
  HomingArea homing;                   // 1118
  OutputPortArea outputPort;           // 1172
  PointTable pointTable;               // 1184: use livePointTable()
  PointSettingArea pointSetting;       // 1584
  uint8_t memorySettings[MEMORY_SETTINGS_BYTES];   // 1637: not used while running
};
#pragma pack(pop)
static_assert(sizeof(SettingsBlock) == SETTINGS_SIZE, "SetData.cfg is 1653 bytes");
static_assert(offsetof(SettingsBlock, pointTable) == 1184 &&
              offsetof(SettingsBlock, pointSetting) == 1584 &&
              offsetof(SettingsBlock, memorySettings) == MEMORY_SETTINGS_OFFSET,
              "settings areas at their file offsets");

// The block of the running program. Read and written by the user-interface thread
// and by transfer workers (point table only), without locks.
extern SettingsBlock g_settings;

// The live point table inside the block (entry k is point k + 1).
PointTable* livePointTable();

// Last inputs of the memory read and write dialogs: zero at start, kept for the
// process, never saved.
extern MemoryReadSettings g_memoryReadSettings;
extern MemoryWriteSettings g_memoryWriteSettings;

// Every byte 0 except value format word 0x53C and both point numbers 1.
void setDefaultSettings(SettingsBlock* block);
// Takes a file image only when it is exactly SETTINGS_SIZE bytes: 0, else 0xFFFF
// with the block at its defaults. Counts and indices a damaged file could carry
// out of range are brought back into it (see normaliseSettings).
uint16_t takeSettingsImage(const void* data, uint32_t size, SettingsBlock* block);
// History counts above 10 become 10, a speed-change count above 15 becomes 15, unit
// indices out of range 0, a value format word that is none of the four that of the
// command unit, point numbers outside 1-50 become 1.
void normaliseSettings(SettingsBlock* block);

// Start-up: defaults, then the file's image if it is exactly 1653 bytes and reads
// whole. Never creates the file. 0, or 0xFFFF (missing, short, long, unreadable).
uint16_t loadSettings(const char* path = SETTINGS_FILE_NAME);
// Shutdown: writes the whole block through a temporary file renamed over the
// target, so a failed write leaves the old file. 0, or 0xFFFF.
uint16_t saveSettings(const char* path = SETTINGS_FILE_NAME);

uint16_t savedPort();
void setSavedPort(uint16_t port);

// Format word for a command unit index (0-3); an index out of range gives 0x53C.
uint16_t valueFormatForUnit(uint8_t commandUnit);
// The copy of offsets 2-7 a dialog takes when it opens.
EnvironmentSettings environmentSettings();
