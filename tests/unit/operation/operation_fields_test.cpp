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

// A field's text or choice by its control, as the dialog would hold it.
char* text(OperationControls& c, const OperationForm& form, uint16_t id) {
  char* t = operationFieldText(&c, form, id);
  EXPECT_NE(t, nullptr) << id;
  return t;
}
int& choice(OperationControls& c, const OperationForm& form, uint16_t id) {
  int* v = operationFieldChoice(&c, form, id);
  EXPECT_NE(v, nullptr) << id;
  static int none;
  return v ? *v : none;
}

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
  OperationControls sc{};
  showOperationFields(kStepForm, &step, kEnv, &sc);
  EXPECT_STREQ(text(sc, kStepForm, IDC_OP_POSITION), "0.250");
  std::strcpy(text(sc, kStepForm, IDC_OP_POSITION), "abc");
  std::strcpy(text(sc, kStepForm, IDC_OP_SPEED), "");
  choice(sc, kStepForm, IDC_OP_STEP_PARAMETER) = 2;
  sc.common.repeat = 1;
  sc.common.stopMode = 1;
  StepArea before = step;
  EXPECT_EQ(readOperationFields(kStepForm, sc, kEnv, true, &step), IDC_OP_POSITION);
  std::strcpy(text(sc, kStepForm, IDC_OP_POSITION), "-1");   // the direction is the button's, the distance unsigned
  std::strcpy(text(sc, kStepForm, IDC_OP_SPEED), "1");
  EXPECT_EQ(readOperationFields(kStepForm, sc, kEnv, true, &step), IDC_OP_POSITION);
  EXPECT_TRUE(same(step, before));   // a refusal leaves the settings as they were
  ASSERT_EQ(readOperationFields(kStepForm, sc, kEnv, false, &step), OPERATION_OK);
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
  OperationControls pc{};
  showOperationFields(kPositioningForm, &pos, kEnv, &pc);
  std::strcpy(text(pc, kPositioningForm, IDC_OP_SPEED), "12.5");
  std::strcpy(text(pc, kPositioningForm, IDC_OP_POSITION), "-3");
  choice(pc, kPositioningForm, IDC_OP_ABS) = 1;
  pc.common.accelMode = 1;
  pc.common.accelIndex = 2;
  choice(pc, kPositioningForm, IDC_OP_SPEED_PARAM) = 0;
  ASSERT_EQ(readOperationFields(kPositioningForm, pc, kEnv, false, &pos), OPERATION_OK);
  EXPECT_EQ(pos.speed, 12500);
  EXPECT_EQ(pos.targetPosition, -3000);
  EXPECT_EQ(pos.positioningType, 1);
  EXPECT_EQ(pos.speedSource, 2);
  EXPECT_EQ(pos.accelFilter.accelMode, 0);
  EXPECT_EQ(pos.speedHistory.count, 1);
  EXPECT_EQ(pos.targetHistory.values[0], -3000);
  ASSERT_EQ(readOperationFields(kPositioningForm, pc, kEnv, true, &pos), OPERATION_OK);
  EXPECT_EQ(pos.speedSource, 0);
  EXPECT_EQ(pos.accelFilter.accelMode, 1);
  EXPECT_EQ(pos.accelFilter.accelIndex, 2);
  // Text past the format's width is refused, not cut to another number; so is a
  // radio group with nothing checked.
  std::strcpy(text(pc, kPositioningForm, IDC_OP_POSITION), "1234567890123");
  EXPECT_EQ(readOperationFields(kPositioningForm, pc, kEnv, false, &pos), IDC_OP_POSITION);
  // Speeds travel unsigned: a negative one would arrive as a huge speed.
  std::strcpy(text(pc, kPositioningForm, IDC_OP_POSITION), "1");
  std::strcpy(text(pc, kPositioningForm, IDC_OP_SPEED), "-0.005");
  EXPECT_EQ(readOperationFields(kPositioningForm, pc, kEnv, false, &pos), IDC_OP_SPEED);
  std::strcpy(text(pc, kPositioningForm, IDC_OP_SPEED), "1");
  choice(pc, kPositioningForm, IDC_OP_ABS) = -1;
  EXPECT_EQ(readOperationFields(kPositioningForm, pc, kEnv, false, &pos), OPERATION_ID_CHOICE);

  // Point numbers 1-50 only; outside debug mode a stored repeat is not kept.
  PointOperationArea point{};
  point.pointNumber = 1;
  point.repeatStop.repeat = 1;
  OperationControls ptc{};
  showOperationFields(kPointOperationForm, &point, kEnv, &ptc);
  EXPECT_STREQ(text(ptc, kPointOperationForm, IDC_OP_POINT), "1");
  for (const char* bad : {"51", "0", "x"}) {
    std::strcpy(text(ptc, kPointOperationForm, IDC_OP_POINT), bad);
    EXPECT_EQ(readOperationFields(kPointOperationForm, ptc, kEnv, false, &point), IDC_OP_POINT) << bad;
  }
  std::strcpy(text(ptc, kPointOperationForm, IDC_OP_POINT), "50");
  ASSERT_EQ(readOperationFields(kPointOperationForm, ptc, kEnv, false, &point), OPERATION_OK);
  EXPECT_EQ(point.pointNumber, 50);
  EXPECT_EQ(point.repeatStop.repeat, 0);

  // A stored rotation direction above 1 opens as forward in either mode.
  StationArea station{};
  station.rotationDirection = 2;
  fixOperationArea(kStationForm, &station, true);
  EXPECT_EQ(station.rotationDirection, 0);

  // Pass-point outside debug mode: the signal fields are not parsed.
  PassPointArea pass{};
  pass.signalPositioningType = 1;
  OperationControls ppc{};
  showOperationFields(kPassPointForm, &pass, kEnv, &ppc);
  std::strcpy(text(ppc, kPassPointForm, IDC_OP_SIGNAL2_OFF), "??");
  EXPECT_EQ(readOperationFields(kPassPointForm, ppc, kEnv, true, &pass), IDC_OP_SIGNAL2_OFF);
  ASSERT_EQ(readOperationFields(kPassPointForm, ppc, kEnv, false, &pass), OPERATION_OK);
  EXPECT_EQ(pass.signalPositioningType, 0);
}

// A speed's sign matters only when the speed goes out: with "follow the
// parameter" or "current feed speed" chosen the typed text is not sent.
TEST(OperationFields, ANegativeSpeedIsRefusedOnlyWhenItWouldBeSent) {
  PositioningArea pos{};
  OperationControls pc{};
  showOperationFields(kPositioningForm, &pos, kEnv, &pc);
  std::strcpy(text(pc, kPositioningForm, IDC_OP_SPEED), "-5");
  for (int source : {0, 1}) {
    choice(pc, kPositioningForm, IDC_OP_SPEED_PARAM) = source;
    EXPECT_EQ(readOperationFields(kPositioningForm, pc, kEnv, true, &pos), OPERATION_OK) << source;
    EXPECT_EQ(pos.speedSource, source);
  }
  choice(pc, kPositioningForm, IDC_OP_SPEED_PARAM) = 2;
  EXPECT_EQ(readOperationFields(kPositioningForm, pc, kEnv, true, &pos), IDC_OP_SPEED);
  choice(pc, kPositioningForm, IDC_OP_SPEED_PARAM) = 0;   // outside debug mode the typed speed is always sent
  EXPECT_EQ(readOperationFields(kPositioningForm, pc, kEnv, false, &pos), IDC_OP_SPEED);

  JogArea jog{};
  OperationControls jc{};
  showOperationFields(kJogForm, &jog, kEnv, &jc);
  std::strcpy(text(jc, kJogForm, IDC_OP_SPEED), "-1");
  choice(jc, kJogForm, IDC_OP_SPEED_PARAM) = 1;
  EXPECT_EQ(readOperationFields(kJogForm, jc, kEnv, true, &jog), OPERATION_OK);
  choice(jc, kJogForm, IDC_OP_SPEED_PARAM) = 2;
  EXPECT_EQ(readOperationFields(kJogForm, jc, kEnv, true, &jog), IDC_OP_SPEED);

  // The external speed goes out only when its own choice is the typed one.
  ExternalSignalArea ext{};
  OperationControls ec{};
  showOperationFields(kExternalSignalForm, &ext, kEnv, &ec);
  choice(ec, kExternalSignalForm, IDC_OP_SPEED_PARAM) = 2;
  std::strcpy(text(ec, kExternalSignalForm, IDC_OP_EXT_SPEED), "-2");
  choice(ec, kExternalSignalForm, IDC_OP_EXT_SPEED_PARAM) = 0;
  EXPECT_EQ(readOperationFields(kExternalSignalForm, ec, kEnv, true, &ext), OPERATION_OK);
  choice(ec, kExternalSignalForm, IDC_OP_EXT_SPEED_PARAM) = 1;
  EXPECT_EQ(readOperationFields(kExternalSignalForm, ec, kEnv, true, &ext), IDC_OP_EXT_SPEED);
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
  openValueHistories(kPositioningForm, &pos, false);
  EXPECT_EQ(pos.speedHistory.count, 2);
  EXPECT_EQ(pos.speedHistory.values[0], 100);
  EXPECT_EQ(pos.targetHistory.count, 10);
  EXPECT_EQ(pos.targetHistory.values[0], 30);
  EXPECT_EQ(pos.targetHistory.values[9], 8);   // the oldest, 9, dropped

  ExternalSignalArea ext{};
  ext.externalDistance = 5;
  openValueHistories(kExternalSignalForm, &ext, false);
  EXPECT_EQ(ext.targetHistory.count, 1);
  EXPECT_EQ(ext.externalDistanceHistory.count, 0);
  openValueHistories(kExternalSignalForm, &ext, true);
  ASSERT_EQ(ext.externalDistanceHistory.count, 1);
  EXPECT_EQ(ext.externalDistanceHistory.values[0], 5);
}

TEST(SpeedChangeTable, EditsStayWithinTheFifteenEntries) {
  const uint16_t f = kEnv.valueFormat;
  MultiSpeedArea area{};
  for (int i = 1; i <= 3; ++i)
    ASSERT_EQ(addSpeedChange(&area, std::to_string(i).c_str(), std::to_string(i * 10).c_str(), f), OPERATION_OK);
  EXPECT_EQ(addSpeedChange(&area, "x", "1", f), IDC_OP_MS_POSITION);
  EXPECT_EQ(addSpeedChange(&area, "1", "-1", f), IDC_OP_MS_SPEED);
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
  EXPECT_EQ(deleteSpeedChange(&area, "03"), IDC_OP_MS_NUMBER);
  EXPECT_EQ(setSpeedChange(&area, "16", "1", "1", f), IDC_OP_MS_NUMBER);
  EXPECT_EQ(setSpeedChange(&area, "99", "1", "1", f), IDC_OP_MS_NUMBER);
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
  EXPECT_EQ(deleteSpeedChange(&area, "16"), IDC_OP_MS_NUMBER);
  char number[4], position[OPERATION_TEXT_SIZE], speed[OPERATION_TEXT_SIZE];
  ASSERT_TRUE(speedChangeRow(area, 0, f, number, position, speed));
  EXPECT_STREQ(number, "01");
  EXPECT_STREQ(position, "       1.000");
  EXPECT_FALSE(speedChangeRow(area, 15, f, number, position, speed));
}

// Every table stays inside its area, and no two fields of one dialog share a control.
TEST(OperationFields, EachFormsFieldsFitItsAreaWithDistinctControls) {
  for (const OperationForm* form : {&kJogForm, &kStepForm, &kPositioningForm, &kPointOperationForm, &kStationForm,
                                    &kExternalSignalForm, &kMultiSpeedForm, &kPassPointForm, &kHomingForm}) {
    ASSERT_LE(form->fieldCount, kMaxOperationFields);
    for (int i = 0; i < form->fieldCount; ++i) {
      const OperationField& f = form->fields[i];
      EXPECT_LE(f.offset + f.size, form->areaSize) << form->templateId << " " << i;
      if (f.kind == kFieldNumber) {
        EXPECT_LE(f.history + static_cast<int>(sizeof(ValueHistory)), form->areaSize) << form->templateId;
      }
      if (f.kind != kFieldFixed) {
        EXPECT_EQ(operationFieldIndex(*form, f.controlId), i) << form->templateId;
      }
    }
  }
}
