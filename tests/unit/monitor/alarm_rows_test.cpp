// Alarm list rows: the kind picked from the flags, the time stamp text, the texts.
#include <gtest/gtest.h>

#include <cstring>

#include "monitor/alarm_rows.h"
#include "monitor/monitor_labels.h"

TEST(AlarmRows, KindIsTheFirstFlagInListOrder) {
  EXPECT_STREQ(alarmKind(0x4100).tag, "SVA");   // SVA wins over SYW
  EXPECT_EQ(alarmKind(0x4100).group, ALARM_SVA);
  EXPECT_STREQ(alarmKind(0x2400).tag, "MTA");   // MTA before SVW
  EXPECT_STREQ(alarmKind(0x1200).tag, "SYA");
  EXPECT_STREQ(alarmKind(0x0600).tag, "SVW");
  EXPECT_STREQ(alarmKind(0x0300).tag, "MTW");
  EXPECT_EQ(alarmKind(0x0100).group, ALARM_SYW);
  // Bits 11 and 15 carry no kind.
  EXPECT_STREQ(alarmKind(0x8800 | 0x41).tag, "");
  EXPECT_EQ(alarmKind(0x8841).group, -1);
}

TEST(AlarmRows, TimeStampsInTicksOfEightMilliseconds) {
  char text[ALARM_STAMP_CHARS + 1];
  formatAlarmTimeStamp(0, text);
  EXPECT_STREQ(text, "000 00:00:00.000");
  formatAlarmTimeStamp(10800000 + 1, text);   // one day and one tick
  EXPECT_STREQ(text, "001 00:00:00.008");
  formatAlarmTimeStamp(450000 * 23 + 7500 * 59 + 125 * 59 + 124, text);
  EXPECT_STREQ(text, "000 23:59:59.992");
  formatAlarmTimeStamp(0xFFFFFFFFu, text);    // the largest stamp stays in its field widths
  EXPECT_EQ(std::strlen(text), static_cast<size_t>(ALARM_STAMP_CHARS));
}

TEST(AlarmRows, TextsComeFromTheKindsGroupAndMissingOnesAreEmpty) {
  static AlarmTextTable table{};
  table.texts[ALARM_SVA][0x10] = "over current";
  table.texts[ALARM_HST][0x10] = "history text";
  EXPECT_STREQ(alarmWordText(table, 0x4010), "over current");
  EXPECT_STREQ(alarmWordText(table, 0x0410), "");   // SVW has no text for 10
  EXPECT_STREQ(alarmWordText(table, 0x0010), "");   // no kind
  EXPECT_STREQ(alarmHistoryText(table, 0x10), "history text");
  EXPECT_STREQ(alarmHistoryText(table, 0x11), "");
}

TEST(MonitorLabels, StatesOutsideTheTableHaveNoTextAndSpareBitsAreMarked) {
  EXPECT_STREQ(motionStateText(0), "停止状態");
  EXPECT_STREQ(motionStateText(11), "外部信号位置決め付きFeed");
  EXPECT_EQ(motionStateText(12), nullptr);
  EXPECT_STREQ(MotionStatusBitLabels[3], "inpos");
  EXPECT_TRUE(isSpareSignal(InputSignalBits[0][7]));
  EXPECT_FALSE(isSpareSignal(InputSignalBits[2][3]));   // a label without mnemonic is no spare
  EXPECT_STREQ(OutputSignalBits[1][15].mnemonic, "lt");
  EXPECT_STREQ(InputSignalBits[1][14].mnemonic, "alo3");
}
