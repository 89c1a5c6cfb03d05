// Each operation dialog's motion command as qzsim receives it, built from a given
// settings area in and out of debug mode; and the stop, sent whatever the fields hold.
// qzsim runs natively only: under Wine the suite is empty.
#ifndef _WIN32
#include <cstring>

#include "link/request.h"
#include "operation/jog_control.h"
#include "operation/motion_request.h"
#include "operation/operation_fields.h"
#include "operation/repeat_worker.h"
#include "tests/unit/operation/operation_sim.h"

namespace {

const EnvironmentSettings kEnv{0, 0, 0, 0x53C};

AccelFilterFields accel(uint8_t accelIndex, uint8_t filterIndex) { return {1, accelIndex, 1, filterIndex}; }

}  // namespace

class MotionRequestSim : public OperationSim {
 protected:
  // Sends the request with the mode record's debug flag as the dialog would run
  // it, and returns the lines qzsim logged for it.
  template <typename Area>
  std::string sent(const OperationForm& form, const Area& area, bool debugMode, uint8_t direction = 0) {
    g_mode.debugMode = debugMode ? 1 : 0;
    MotionRequest request{};
    uint16_t built = buildMotionRequest(form, &area, debugMode, direction, &request);
    if (built != 0) return "build " + std::to_string(built);
    control("LOG CLEAR");
    uint16_t status = requestMotion(nullptr, request);
    std::string out = status ? "status " + std::to_string(status) : "";
    for (auto& line : logLines()) out += line + "\n";
    return out;
  }
};

TEST_F(MotionRequestSim, EachDialogSendsItsAreaWithTheFixedValuesOutsideDebugMode) {
  JogArea jog{};
  jog.speedSource = 1;
  jog.speed = 5000;
  jog.accelFilter = accel(1, 2);
  EXPECT_EQ(sent(kJogForm, jog, false, MOTION_FORWARD), "<STX>FEED__01CA:PARMPARMV:SET_00001388D:CW_<CR>\n");
  EXPECT_EQ(sent(kJogForm, jog, true, MOTION_REVERSE), "<STX>FEED__01CA:LACCBIASV:CURTD:CCW<CR>\n");

  StepArea step{};
  step.distanceMode = 1;
  step.stepParameterIndex = 1;
  step.distance = 100;
  step.speedSource = 2;
  step.speed = 5000;
  step.accelFilter = accel(0, 0);
  // Outside debug mode the typed distance and speed are ignored: step parameter 2
  // at the parameter's speed.
  EXPECT_EQ(sent(kStepForm, step, false, MOTION_FORWARD), "<STX>STEP__01CT:ABS_A:PARMPARMV:PARMP:+SEL2<CR>\n");
  EXPECT_EQ(sent(kStepForm, step, true, MOTION_REVERSE),
            "<STX>STEP__01CT:ABS_A:NONENONEV:SET_00001388P:-SET_00000064<CR>\n");
  step.distanceMode = 0;
  for (uint8_t index = 0; index < 4; ++index) {
    step.stepParameterIndex = index;
    EXPECT_EQ(sent(kStepForm, step, true, MOTION_FORWARD),
              "<STX>STEP__01CT:ABS_A:NONENONEV:SET_00001388P:+SEL" + std::to_string(index + 1) + "<CR>\n");
  }

  PositioningArea positioning{};
  positioning.positioningType = 1;
  positioning.targetPosition = -1000;
  positioning.speedSource = 1;
  positioning.speed = 5000;
  positioning.accelFilter = accel(3, 3);
  EXPECT_EQ(sent(kPositioningForm, positioning, false), "<STX>POSING01CT:INC_A:PARMPARMV:SET_00001388P:FFFFFC18<CR>\n");
  EXPECT_EQ(sent(kPositioningForm, positioning, true), "<STX>POSING01CT:INC_A:IDEAMAVEV:CURTP:FFFFFC18<CR>\n");

  PointOperationArea point{};
  point.positioningType = 1;
  point.pointNumber = 12;
  point.accelFilter = accel(1, 0);
  EXPECT_EQ(sent(kPointOperationForm, point, false), "<STX>GOTOPT01CT:ABS_A:PARMPARMP:000C<CR>\n");
  EXPECT_EQ(sent(kPointOperationForm, point, true), "<STX>GOTOPT01CT:INC_A:LACCNONEP:000C<CR>\n");
  point.pointNumber = 51;
  EXPECT_EQ(sent(kPointOperationForm, point, true), "build " + std::to_string(MOTION_BAD_POINT));

  StationArea station{};
  station.positioningType = 1;
  station.rotationDirection = 2;   // as a damaged settings file may hold it: forward
  station.stationNumber = 3;
  station.speedSource = 2;
  station.speed = 5000;
  EXPECT_EQ(sent(kStationForm, station, false), "<STX>GOTOST01CT:ABS_A:PARMPARMV:SET_00001388P:00000003D:CW_<CR>\n");
  station.rotationDirection = 1;
  EXPECT_EQ(sent(kStationForm, station, true), "<STX>GOTOST01CT:INC_A:PARMPARMV:SET_00001388P:00000003D:CCW<CR>\n");

  ExternalSignalArea external{};
  external.targetPosition = 3000;
  external.speedSource = 2;
  external.speed = 5000;
  external.externalDistanceMode = 1;
  external.externalDistance = 77;
  external.externalSpeedMode = 1;
  external.externalSpeed = 88;
  EXPECT_EQ(sent(kExternalSignalForm, external, false),
            "<STX>POS_EX01CT:ABS_A:PARMPARMV:SET_00001388P:00000BB8S:PC_E:PARM<CR>\n");
  EXPECT_EQ(sent(kExternalSignalForm, external, true),
            "<STX>POS_EX01CT:ABS_A:PARMPARMV:SET_00001388P:00000BB8S:PC_E:SET_0000004DO:00000058<CR>\n");

  PassPointArea pass{};
  pass.positioningType = 1;
  pass.speedSource = 2;
  pass.speed = 5000;
  pass.targetPosition = 2000;
  pass.signalPositioningType = 1;
  pass.signal1On = 10;
  pass.signal1Off = 20;
  pass.signal2On = 30;
  pass.signal2Off = 40;
  pass.signal2Polarity = 1;
  EXPECT_EQ(sent(kPassPointForm, pass, false), "<STX>POS_AS01CT:ABS_A:PARMPARMV:SET_00001388P:000007D0<CR>\n");
  EXPECT_EQ(sent(kPassPointForm, pass, true),
            "<STX>POS_AS01CT:INC_A:PARMPARMV:SET_00001388P:000007D0D:INC_S:"
            "NORM0000000A00000014REVS0000001E00000028<CR>\n");

  HomingArea homing{};
  homing.speedSource = 1;
  homing.speed = 5000;
  homing.accelFilter = accel(1, 1);
  EXPECT_EQ(sent(kHomingForm, homing, false), "<STX>HOMING01CT:ABS_A:PARMPARMV:SET_00001388<CR>\n");
  EXPECT_EQ(sent(kHomingForm, homing, true), "<STX>HOMING01CT:ABS_A:LACCEXP_V:CURT<CR>\n");
  // A negative speed or step distance (a damaged settings file) is refused, never
  // sent as the huge unsigned number its bits make.
  homing.speed = -5;
  EXPECT_EQ(sent(kHomingForm, homing, false), "build " + std::to_string(MOTION_BAD_SPEED));
  step.distanceMode = 1;
  step.distance = -100;
  EXPECT_EQ(sent(kStepForm, step, true, MOTION_FORWARD), "build " + std::to_string(MOTION_BAD_DISTANCE));
  EXPECT_EQ(prompt.messageCount(), 0u);
}

TEST_F(MotionRequestSim, MultiSpeedSendsFifteenPairsInTwoMessagesOnlyInDebugMode) {
  MultiSpeedArea multi{};
  multi.targetPosition = 4000;
  multi.speedSource = 2;
  multi.speed = 5000;
  multi.changeCount = 15;
  std::string first, second;
  char pair[17];
  for (int i = 0; i < 15; ++i) {
    multi.changePositions[i] = (i + 1) * 100;
    multi.changeSpeeds[i] = (i + 1) * 10;
    std::snprintf(pair, sizeof pair, "%08X%08X", (i + 1) * 100, (i + 1) * 10);
    (i < 11 ? first : second) += pair;
  }
  EXPECT_EQ(sent(kMultiSpeedForm, multi, false), "<STX>POS_MS01CB:0000T:ABS_A:PARMPARMV:PARMP:00000FA0D:ABS_<CR>\n");
  EXPECT_EQ(sent(kMultiSpeedForm, multi, true), "<STX>POS_MS01CB:0001T:ABS_A:PARMPARMV:SET_00001388P:00000FA0D:ABS_X:" + first +
                                   "<CR>\n<STX>POS_MS01CB:0000X:" + second + "<CR>\n");
  multi.changeCount = 16;   // never produced by the table edits; refused, not cut
  EXPECT_EQ(sent(kMultiSpeedForm, multi, true), "build " + std::to_string(MOTION_BAD_TABLE));
}

// Stop reads no numeric field: with a speed text that does not parse, start is
// refused but stop still sends STOP__, and ends a repeat.
TEST_F(MotionRequestSim, StopIsSentWhateverTheSpeedFieldHolds) {
  PositioningArea area{};
  area.targetPosition = 1000;
  OperationControls controls{};
  showOperationFields(kPositioningForm, &area, kEnv, &controls);
  std::strcpy(operationFieldText(&controls, kPositioningForm, IDC_OP_SPEED), "12x");
  controls.common.stopMode = 1;
  EXPECT_EQ(readOperationFields(kPositioningForm, controls, kEnv, true, &area), IDC_OP_SPEED);

  static RepeatRun run;
  run.repeatState = REPEAT_WAIT;
  run.runFlag = 1;
  EXPECT_EQ(stopOperation(&run, nullptr, controls.common.stopMode, true), 0);
  EXPECT_EQ(run.repeatState.load(), REPEAT_IDLE);
  EXPECT_EQ(run.runFlag.load(), 0u);
  EXPECT_EQ(stopOperation(&run, nullptr, controls.common.stopMode, false), 0);
  EXPECT_EQ(stopOperation(&run, nullptr, -1, true), 0);
  std::vector<std::string> expected = {"<STX>STOP__01CM:ZERO<CR>", "<STX>STOP__01CM:DEC_<CR>",
                                       "<STX>STOP__01CM:DEC_<CR>"};
  EXPECT_EQ(logLines(), expected);
}

// Hold-to-run: one FEED__ per press, one STOP__ DEC_ however many ways the button
// stops being held.
TEST_F(MotionRequestSim, JogSendsOneFeedPerPressAndOneStopPerRelease) {
  JogArea jog{};
  jog.speed = 5000;
  auto feedDone = [] { return waitFor([] { return !jogFeedWaiting(); }, 2000); };
  EXPECT_EQ(jogPress(nullptr, MOTION_FORWARD, jog, kEnv, false), 0);
  EXPECT_EQ(jogPress(nullptr, MOTION_FORWARD, jog, kEnv, false), 0);   // a repeated draw request
  EXPECT_EQ(linkFlagTest(LINK_JOG_FORWARD), 1);
  ASSERT_TRUE(feedDone());
  uint16_t status = 9;
  EXPECT_TRUE(jogRelease(nullptr, MOTION_FORWARD, &status));
  EXPECT_EQ(status, 0);
  EXPECT_FALSE(jogRelease(nullptr, MOTION_FORWARD, nullptr));   // capture lost after the release
  EXPECT_EQ(jogReleaseAll(nullptr), 0);                           // then the dialog closed
  EXPECT_EQ(linkFlagTest(LINK_JOG_FORWARD), 0);
  EXPECT_EQ(jogPress(nullptr, MOTION_REVERSE, jog, kEnv, false), 0);
  EXPECT_TRUE(jogHeld(MOTION_REVERSE));
  ASSERT_TRUE(feedDone());
  EXPECT_EQ(jogReleaseAll(nullptr), 1);   // closed while held
  EXPECT_EQ(jogReleaseAll(nullptr), 0);
  std::vector<std::string> expected = {
      "<STX>FEED__01CA:PARMPARMV:SET_00001388D:CW_<CR>", "<STX>STOP__01CM:DEC_<CR>",
      "<STX>FEED__01CA:PARMPARMV:SET_00001388D:CCW<CR>", "<STX>STOP__01CM:DEC_<CR>"};
  EXPECT_EQ(logLines(), expected);
}

// The simulator runs every dialog's move to its end, so each mode can be watched.
TEST_F(MotionRequestSim, ExternalMultiSpeedAndPassPointMovesEndAtTheirTarget) {
  g_mode.debugMode = 1;
  auto endsAt = [&](const MotionRequest& request, int32_t position) {
    if (requestMotion(nullptr, request) != 0) return false;
    return waitFor([&] {
      std::string motion;
      control("GET MOTION", &motion);
      return motion.find("state=NEUTRAL pos=" + std::to_string(position) + "\n") != std::string::npos;
    }, 3000);
  };
  MotionRequest r{};
  ExternalSignalArea external{};
  external.targetPosition = 1500;
  external.externalDistanceMode = 1;
  external.externalDistance = 100;
  ASSERT_EQ(buildMotionRequest(kExternalSignalForm, &external, true, 0, &r), 0);
  EXPECT_TRUE(endsAt(r, 1500));
  MultiSpeedArea multi{};
  multi.targetPosition = -2500;
  multi.changeCount = 12;
  for (int i = 0; i < 12; ++i) multi.changePositions[i] = -100 * i;
  ASSERT_EQ(buildMotionRequest(kMultiSpeedForm, &multi, true, 0, &r), 0);
  EXPECT_TRUE(endsAt(r, -2500));
  PassPointArea pass{};
  pass.positioningType = 1;   // 700 further
  pass.targetPosition = 700;
  ASSERT_EQ(buildMotionRequest(kPassPointForm, &pass, true, 0, &r), 0);
  EXPECT_TRUE(endsAt(r, -1800));
  HomingArea homing{};
  ASSERT_EQ(buildMotionRequest(kHomingForm, &homing, true, 0, &r), 0);
  EXPECT_TRUE(endsAt(r, 0));
  EXPECT_EQ(prompt.messageCount(), 0u);
}
#endif
