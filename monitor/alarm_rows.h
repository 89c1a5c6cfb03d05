// The rows of the alarm lists: time stamp text, level tag, code and alarm text of
// one alarm record as the module delivers it.
#pragma once
#include <cstdint>

#include "files/definitions.h"

struct AlarmKind {
  const char* tag;   // "SVA", "MTA", ... or "" for a record without kind
  int group;         // AlarmTextTable group, -1 without kind
};

// The first kind flag of bits 8-15 in the order SVA, MTA, SYA, SVW, MTW, SYW.
AlarmKind alarmKind(uint32_t alarmWord);

constexpr int ALARM_STAMP_CHARS = 16;   // "DDD HH:MM:SS.mmm"
// Ticks of 8 ms as days, hours, minutes, seconds and milliseconds.
void formatAlarmTimeStamp(uint32_t ticks, char out[ALARM_STAMP_CHARS + 1]);

// The text for an alarm word's kind and code; "" when the kind or text is missing.
const char* alarmWordText(const AlarmTextTable& table, uint32_t alarmWord);
// The alarm history's text for a code (group HST); "" when the file has none.
const char* alarmHistoryText(const AlarmTextTable& table, uint32_t alarmWord);
