// Request functions of the motion commands and the brake, servo and stop controls.
#include <algorithm>
#include "link/link_state.h"
#include "link/request.h"
#include "link/request_call.h"

namespace {

// Explicit values travel only with the keyword code that announces them.
uint32_t explicitValue(uint8_t source, uint32_t value) {
  return source == kExplicitValueCode ? value : 0;
}

MotionHead copyHead(const MotionHead& head) {
  MotionHead out = head;
  out.speed = explicitValue(head.speedSource, head.speed);
  return out;
}

}  // namespace

uint16_t request_BKCTRL(OwnerHandle owner, uint8_t brakeOn) {
  RequestRecord record = newRecord(CMD_BKCTRL);
  RequestRecord* r = &record;
  r->bkctrl.brakeOn = brakeOn;
  return runRequest(owner, CMD_BKCTRL, r);
}

uint16_t request_FEED__(OwnerHandle owner, uint8_t accelType, uint8_t filterType,
                        uint8_t speedSource, uint32_t speed, uint8_t feedDirection) {
  RequestRecord record = newRecord(CMD_FEED);
  RequestRecord* r = &record;
  r->feed.accelType = accelType;
  r->feed.filterType = filterType;
  r->feed.speedSource = speedSource;
  r->feed.speed = explicitValue(speedSource, speed);
  r->feed.feedDirection = feedDirection;
  return runRequest(owner, CMD_FEED, r);
}

uint16_t request_GOTOPT(OwnerHandle owner, uint8_t moveType, uint8_t accelType,
                        uint8_t filterType, uint16_t pointNumber) {
  RequestRecord record = newRecord(CMD_GOTOPT);
  RequestRecord* r = &record;
  r->gotoPt.moveType = moveType;
  r->gotoPt.accelType = accelType;
  r->gotoPt.filterType = filterType;
  r->gotoPt.pointNumber = pointNumber;
  return runRequest(owner, CMD_GOTOPT, r);
}

uint16_t request_GOTOST(OwnerHandle owner, const MotionHead& head, uint32_t stationNumber,
                        uint8_t stationDirection) {
  RequestRecord record = newRecord(CMD_GOTOST);
  RequestRecord* r = &record;
  r->gotoSt.head = copyHead(head);
  r->gotoSt.stationNumber = stationNumber;
  r->gotoSt.stationDirection = stationDirection;
  return runRequest(owner, CMD_GOTOST, r);
}

uint16_t request_HOMING(OwnerHandle owner, const MotionHead& head) {
  RequestRecord record = newRecord(CMD_HOMING);
  RequestRecord* r = &record;
  r->homing.head = copyHead(head);
  return runRequest(owner, CMD_HOMING, r);
}

uint16_t request_POS_AS(OwnerHandle owner, const MotionHead& head, uint32_t targetPosition,
                        uint8_t signalMoveType,
                        uint8_t signal1Polarity, uint32_t signal1OnPosition, uint32_t signal1OffPosition,
                        uint8_t signal2Polarity, uint32_t signal2OnPosition, uint32_t signal2OffPosition) {
  RequestRecord record = newRecord(CMD_POS_AS);
  RequestRecord* r = &record;
  r->posAs.head = copyHead(head);
  r->posAs.targetPosition = targetPosition;
  // The pass-point block exists only for the debug definition file.
  if (g_mode.debugMode) {
    r->posAs.signalMoveType = signalMoveType;
    r->posAs.signal1Polarity = signal1Polarity;
    r->posAs.signal1OnPosition = signal1OnPosition;
    r->posAs.signal1OffPosition = signal1OffPosition;
    r->posAs.signal2Polarity = signal2Polarity;
    r->posAs.signal2OnPosition = signal2OnPosition;
    r->posAs.signal2OffPosition = signal2OffPosition;
  }
  return runRequest(owner, CMD_POS_AS, r);
}

uint16_t request_POS_EX(OwnerHandle owner, const MotionHead& head, uint32_t targetPosition,
                        uint8_t signalSource, uint8_t externalSpeedSource, uint32_t externalSpeed,
                        uint8_t externalPositionSource, uint32_t externalPosition) {
  RequestRecord record = newRecord(CMD_POS_EX);
  RequestRecord* r = &record;
  r->posEx.head = copyHead(head);
  r->posEx.targetPosition = targetPosition;
  r->posEx.signalSource = signalSource;
  r->posEx.externalPositionSource = externalPositionSource;
  r->posEx.externalPosition = explicitValue(externalPositionSource, externalPosition);
  r->posEx.externalSpeedSource = externalSpeedSource;
  r->posEx.externalSpeed = explicitValue(externalSpeedSource, externalSpeed);
  return runRequest(owner, CMD_POS_EX, r);
}

uint16_t request_POS_MS(OwnerHandle owner, const MotionHead& head, uint32_t targetPosition,
                        uint8_t changeMoveType, uint16_t changeCount,
                        const uint32_t* changePositions, const uint32_t* changeSpeeds) {
  RequestRecord record = newRecord(CMD_POS_MS);
  RequestRecord* r = &record;
  uint16_t n = std::min<uint16_t>(changeCount, kMaxChangePairs);
  r->posMs.head = copyHead(head);
  r->posMs.targetPosition = targetPosition;
  r->posMs.changeMoveType = changeMoveType;
  r->posMs.changeCount = n;
  for (uint16_t i = 0; i < n; ++i) {
    r->posMs.changePositions[i] = changePositions ? changePositions[i] : 0;
    r->posMs.changeSpeeds[i] = changeSpeeds ? changeSpeeds[i] : 0;
  }
  return runRequest(owner, CMD_POS_MS, r);
}

uint16_t request_POSING(OwnerHandle owner, const MotionHead& head, uint32_t targetPosition) {
  RequestRecord record = newRecord(CMD_POSING);
  RequestRecord* r = &record;
  r->posing.head = copyHead(head);
  r->posing.targetPosition = targetPosition;
  return runRequest(owner, CMD_POSING, r);
}

uint16_t request_STEP__(OwnerHandle owner, const MotionHead& head, uint8_t stepDirection,
                        uint8_t stepAmountSource, uint32_t stepAmount) {
  RequestRecord record = newRecord(CMD_STEP);
  RequestRecord* r = &record;
  r->step.head = copyHead(head);
  r->step.stepDirection = stepDirection;
  r->step.stepAmountSource = stepAmountSource;
  r->step.stepAmount = stepAmount;   // always carried
  return runRequest(owner, CMD_STEP, r);
}

uint16_t request_STOP__(OwnerHandle owner, uint8_t stopMode) {
  RequestRecord record = newRecord(CMD_STOP);
  RequestRecord* r = &record;
  r->stop.stopMode = stopMode;
  return runRequest(owner, CMD_STOP, r);
}

uint16_t request_SVCTRL(OwnerHandle owner, uint8_t servoOn) {
  RequestRecord record = newRecord(CMD_SVCTRL);
  RequestRecord* r = &record;
  r->svctrl.servoOn = servoOn;
  return runRequest(owner, CMD_SVCTRL, r);
}
