// Motion requests of the operation dialogs, built from their settings areas.
#include "operation/motion_request.h"

#include "link/request.h"

namespace {

constexpr uint8_t kMoveAbsolute = 1;   // MoveKeywords: 1 ABS_, 2 INC_
constexpr uint8_t kSpeedCodes[3] = {0, 1, kExplicitValueCode};   // PARM, CURT, SET_

// The stored choices the head is made of, checked so that a damaged settings file
// cannot send a keyword the person never chose (the encoder would leave it out).
bool headChoicesValid(uint8_t positioningType, const AccelFilterFields& af, uint8_t speedSource) {
  if (positioningType > 1 || speedSource > 2) return false;
  if (af.accelMode > 1 || af.filterMode > 1) return false;
  if (af.accelMode == 1 && af.accelIndex > 3) return false;
  if (af.filterMode == 1 && af.filterIndex > 3) return false;
  return true;
}

// Outside debug mode acceleration and filter always follow the parameters.
AccelFilterFields effectiveAccel(const AccelFilterFields& af, bool debugMode) {
  AccelFilterFields out = af;
  if (!debugMode) out.accelMode = out.filterMode = 0;
  return out;
}

// The head with the checks above; a refusal leaves `out` as it was. An explicit
// speed travels unsigned, so a negative one (from a damaged settings file) is
// refused rather than sent as a huge speed.
uint16_t head(uint8_t positioningType, const AccelFilterFields& af, uint8_t speedSource, int32_t speed,
              bool debugMode, MotionHead* out) {
  AccelFilterFields accel = effectiveAccel(af, debugMode);
  if (!headChoicesValid(positioningType, accel, speedSource)) return MOTION_BAD_CHOICE;
  if (speedSource == 2 && speed < 0) return MOTION_BAD_SPEED;
  *out = motionHeadFrom(positioningType, accel, speedSource, speed);
  return 0;
}

MotionRequest emptyRequest(uint8_t command) {
  MotionRequest r{};
  r.command = command;
  return r;
}

}  // namespace

MotionHead motionHeadFrom(uint8_t positioningType, const AccelFilterFields& af, uint8_t speedSource,
                          int32_t speed) {
  MotionHead h{};
  h.moveType = static_cast<uint8_t>(positioningType + 1);
  h.accelType = af.accelMode ? static_cast<uint8_t>(af.accelIndex + 1) : 0;
  h.filterType = af.filterMode ? static_cast<uint8_t>(af.filterIndex + 1) : 0;
  h.speedSource = speedSource < 3 ? kSpeedCodes[speedSource] : speedSource;
  h.speed = h.speedSource == kExplicitValueCode ? static_cast<uint32_t>(speed) : 0;
  return h;
}

namespace {

uint16_t buildFeed(const JogArea& a, bool debugMode, uint8_t direction, MotionRequest* out) {
  MotionRequest r = emptyRequest(CMD_FEED);
  uint8_t source = debugMode ? a.speedSource : 2;
  if (direction > 1) return MOTION_BAD_CHOICE;
  if (uint16_t bad = head(0, a.accelFilter, source, a.speed, debugMode, &r.head)) return bad;
  r.head.moveType = 0;   // FEED__ carries no positioning type
  r.direction = direction;
  *out = r;
  return 0;
}

uint16_t buildStep(const StepArea& a, bool debugMode, uint8_t direction, MotionRequest* out) {
  MotionRequest r = emptyRequest(CMD_STEP);
  uint8_t source = debugMode ? a.speedSource : 0;
  // The step always runs absolute.
  if (direction > 1) return MOTION_BAD_CHOICE;
  if (uint16_t bad = head(0, a.accelFilter, source, a.speed, debugMode, &r.head)) return bad;
  r.direction = direction;
  bool typed = debugMode && a.distanceMode == 1;
  if (typed) {
    if (a.distance < 0) return MOTION_BAD_DISTANCE;   // the direction is the button's
    r.stepAmountSource = kExplicitValueCode;
    r.stepAmount = static_cast<uint32_t>(a.distance);
  } else {
    if (a.stepParameterIndex > 3 || (debugMode && a.distanceMode > 1)) return MOTION_BAD_CHOICE;
    r.stepAmountSource = a.stepParameterIndex;   // SEL1-SEL4
  }
  *out = r;
  return 0;
}

uint16_t buildPosing(const PositioningArea& a, bool debugMode, uint8_t, MotionRequest* out) {
  MotionRequest r = emptyRequest(CMD_POSING);
  uint8_t source = debugMode ? a.speedSource : 2;
  if (uint16_t bad = head(a.positioningType, a.accelFilter, source, a.speed, debugMode, &r.head)) return bad;
  r.targetPosition = static_cast<uint32_t>(a.targetPosition);
  *out = r;
  return 0;
}

uint16_t buildGotoPoint(const PointOperationArea& a, bool debugMode, uint8_t, MotionRequest* out) {
  MotionRequest r = emptyRequest(CMD_GOTOPT);
  uint8_t type = debugMode ? a.positioningType : 0;
  if (uint16_t bad = head(type, a.accelFilter, 0, 0, debugMode, &r.head)) return bad;
  if (a.pointNumber < 1 || a.pointNumber > 50) return MOTION_BAD_POINT;
  r.pointNumber = a.pointNumber;
  *out = r;
  return 0;
}

uint16_t buildGotoStation(const StationArea& a, bool debugMode, uint8_t, MotionRequest* out) {
  MotionRequest r = emptyRequest(CMD_GOTOST);
  uint8_t type = debugMode ? a.positioningType : 0;
  uint8_t source = debugMode ? a.speedSource : 2;
  if (uint16_t bad = head(type, a.accelFilter, source, a.speed, debugMode, &r.head)) return bad;
  r.stationNumber = a.stationNumber;
  // A stored direction above 1 is shown as forward, so forward is sent.
  r.direction = a.rotationDirection == 1 ? 1 : 0;
  *out = r;
  return 0;
}

uint16_t buildExternalSignal(const ExternalSignalArea& a, bool debugMode, uint8_t, MotionRequest* out) {
  MotionRequest r = emptyRequest(CMD_POS_EX);
  uint8_t source = debugMode ? a.speedSource : 2;
  if (uint16_t bad = head(a.positioningType, a.accelFilter, source, a.speed, debugMode, &r.head)) return bad;
  r.targetPosition = static_cast<uint32_t>(a.targetPosition);
  r.signalSource = 0;   // PC_
  if (debugMode && a.externalDistanceMode == 1) {
    r.externalPositionSource = kExplicitValueCode;
    r.externalPosition = static_cast<uint32_t>(a.externalDistance);
  }
  if (debugMode && a.externalSpeedMode == 1) {
    if (a.externalSpeed < 0) return MOTION_BAD_SPEED;
    r.externalSpeedSource = kExplicitValueCode;
    r.externalSpeed = static_cast<uint32_t>(a.externalSpeed);
  }
  *out = r;
  return 0;
}

uint16_t buildMultiSpeed(const MultiSpeedArea& a, bool debugMode, uint8_t, MotionRequest* out) {
  MotionRequest r = emptyRequest(CMD_POS_MS);
  uint8_t source = debugMode ? a.speedSource : 0;
  if (uint16_t bad = head(a.positioningType, a.accelFilter, source, a.speed, debugMode, &r.head)) return bad;
  r.targetPosition = static_cast<uint32_t>(a.targetPosition);
  r.changeMoveType = kMoveAbsolute;
  uint16_t count = debugMode ? a.changeCount : 0;
  if (count > kMaxChangePairs) return MOTION_BAD_TABLE;
  r.changeCount = count;
  for (int i = 0; i < count; ++i) {
    if (a.changeSpeeds[i] < 0) return MOTION_BAD_TABLE;
    r.changePositions[i] = static_cast<uint32_t>(a.changePositions[i]);
    r.changeSpeeds[i] = static_cast<uint32_t>(a.changeSpeeds[i]);
  }
  *out = r;
  return 0;
}

uint16_t buildPassPoint(const PassPointArea& a, bool debugMode, uint8_t, MotionRequest* out) {
  MotionRequest r = emptyRequest(CMD_POS_AS);
  uint8_t type = debugMode ? a.positioningType : 0;
  uint8_t source = debugMode ? a.speedSource : 2;
  if (uint16_t bad = head(type, a.accelFilter, source, a.speed, debugMode, &r.head)) return bad;
  r.targetPosition = static_cast<uint32_t>(a.targetPosition);
  if (debugMode) {
    if (a.signalPositioningType > 1 || a.signal1Polarity > 1 || a.signal2Polarity > 1) return MOTION_BAD_CHOICE;
    r.signalBlock = true;
    r.signalMoveType = static_cast<uint8_t>(a.signalPositioningType + 1);
    r.signal1Polarity = a.signal1Polarity;
    r.signal2Polarity = a.signal2Polarity;
    r.signal1OnPosition = static_cast<uint32_t>(a.signal1On);
    r.signal1OffPosition = static_cast<uint32_t>(a.signal1Off);
    r.signal2OnPosition = static_cast<uint32_t>(a.signal2On);
    r.signal2OffPosition = static_cast<uint32_t>(a.signal2Off);
  }
  *out = r;
  return 0;
}

uint16_t buildHoming(const HomingArea& a, bool debugMode, uint8_t, MotionRequest* out) {
  MotionRequest r = emptyRequest(CMD_HOMING);
  uint8_t source = debugMode ? a.speedSource : 2;
  if (uint16_t bad = head(0, a.accelFilter, source, a.speed, debugMode, &r.head)) return bad;
  *out = r;
  return 0;
}

}  // namespace

uint16_t buildMotionRequest(const OperationForm& form, const void* area, bool debugMode, uint8_t direction,
                            MotionRequest* out) {
  switch (form.templateId) {
    case IDD_JOG: return buildFeed(*static_cast<const JogArea*>(area), debugMode, direction, out);
    case IDD_STEP: return buildStep(*static_cast<const StepArea*>(area), debugMode, direction, out);
    case IDD_POSITIONING: return buildPosing(*static_cast<const PositioningArea*>(area), debugMode, direction, out);
    case IDD_POINT_OPERATION:
      return buildGotoPoint(*static_cast<const PointOperationArea*>(area), debugMode, direction, out);
    case IDD_STATION: return buildGotoStation(*static_cast<const StationArea*>(area), debugMode, direction, out);
    case IDD_EXTERNAL_SIGNAL:
      return buildExternalSignal(*static_cast<const ExternalSignalArea*>(area), debugMode, direction, out);
    case IDD_MULTI_SPEED: return buildMultiSpeed(*static_cast<const MultiSpeedArea*>(area), debugMode, direction, out);
    case IDD_PASS_POINT: return buildPassPoint(*static_cast<const PassPointArea*>(area), debugMode, direction, out);
    case IDD_HOMING: return buildHoming(*static_cast<const HomingArea*>(area), debugMode, direction, out);
    default: return MOTION_BAD_CHOICE;
  }
}

uint8_t operationStopMode(int stopRadio, bool debugMode) {
  if (!debugMode) return 0;
  return stopRadio == 1 ? 1 : 0;   // no choice made: the default deceleration stop
}

uint16_t sendOperationStop(OwnerHandle owner, int stopRadio, bool debugMode) {
  return request_STOP__(owner, operationStopMode(stopRadio, debugMode));
}

uint16_t readOperationPosition(OwnerHandle owner, int32_t* position) {
  uint32_t values[7] = {};
  uint16_t status = request_RD_MON(owner, &values[0], &values[1], &values[2], &values[3], &values[4],
                                   &values[5], &values[6]);
  if (status == 0) *position = static_cast<int32_t>(values[0]);
  return status;
}

MotionRequest returnOperationMove(int32_t position) {
  MotionRequest move{};
  move.command = CMD_POSING;
  move.head.moveType = kMoveAbsolute;   // accelerations and speed 0: follow the parameters
  move.targetPosition = static_cast<uint32_t>(position);
  return move;
}

uint16_t returnOperationPosition(OwnerHandle owner, int32_t position) {
  return requestMotion(owner, returnOperationMove(position));
}
