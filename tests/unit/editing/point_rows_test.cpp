// Point-table list rows and the setting dialog's "設定": what is refused, what is
// remembered, what changes in the live table and what SET_PT carries.
#include <gtest/gtest.h>

#include "editing/point_rows.h"
#include "files/settings.h"

TEST(PointRows, RowTextsAndReadLabel) {
  PointRowTexts row;
  pointRowTexts(7, PointEntry{1500, -2500}, VALUE_FORMAT_0_001, &row);
  EXPECT_STREQ(row.columns[0], "    7");
  EXPECT_STREQ(row.columns[1], "       1.500");
  EXPECT_STREQ(row.columns[2], "      -2.500");
  char label[] = "No.XXX reading";
  composePointReadLabel(label, 7);
  EXPECT_STREQ(label, "No.  7 reading");
}

TEST(PointSetting, AnyUnreadableFieldRefusesTheWholeSetting) {
  PointSetting kept{9, 1, POSITION_CURRENT, 2};
  auto read = [&](const char* number, const char* speed, int choice) {
    return readPointSetting({number, speed, "1.000", choice}, VALUE_FORMAT_0_001, &kept);
  };
  EXPECT_EQ(read("0", "1.000", 1), EDIT_OUT_OF_LIMITS);
  EXPECT_EQ(read("51", "1.000", 1), EDIT_OUT_OF_LIMITS);
  EXPECT_EQ(read("0051", "1.000", 1), EDIT_UNREADABLE);   // not cut to 005
  EXPECT_EQ(read("", "1.000", 1), EDIT_UNREADABLE);
  EXPECT_EQ(read("5", "1.0000", 1), EDIT_UNREADABLE);
  EXPECT_EQ(read("5", "-1.000", 1), EDIT_OUT_OF_LIMITS);
  EXPECT_EQ(read("5", "1.000", -1), EDIT_NO_SELECTION);
  EXPECT_EQ(kept.pointNumber, 9);
  EXPECT_EQ(kept.speed, 1u);
  EXPECT_EQ(read("50", "1.000", 1), EDIT_OK);
  EXPECT_EQ(kept.pointNumber, 50);
}

TEST(PointSetting, OnlyAnEnteredPositionReachesTheTableAndTheModule) {
  PointTable table{};
  table.points[2] = PointEntry{10, 777};
  PointSettingArea area{};
  PointSetting s{};
  ASSERT_EQ(readPointSetting({"3", "2.5", "-4.250", POSITION_CURRENT}, VALUE_FORMAT_0_001, &s),
            EDIT_OK);
  applyPointSetting(s, &table);
  EXPECT_EQ(table.points[2].speed, 2500u);
  EXPECT_EQ(table.points[2].position, 777);
  SetPtArguments args = setPtArguments(s);
  EXPECT_EQ(args.positionSource, SET_PT_NO_POSITION);
  EXPECT_EQ(args.targetPosition, 0u);
  rememberPointSetting(s, &area);
  EXPECT_EQ(area.position, -4250);   // remembered even when not sent
  EXPECT_EQ(area.positionChoice, POSITION_CURRENT);

  s.positionChoice = POSITION_ENTERED;
  applyPointSetting(s, &table);
  EXPECT_EQ(table.points[2].position, -4250);
  args = setPtArguments(s);
  EXPECT_EQ(args.pointNumber, 3);
  EXPECT_EQ(args.speed, 2500u);
  EXPECT_EQ(args.positionSource, SET_PT_WITH_POSITION);
  EXPECT_EQ(args.targetPosition, 0xFFFFEF66u);
}
