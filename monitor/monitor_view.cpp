// Monitor display decisions.
#include "monitor/monitor_view.h"

#include <cstdio>
#include <cstring>

#include "monitor/alarm_rows.h"
#include "monitor/monitor_labels.h"
#include "protocol/number_format.h"

const BitControls MotionBitControls[16] = {
    {1107, 1041}, {1108, 1042}, {1109, 1043}, {1110, 1044}, {1111, 1045}, {1112, 1046},
    {1119, 1053}, {1118, 1052}, {1113, 1054}, {1114, 1055}, {1115, 1056}, {1116, 1047},
    {1117, 1048}, {1120, 1050}, {1122, 1049}, {1121, 1051},
};

BitControls signalBitControls(int word, int bit) {
  switch (word) {
    case 0: {
      // Bit 4's text sits before bits 0-3 in the id range.
      uint16_t text = bit < 4 ? 1173 + bit : bit == 4 ? 1172 : 1177 + (bit - 5);
      return {static_cast<uint16_t>(1204 + bit), text};
    }
    case 1: return {static_cast<uint16_t>(1220 + bit), static_cast<uint16_t>(1188 + bit)};
    default: return {static_cast<uint16_t>(1124 + bit), static_cast<uint16_t>(1071 + bit)};
  }
}

uint16_t bitsToRedraw(uint16_t shown, uint16_t fresh, bool anyShown) {
  return anyShown ? static_cast<uint16_t>(shown ^ fresh) : 0xFFFF;
}

void takeSignalReading(SignalView* view, const uint16_t fresh[3], bool debugMode, uint16_t redraw[3]) {
  for (int w = 0; w < 3; ++w) {
    if (w == 1 && !debugMode) {
      redraw[w] = 0;   // drawn once at opening, never again
      continue;
    }
    redraw[w] = bitsToRedraw(view->words[w], fresh[w], view->anyShown);
    view->words[w] = fresh[w];
  }
  view->anyShown = true;
}

uint16_t takeMotionReading(MotionView* view, uint8_t state, uint16_t word, uint16_t* stateStringId) {
  *stateStringId = motionStateStringId(state);
  uint16_t redraw = bitsToRedraw(view->word, word, view->anyShown);
  view->word = word;
  view->anyShown = true;
  return redraw;
}

const uint16_t MonitorValueIds[MONITOR_VALUE_COUNT] = {1006, 1013, 1014, 1012, 1016, 1041, 1042};

int liveMonitorValues(bool debugMode) { return debugMode ? MONITOR_VALUE_COUNT : MONITOR_VALUE_COUNT - 2; }

void formatMonitorValue(uint16_t valueFormat, int32_t value, char out[MONITOR_VALUE_CHARS]) {
  out[0] = '\0';
  // Right-aligned whatever the word says; the value is a signed 32-bit number.
  uint16_t format = static_cast<uint16_t>((valueFormat & ~(FMT_LEFT | FMT_STORAGE_MASK)) | 0x0500);
  int width = formatWidth(format);
  if (width == 0 || width >= MONITOR_VALUE_CHARS) return;
  char text[MONITOR_VALUE_CHARS] = {};
  if (formatNumber(format, &value, text) != FORMAT_OK) return;
  std::memcpy(out, text, static_cast<size_t>(width));
  out[width] = '\0';
}

bool takeAlarmSnapshot(AlarmSnapshot* kept, uint16_t count, const AlarmEntry* records) {
  AlarmSnapshot fresh;
  fresh.count = count > kMaxAlarmEntries ? kMaxAlarmEntries : count;
  for (int i = 0; i < fresh.count; ++i) fresh.records[i] = records[i];
  // The count is compared too: one zero record and none at all look alike.
  bool changed = fresh.count != kept->count;
  for (int i = 0; i < kMaxAlarmEntries && !changed; ++i)
    changed = fresh.records[i].timeStamp != kept->records[i].timeStamp ||
              fresh.records[i].alarmWord != kept->records[i].alarmWord;
  *kept = fresh;
  return changed;
}

namespace {
void codeText(uint32_t alarmWord, char out[3]) {
  std::snprintf(out, 3, "%02X", static_cast<unsigned>(alarmWord & 0xFF));
}
}  // namespace

void alarmRowTexts(const AlarmTextTable& table, const AlarmEntry& record, AlarmRowTexts* row) {
  char stamp[ALARM_STAMP_CHARS + 1];
  formatAlarmTimeStamp(record.timeStamp, stamp);
  std::snprintf(row->stamp, sizeof row->stamp, "%s", stamp);
  row->level = alarmKind(record.alarmWord).tag;
  codeText(record.alarmWord, row->code);
  row->text = alarmWordText(table, record.alarmWord);
}

void alarmHistoryRowTexts(const AlarmTextTable& table, const AlarmEntry& record, AlarmRowTexts* row) {
  row->stamp[0] = '\0';
  row->level = "";
  codeText(record.alarmWord, row->code);
  row->text = alarmHistoryText(table, record.alarmWord);
}
