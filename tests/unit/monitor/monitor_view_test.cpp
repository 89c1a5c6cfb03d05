// Monitor display decisions: which lamps a reading repaints, the middle section
// outside debug mode, value texts, and when the alarm list is rebuilt (the ids
// and row texts are checked on screen by the GUI tests).
#include <gtest/gtest.h>


#include "monitor/monitor_view.h"

TEST(MonitorView, ReadingsRepaintChangedBitsAndTheMiddleWordOnlyInDebugMode) {
  SignalView view;
  uint16_t redraw[3];
  const uint16_t first[3] = {0x0001, 0x8000, 0x0004};
  takeSignalReading(&view, first, false, redraw);
  EXPECT_EQ(redraw[0], 0xFFFF);   // everything once
  EXPECT_EQ(redraw[1], 0);        // the middle keeps its initial look
  EXPECT_EQ(redraw[2], 0xFFFF);
  const uint16_t next[3] = {0x0003, 0xFFFF, 0x0004};
  takeSignalReading(&view, next, false, redraw);
  EXPECT_EQ(redraw[0], 0x0002);
  EXPECT_EQ(redraw[1], 0);
  EXPECT_EQ(redraw[2], 0);
  EXPECT_EQ(view.words[1], 0) << "outside debug mode the middle word is never taken";

  SignalView debug;
  takeSignalReading(&debug, first, true, redraw);
  takeSignalReading(&debug, next, true, redraw);
  EXPECT_EQ(redraw[1], 0x7FFF);

  MotionView motion;
  uint16_t text = 0;
  EXPECT_EQ(takeMotionReading(&motion, 5, 0x0001, &text), 0xFFFF);
  EXPECT_EQ(text, 149) << "the string table's text of the state";
  EXPECT_EQ(takeMotionReading(&motion, 12, 0x0000, &text), 0x0001);
  EXPECT_EQ(text, 0) << "an unknown state keeps the old text";
}

TEST(MonitorView, ValuesInTheEnvironmentsFormatRightAligned) {
  char text[MONITOR_VALUE_CHARS];
  formatMonitorValue(0x53C, -1, text);
  EXPECT_STREQ(text, "      -0.001");
  formatMonitorValue(0x52C, 12345, text);
  EXPECT_STREQ(text, "      123.45");
  formatMonitorValue(0x53C, static_cast<int32_t>(0x9ABCDEF0u), text);
  EXPECT_STREQ(text, "-1698898.192");
  // A left-aligned or narrower word still gives a right-aligned signed value.
  formatMonitorValue(0x053C | 0x0800, 7, text);
  EXPECT_STREQ(text, "       0.007");
  formatMonitorValue(0x0536, -123456, text);   // width 6 cannot hold -123.456
  EXPECT_STREQ(text, "");
  EXPECT_EQ(liveMonitorValues(false), 5);
  EXPECT_EQ(liveMonitorValues(true), 7);
}

TEST(MonitorView, AlarmListIsRebuiltOnlyWhenTheRecordsChange) {
  AlarmSnapshot kept;
  AlarmEntry records[kMaxAlarmEntries] = {};
  records[0] = {100, 0x4010};
  records[1] = {200, 0x0222};
  records[2] = {300, 0x0105};
  EXPECT_FALSE(takeAlarmSnapshot(&kept, 0, records)) << "nothing shown, nothing read";
  EXPECT_TRUE(takeAlarmSnapshot(&kept, 3, records));
  records[5] = {999, 0x4001};   // beyond the count: not a record
  EXPECT_FALSE(takeAlarmSnapshot(&kept, 3, records));
  records[2].alarmWord = 0x0106;
  EXPECT_TRUE(takeAlarmSnapshot(&kept, 3, records));
  EXPECT_TRUE(takeAlarmSnapshot(&kept, 0, records)) << "going to zero clears the list";
  // A record of all zero bits differs from none at all.
  AlarmEntry zero[kMaxAlarmEntries] = {};
  EXPECT_TRUE(takeAlarmSnapshot(&kept, 1, zero));
  EXPECT_TRUE(takeAlarmSnapshot(&kept, 0, zero));
}
