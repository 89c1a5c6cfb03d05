// Alarm list rows.
#include "monitor/alarm_rows.h"

#include <cstdio>

AlarmKind alarmKind(uint32_t alarmWord) {
  static const struct {
    uint32_t bit;
    AlarmKind kind;
  } kOrder[] = {
      {1u << 14, {"SVA", ALARM_SVA}}, {1u << 13, {"MTA", ALARM_MTA}}, {1u << 12, {"SYA", ALARM_SYA}},
      {1u << 10, {"SVW", ALARM_SVW}}, {1u << 9, {"MTW", ALARM_MTW}},  {1u << 8, {"SYW", ALARM_SYW}},
  };
  for (const auto& k : kOrder)
    if (alarmWord & k.bit) return k.kind;
  return {"", -1};
}

void formatAlarmTimeStamp(uint32_t t, char out[ALARM_STAMP_CHARS + 1]) {
  // Each field from its own remainder, so no product leaves 32 bits.
  uint32_t days = t / 24 * 8 / 60 / 60 / 1000;
  uint32_t hours = t % 10800000 * 8 / 60 / 60 / 1000;
  uint32_t minutes = t % 450000 * 8 / 60 / 1000;
  uint32_t seconds = t % 7500 * 8 / 1000;
  uint32_t millis = t % 125 * 8;
  std::snprintf(out, ALARM_STAMP_CHARS + 1, "%03u %02u:%02u:%02u.%03u", days, hours, minutes, seconds,
                millis);
}

namespace {
const char* textOf(const AlarmTextTable& table, int group, uint32_t alarmWord) {
  if (group < 0) return "";
  const char* text = table.texts[group][alarmWord & 0xFF];
  return text ? text : "";
}
}  // namespace

const char* alarmWordText(const AlarmTextTable& table, uint32_t alarmWord) {
  return textOf(table, alarmKind(alarmWord).group, alarmWord);
}

const char* alarmHistoryText(const AlarmTextTable& table, uint32_t alarmWord) {
  return textOf(table, ALARM_HST, alarmWord);
}
