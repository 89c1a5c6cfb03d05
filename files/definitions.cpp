// The live parameter and alarm text tables, the definition file load, and look-ups
// and text helpers on definitions.
#include "files/definitions.h"
#include <atomic>
#include <cstring>
#include "files/guarded_file.h"
#include "files/shift_jis.h"

ParameterTable g_parameterTable;
AlarmTextTable g_alarmTexts;

namespace {
// Bumped whenever table indices or pool strings may change meaning; posted
// notifications carry it so a late one is recognised.
std::atomic<uint32_t> g_generation{0};

constexpr uint16_t kReadFailed = 0xFFFF;
}  // namespace

uint16_t loadDefinitions(const char* path) {
  char* data = nullptr;
  uint32_t size = 0;
  if (readWholeFile(LOCATION_AS_GIVEN, 0, path, &data, &size) != FILE_OK) return kReadFailed;
  uint16_t result = parseDefinitions(data, size, &g_parameterTable, &g_alarmTexts, &g_mode);
  freeFileData(data);
  return result;
}

void clearParameterTable(ParameterTable* table) { std::memset(table, 0, sizeof *table); }

void clearDefinitions() {
  bumpDefinitionGeneration();
  clearParameterTable(&g_parameterTable);
  std::memset(&g_alarmTexts, 0, sizeof g_alarmTexts);
}

uint32_t definitionGeneration() { return g_generation.load(); }
void bumpDefinitionGeneration() { g_generation.fetch_add(1); }

ParameterDefinition* findDefinitionIn(ParameterTable* table, uint16_t number) {
  for (uint16_t k = 0; k < table->count && k < MAX_DEFINITIONS; ++k)
    if (table->entries[k].number == number) return &table->entries[k];
  return nullptr;
}

ParameterDefinition* findDefinition(uint16_t number) {
  return findDefinitionIn(&g_parameterTable, number);
}

const char* alarmText(int group, uint8_t code) {
  if (group < 0 || group >= ALARM_GROUP_COUNT) return nullptr;
  return g_alarmTexts.texts[group][code];
}

bool definitionSigned(const ParameterDefinition& def) {
  return def.kind == 'D' && (def.format & 0x0100) != 0;
}

int32_t widenStored(int32_t field, uint16_t size, bool isSigned) {
  uint32_t bits = static_cast<uint32_t>(field);
  if (size == 1) return isSigned ? int32_t(int8_t(bits & 0xFF)) : int32_t(bits & 0xFF);
  if (size == 2) return isSigned ? int32_t(int16_t(bits & 0xFFFF)) : int32_t(bits & 0xFFFF);
  return field;
}

void copyPoolText(const char* text, char* out, size_t size) {
  out[0] = '\0';
  if (text == nullptr) return;
  size_t n = 0;
  while (text[n] != '\0') {
    bool lead = isSjisLeadByte(static_cast<uint8_t>(text[n]));
    size_t width = lead && text[n + 1] != '\0' ? 2 : 1;
    if (n + width >= size) break;
    std::memcpy(out + n, text + n, width);
    n += width;
  }
  out[n] = '\0';
}
