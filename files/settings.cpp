// The settings block: defaults, the SetData.cfg image and its load and save.
#include "files/settings.h"

#include <bit>
#include <cstring>

#include "files/guarded_file.h"

static_assert(std::endian::native == std::endian::little,
              "the settings block is stored in the machine's own byte order");

// Aligned so that the point table inside it (offset 1184) is naturally aligned.
alignas(8) SettingsBlock g_settings;
MemoryReadSettings g_memoryReadSettings{};
MemoryWriteSettings g_memoryWriteSettings{};

static_assert(offsetof(SettingsBlock, pointTable) % alignof(PointTable) == 0);

PointTable* livePointTable() {
  // The member is declared inside a packed record, but g_settings is 8-aligned and
  // the table sits at a multiple of its alignment, so the pointer is aligned.
  return reinterpret_cast<PointTable*>(reinterpret_cast<unsigned char*>(&g_settings) +
                                       offsetof(SettingsBlock, pointTable));
}

void setDefaultSettings(SettingsBlock* block) {
  std::memset(block, 0, sizeof(*block));
  block->environment.valueFormat = VALUE_FORMAT_0_001;
  block->pointOperation.pointNumber = 1;
  block->pointSetting.pointNumber = 1;
}

uint16_t valueFormatForUnit(uint8_t commandUnit) {
  static const uint16_t words[COMMAND_UNIT_COUNT] = {VALUE_FORMAT_0_001, VALUE_FORMAT_0_01,
                                                     VALUE_FORMAT_0_1, VALUE_FORMAT_1};
  return commandUnit < COMMAND_UNIT_COUNT ? words[commandUnit] : VALUE_FORMAT_0_001;
}

static void clampHistory(ValueHistory* history) {
  if (history->count > VALUE_HISTORY_LENGTH) history->count = VALUE_HISTORY_LENGTH;
}

static uint16_t clampPoint(uint16_t number) {
  return number >= 1 && number <= POINT_COUNT ? number : 1;
}

void normaliseSettings(SettingsBlock* block) {
  EnvironmentSettings& env = block->environment;
  if (env.displayUnit >= DISPLAY_UNIT_COUNT) env.displayUnit = 0;
  if (env.commandUnit >= COMMAND_UNIT_COUNT) env.commandUnit = 0;
  // The format word may lag behind the unit index (an invalid interval confirms the
  // units alone), so only a word that no unit gives is replaced.
  bool known = false;
  for (uint8_t unit = 0; unit < COMMAND_UNIT_COUNT; ++unit)
    known = known || env.valueFormat == valueFormatForUnit(unit);
  if (!known) env.valueFormat = valueFormatForUnit(env.commandUnit);

  ValueHistory* histories[] = {
      &block->jog.speedHistory,
      &block->step.distanceHistory, &block->step.speedHistory,
      &block->positioning.speedHistory, &block->positioning.targetHistory,
      &block->pointOperation.pointHistory,
      &block->station.speedHistory, &block->station.stationHistory,
      &block->externalSignal.speedHistory, &block->externalSignal.targetHistory,
      &block->externalSignal.externalDistanceHistory, &block->externalSignal.externalSpeedHistory,
      &block->multiSpeed.targetHistory, &block->multiSpeed.speedHistory,
      &block->passPoint.speedHistory, &block->passPoint.targetHistory,
      &block->passPoint.signal1OnHistory, &block->passPoint.signal1OffHistory,
      &block->passPoint.signal2OnHistory, &block->passPoint.signal2OffHistory,
      &block->homing.speedHistory,
      &block->pointSetting.speedHistory,
  };
  for (ValueHistory* history : histories) clampHistory(history);

  if (block->multiSpeed.changeCount > SPEED_CHANGE_MAX) block->multiSpeed.changeCount = SPEED_CHANGE_MAX;
  block->pointOperation.pointNumber = clampPoint(block->pointOperation.pointNumber);
  block->pointSetting.pointNumber = clampPoint(block->pointSetting.pointNumber);
}

uint16_t takeSettingsImage(const void* data, uint32_t size, SettingsBlock* block) {
  setDefaultSettings(block);
  if (data == nullptr || size != SETTINGS_SIZE) return 0xFFFF;
  std::memcpy(block, data, SETTINGS_SIZE);
  normaliseSettings(block);
  return 0;
}

uint16_t loadSettings(const char* path) {
  setDefaultSettings(&g_settings);
  std::memset(&g_memoryReadSettings, 0, sizeof(g_memoryReadSettings));
  std::memset(&g_memoryWriteSettings, 0, sizeof(g_memoryWriteSettings));
  char* data = nullptr;
  uint32_t size = 0;
  if (readWholeFile(LOCATION_AS_GIVEN, 0, path, &data, &size) != FILE_OK) return 0xFFFF;
  uint16_t result = takeSettingsImage(data, size, &g_settings);
  freeFileData(data);
  return result;
}

uint16_t saveSettings(const char* path) {
  uint16_t status = replaceWholeFile(LOCATION_AS_GIVEN, 0, path, &g_settings, SETTINGS_SIZE);
  return status == FILE_OK ? 0 : 0xFFFF;
}

uint16_t savedPort() { return g_settings.savedPort; }
void setSavedPort(uint16_t port) { g_settings.savedPort = port; }

EnvironmentSettings environmentSettings() { return g_settings.environment; }
