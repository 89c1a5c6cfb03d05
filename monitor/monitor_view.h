// What a monitor shows for one reading: which lamps and texts change, the value
// texts in the environment's format, the alarm rows and when the alarm list must
// be rebuilt. Portable: the dialogs only move these into their controls.
#pragma once
#include <cstdint>

#include "files/definitions.h"
#include "protocol/request_record.h"

// The lamp (LED bitmap) and ON/OFF text of one bit.
struct BitControls {
  uint16_t lampId;
  uint16_t textId;
};
extern const BitControls MotionBitControls[16];
// Input and output monitors share these ids.
BitControls signalBitControls(int word, int bit);

// The bits of a word whose lamp and text must be redrawn: those that changed,
// or all of them while nothing has been shown yet.
uint16_t bitsToRedraw(uint16_t shown, uint16_t fresh, bool anyShown);

// The three signal words as shown. The middle word (module to option module) is
// live only in debug mode; otherwise it keeps its initial look (all off).
struct SignalView {
  bool anyShown = false;
  uint16_t words[3] = {};
};
// Takes a reading into the view; `redraw` gets per word the bits to repaint.
void takeSignalReading(SignalView* view, const uint16_t fresh[3], bool debugMode, uint16_t redraw[3]);

struct MotionView {
  bool anyShown = false;
  uint16_t word = 0;
};
// Takes a reading; returns the bits to repaint. `stateStringId` gets the string
// id of the motion state's text, or 0 when the code is unknown (the old text stays).
uint16_t takeMotionReading(MotionView* view, uint8_t state, uint16_t word, uint16_t* stateStringId);

// Current values: command, feedback, deviation, latch, torque, monitor 1 and 2.
constexpr int MONITOR_VALUE_COUNT = 7;
extern const uint16_t MonitorValueIds[MONITOR_VALUE_COUNT];
// The two monitor values are live only in debug mode.
int liveMonitorValues(bool debugMode);
constexpr int MONITOR_VALUE_CHARS = 16;
// The value right-aligned in the format's width, blanks before, minus sign for
// negative values; an empty text when it does not fit the width.
void formatMonitorValue(uint16_t valueFormat, int32_t value, char out[MONITOR_VALUE_CHARS]);

// The alarm list's memory of what it shows: the count and all 16 record slots,
// unread slots zero.
struct AlarmSnapshot {
  uint16_t count = 0;
  AlarmEntry records[kMaxAlarmEntries] = {};
};
// Compares a reading (slots past `count` are ignored and taken as zero) with the
// kept one and keeps it. True when the list must be rebuilt.
bool takeAlarmSnapshot(AlarmSnapshot* kept, uint16_t count, const AlarmEntry* records);

struct AlarmRowTexts {
  char stamp[20];
  const char* level;   // tag or ""
  char code[3];        // two upper-case hex digits
  const char* text;    // Shift-JIS bytes from the definition file, or ""
};
void alarmRowTexts(const AlarmTextTable& table, const AlarmEntry& record, AlarmRowTexts* row);
// History rows: code and the HST text.
void alarmHistoryRowTexts(const AlarmTextTable& table, const AlarmEntry& record, AlarmRowTexts* row);
