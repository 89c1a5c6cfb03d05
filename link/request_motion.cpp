// Request functions of the motion commands and the brake, servo and stop controls.
// Every motion goes through requestMotion, which copies a MotionRequest whole into
// the record it sends.
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

uint16_t requestMotion(OwnerHandle owner, const MotionRequest& q) {
  if (!isMotionCommand(q.command)) return STATUS_MALFORMED;   // nothing is sent
  RequestRecord record = newRecord(q.command);
  RequestRecord* r = &record;
  const MotionHead head = copyHead(q.head);
  switch (q.command) {
    case CMD_FEED:
      r->feed.accelType = head.accelType;
      r->feed.filterType = head.filterType;
      r->feed.speedSource = head.speedSource;
      r->feed.speed = head.speed;
      r->feed.feedDirection = q.direction;
      break;
    case CMD_STEP:
      r->step.head = head;
      r->step.stepDirection = q.direction;
      r->step.stepAmountSource = q.stepAmountSource;
      r->step.stepAmount = q.stepAmount;   // always carried
      break;
    case CMD_POSING:
      r->posing.head = head;
      r->posing.targetPosition = q.targetPosition;
      break;
    case CMD_GOTOPT:
      r->gotoPt.moveType = head.moveType;
      r->gotoPt.accelType = head.accelType;
      r->gotoPt.filterType = head.filterType;
      r->gotoPt.pointNumber = q.pointNumber;
      break;
    case CMD_GOTOST:
      r->gotoSt.head = head;
      r->gotoSt.stationNumber = q.stationNumber;
      r->gotoSt.stationDirection = q.direction;
      break;
    case CMD_POS_EX:
      r->posEx.head = head;
      r->posEx.targetPosition = q.targetPosition;
      r->posEx.signalSource = q.signalSource;
      r->posEx.externalPositionSource = q.externalPositionSource;
      r->posEx.externalPosition = explicitValue(q.externalPositionSource, q.externalPosition);
      r->posEx.externalSpeedSource = q.externalSpeedSource;
      r->posEx.externalSpeed = explicitValue(q.externalSpeedSource, q.externalSpeed);
      break;
    case CMD_POS_MS: {
      uint16_t n = std::min<uint16_t>(q.changeCount, kMaxChangePairs);
      r->posMs.head = head;
      r->posMs.targetPosition = q.targetPosition;
      r->posMs.changeMoveType = q.changeMoveType;
      r->posMs.changeCount = n;
      for (uint16_t i = 0; i < n; ++i) {
        r->posMs.changePositions[i] = q.changePositions[i];
        r->posMs.changeSpeeds[i] = q.changeSpeeds[i];
      }
      break;
    }
    case CMD_POS_AS:
      r->posAs.head = head;
      r->posAs.targetPosition = q.targetPosition;
      // The pass-point block exists only for the debug definition file.
      if (q.signalBlock && g_mode.debugMode) {
        r->posAs.signalMoveType = q.signalMoveType;
        r->posAs.signal1Polarity = q.signal1Polarity;
        r->posAs.signal1OnPosition = q.signal1OnPosition;
        r->posAs.signal1OffPosition = q.signal1OffPosition;
        r->posAs.signal2Polarity = q.signal2Polarity;
        r->posAs.signal2OnPosition = q.signal2OnPosition;
        r->posAs.signal2OffPosition = q.signal2OffPosition;
      }
      break;
    case CMD_HOMING:
      r->homing.head = head;
      break;
  }
  return runRequest(owner, q.command, r);
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
