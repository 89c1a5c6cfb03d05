// Reading the operation dialogs' fields (debug-mode rules, fixed values, refusals)
// and the multi-speed dialog's speed-change table edits.
#include <gtest/gtest.h>
#include <cstring>

#include "operation/operation_fields.h"
#include "operation/speed_change_table.h"

namespace {

const EnvironmentSettings kEnv{0, 0, 0, 0x53C};

template <typename Area>
bool same(const Area& a, const Area& b) { return std::memcmp(&a, &b, sizeof a) == 0; }

}  // namespace

TEST(OperationFields, DebugOnlyFieldsAreSkippedAndFixedOutsideDebugMode) {
  // Step outside debug mode: distance and speed may hold any text; only the step
  // parameter and repeat are read, the rest takes the fixed values.
  StepArea step{};
  step.distanceMode = 1;
  step.speedSource = 2;
  step.distance = 250;
  step.accelFilter = {1, 2, 1, 3};
  step.repeatStop.stopMode = 1;
  StepControls sc{};
  showOperationFields(step, kEnv, &sc);
  EXPECT_STREQ(sc.distance, "0.250");
  std::strcpy(sc.distance, "abc");
  std::strcpy(sc.speed.speed, "");
  sc.stepParameter = 2;
  sc.common.repeat = 1;
  sc.common.stopMode = 1;
  StepArea before = step;
  EXPECT_EQ(readOperationFields(sc, kEnv, true, &step), OPERATION_ID_POSITION);
  std::strcpy(sc.distance, "-1");   // the direction is the button's, the distance unsigned
  std::strcpy(sc.speed.speed, "1");
  EXPECT_EQ(readOperationFields(sc, kEnv, true, &step), OPERATION_ID_POSITION);
  EXPECT_TRUE(same(step, before));   // a refusal leaves the settings as they were
  ASSERT_EQ(readOperationFields(sc, kEnv, false, &step), OPERATION_OK);
  EXPECT_EQ(step.stepParameterIndex, 2);
  EXPECT_EQ(step.repeatStop.repeat, 1);
  EXPECT_EQ(step.distanceMode, 0);
  EXPECT_EQ(step.speedSource, 0);
  EXPECT_EQ(step.accelFilter.accelMode, 0);
  EXPECT_EQ(step.accelFilter.filterMode, 0);
  EXPECT_EQ(step.repeatStop.stopMode, 0);
  EXPECT_EQ(step.distance, 250);

  // Positioning: speed and target always read, their histories updated; the
  // acceleration choice counts only in debug mode.
  PositioningArea pos{};
  PositioningControls pc{};
  showOperationFields(pos, kEnv, &pc);
  std::strcpy(pc.speed.speed, "12.5");
  std::strcpy(pc.target, "-3");
  pc.positioningType = 1;
  pc.common.accelMode = 1;
  pc.common.accelIndex = 2;
  pc.speed.speedSource = 0;
  ASSERT_EQ(readOperationFields(pc, kEnv, false, &pos), OPERATION_OK);
  EXPECT_EQ(pos.speed, 12500);
  EXPECT_EQ(pos.targetPosition, -3000);
  EXPECT_EQ(pos.positioningType, 1);
  EXPECT_EQ(pos.speedSource, 2);
  EXPECT_EQ(pos.accelFilter.accelMode, 0);
  EXPECT_EQ(pos.speedHistory.count, 1);
  EXPECT_EQ(pos.targetHistory.values[0], -3000);
  ASSERT_EQ(readOperationFields(pc, kEnv, true, &pos), OPERATION_OK);
  EXPECT_EQ(pos.speedSource, 0);
  EXPECT_EQ(pos.accelFilter.accelMode, 1);
  EXPECT_EQ(pos.accelFilter.accelIndex, 2);
  // Text past the format's width is refused, not cut to another number; so is a
  // radio group with nothing checked.
  std::strcpy(pc.target, "1234567890123");
  EXPECT_EQ(readOperationFields(pc, kEnv, false, &pos), OPERATION_ID_POSITION);
  // Speeds travel unsigned: a negative one would arrive as a huge speed.
  std::strcpy(pc.target, "1");
  std::strcpy(pc.speed.speed, "-0.005");
  EXPECT_EQ(readOperationFields(pc, kEnv, false, &pos), OPERATION_ID_SPEED);
  std::strcpy(pc.speed.speed, "1");
  pc.positioningType = -1;
  EXPECT_EQ(readOperationFields(pc, kEnv, false, &pos), OPERATION_ID_CHOICE);

  // Point numbers 1-50 only; outside debug mode a stored repeat is not kept.
  PointOperationArea point{};
  point.pointNumber = 1;
  point.repeatStop.repeat = 1;
  PointOperationControls ptc{};
  showOperationFields(point, kEnv, &ptc);
  EXPECT_STREQ(ptc.point, "1");
  for (const char* bad : {"51", "0", "x"}) {
    std::strcpy(ptc.point, bad);
    EXPECT_EQ(readOperationFields(ptc, kEnv, false, &point), OPERATION_ID_POINT) << bad;
  }
  std::strcpy(ptc.point, "50");
  ASSERT_EQ(readOperationFields(ptc, kEnv, false, &point), OPERATION_OK);
  EXPECT_EQ(point.pointNumber, 50);
  EXPECT_EQ(point.repeatStop.repeat, 0);

  // A stored rotation direction above 1 opens as forward in either mode.
  StationArea station{};
  station.rotationDirection = 2;
  fixOperationArea(&station, true);
  EXPECT_EQ(station.rotationDirection, 0);

  // Pass-point outside debug mode: the signal fields are not parsed.
  PassPointArea pass{};
  pass.signalPositioningType = 1;
  PassPointControls ppc{};
  showOperationFields(pass, kEnv, &ppc);
  std::strcpy(ppc.signal2Off, "??");
  EXPECT_EQ(readOperationFields(ppc, kEnv, true, &pass), OPERATION_ID_FIELD_1116);
  ASSERT_EQ(readOperationFields(ppc, kEnv, false, &pass), OPERATION_OK);
  EXPECT_EQ(pass.signalPositioningType, 0);
}

// A speed's sign matters only when the speed goes out: with "follow the
// parameter" or "current feed speed" chosen the typed text is not sent.
TEST(OperationFields, ANegativeSpeedIsRefusedOnlyWhenItWouldBeSent) {
  PositioningArea pos{};
  PositioningControls pc{};
  showOperationFields(pos, kEnv, &pc);
  std::strcpy(pc.speed.speed, "-5");
  for (int source : {0, 1}) {
    pc.speed.speedSource = source;
    EXPECT_EQ(readOperationFields(pc, kEnv, true, &pos), OPERATION_OK) << source;
    EXPECT_EQ(pos.speedSource, source);
  }
  pc.speed.speedSource = 2;
  EXPECT_EQ(readOperationFields(pc, kEnv, true, &pos), OPERATION_ID_SPEED);
  pc.speed.speedSource = 0;   // outside debug mode the typed speed is always sent
  EXPECT_EQ(readOperationFields(pc, kEnv, false, &pos), OPERATION_ID_SPEED);

  JogArea jog{};
  JogControls jc{};
  showOperationFields(jog, kEnv, &jc);
  std::strcpy(jc.speed.speed, "-1");
  jc.speed.speedSource = 1;
  EXPECT_EQ(readOperationFields(jc, kEnv, true, &jog), OPERATION_OK);
  jc.speed.speedSource = 2;
  EXPECT_EQ(readOperationFields(jc, kEnv, true, &jog), OPERATION_ID_SPEED);

  // The external speed goes out only when its own choice is the typed one.
  ExternalSignalArea ext{};
  ExternalSignalControls ec{};
  showOperationFields(ext, kEnv, &ec);
  ec.speed.speedSource = 2;
  std::strcpy(ec.externalSpeed, "-2");
  ec.externalSpeedMode = 0;
  EXPECT_EQ(readOperationFields(ec, kEnv, true, &ext), OPERATION_OK);
  ec.externalSpeedMode = 1;
  EXPECT_EQ(readOperationFields(ec, kEnv, true, &ext), OPERATION_ID_FIELD_1110);
}

// At open the current values join their histories when missing; one already there
// keeps its place; a combo not filled in this mode is left alone.
TEST(OperationFields, OpeningPutsTheShownValuesIntoTheirHistories) {
  PositioningArea pos{};
  pos.speed = 7000;
  pos.targetPosition = 30;
  pos.speedHistory.count = 2;
  pos.speedHistory.values[0] = 100;
  pos.speedHistory.values[1] = 7000;
  pos.targetHistory.count = 10;
  for (int i = 0; i < 10; ++i) pos.targetHistory.values[i] = i;
  openValueHistories(&pos, false);
  EXPECT_EQ(pos.speedHistory.count, 2);
  EXPECT_EQ(pos.speedHistory.values[0], 100);
  EXPECT_EQ(pos.targetHistory.count, 10);
  EXPECT_EQ(pos.targetHistory.values[0], 30);
  EXPECT_EQ(pos.targetHistory.values[9], 8);   // the oldest, 9, dropped

  ExternalSignalArea ext{};
  ext.externalDistance = 5;
  openValueHistories(&ext, false);
  EXPECT_EQ(ext.targetHistory.count, 1);
  EXPECT_EQ(ext.externalDistanceHistory.count, 0);
  openValueHistories(&ext, true);
  ASSERT_EQ(ext.externalDistanceHistory.count, 1);
  EXPECT_EQ(ext.externalDistanceHistory.values[0], 5);
}

TEST(SpeedChangeTable, EditsStayWithinTheFifteenEntries) {
  const uint16_t f = kEnv.valueFormat;
  MultiSpeedArea area{};
  for (int i = 1; i <= 3; ++i)
    ASSERT_EQ(addSpeedChange(&area, std::to_string(i).c_str(), std::to_string(i * 10).c_str(), f), OPERATION_OK);
  EXPECT_EQ(addSpeedChange(&area, "x", "1", f), OPERATION_ID_CHANGE_POSITION);
  EXPECT_EQ(addSpeedChange(&area, "1", "-1", f), OPERATION_ID_CHANGE_SPEED);
  EXPECT_EQ(area.changeCount, 3);

  // Deleting entry 1 of 3 shifts the others forward and clears the vacated one.
  ASSERT_EQ(deleteSpeedChange(&area, "01"), OPERATION_OK);
  EXPECT_EQ(area.changeCount, 2);
  EXPECT_EQ(area.changePositions[0], 2000);
  EXPECT_EQ(area.changeSpeeds[1], 30000);
  EXPECT_EQ(area.changePositions[2], 0);
  EXPECT_EQ(area.changeSpeeds[2], 0);

  // Numbers the table cannot hold are refused; 00 changes nothing.
  MultiSpeedArea before = area;
  EXPECT_EQ(deleteSpeedChange(&area, "03"), OPERATION_ID_FIELD_1110);
  EXPECT_EQ(setSpeedChange(&area, "16", "1", "1", f), OPERATION_ID_FIELD_1110);
  EXPECT_EQ(setSpeedChange(&area, "99", "1", "1", f), OPERATION_ID_FIELD_1110);
  EXPECT_EQ(setSpeedChange(&area, "00", "1", "1", f), OPERATION_UNCHANGED);
  EXPECT_EQ(deleteSpeedChange(&area, "00"), OPERATION_UNCHANGED);
  EXPECT_TRUE(same(area, before));
  ASSERT_EQ(setSpeedChange(&area, "15", "-1", "2", f), OPERATION_OK);
  EXPECT_EQ(area.changePositions[14], -1000);
  EXPECT_EQ(area.changeCount, 2);

  // A full table takes no 16th entry; deleting from it keeps the other 14.
  area = MultiSpeedArea{};
  for (int i = 1; i <= 15; ++i)
    ASSERT_EQ(addSpeedChange(&area, std::to_string(i).c_str(), "1", f), OPERATION_OK);
  before = area;
  EXPECT_EQ(addSpeedChange(&area, "16", "1", f), OPERATION_UNCHANGED);
  EXPECT_TRUE(same(area, before));
  ASSERT_EQ(deleteSpeedChange(&area, "15"), OPERATION_OK);
  EXPECT_EQ(area.changeCount, 14);
  EXPECT_EQ(std::memcmp(area.changePositions, before.changePositions, 14 * 4), 0);
  EXPECT_EQ(area.changePositions[14], 0);

  // A count beyond 15 read from a file is treated as 15 and never indexes past it.
  area.changeCount = 40;
  EXPECT_EQ(addSpeedChange(&area, "1", "1", f), OPERATION_UNCHANGED);
  EXPECT_EQ(deleteSpeedChange(&area, "16"), OPERATION_ID_FIELD_1110);
  char number[4], position[OPERATION_TEXT_SIZE], speed[OPERATION_TEXT_SIZE];
  ASSERT_TRUE(speedChangeRow(area, 0, f, number, position, speed));
  EXPECT_STREQ(number, "01");
  EXPECT_STREQ(position, "       1.000");
  EXPECT_FALSE(speedChangeRow(area, 15, f, number, position, speed));
}
