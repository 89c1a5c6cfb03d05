// Each operation dialog's motion command, built from its settings area alone, and
// sent through the request functions. Building never parses text: the area holds
// typed values read earlier, so what is sent is what the dialog shows.
#pragma once
#include <cstdint>

#include "files/settings_areas.h"
#include "link/prompt.h"
#include "protocol/request_record.h"

// One motion command with every argument it may carry (unused ones stay 0).
struct MotionRequest {
  uint8_t command;            // CMD_FEED, CMD_STEP, CMD_POSING, CMD_GOTOPT, CMD_GOTOST,
                              // CMD_POS_EX, CMD_POS_MS, CMD_POS_AS, CMD_HOMING
  MotionHead head;            // FEED__: moveType unused; GOTOPT: speed fields unused
  uint8_t direction;          // FEED__ 0 CW_ / 1 CCW; STEP__ 0 "+" / 1 "-"; GOTOST 0 CW_ / 1 CCW
  uint8_t stepAmountSource;   // 0-3 SEL1-SEL4, 4 explicit
  uint32_t stepAmount;
  uint32_t targetPosition;
  uint16_t pointNumber;
  uint32_t stationNumber;
  uint8_t signalSource;       // POS_EX: 0 PC_
  uint8_t externalPositionSource;   // 0 PARM, 4 explicit
  uint32_t externalPosition;
  uint8_t externalSpeedSource;      // 0 PARM, 4 explicit
  uint32_t externalSpeed;
  uint8_t changeMoveType;     // POS_MS: 1 ABS_
  uint16_t changeCount;       // 0-15
  uint32_t changePositions[kMaxChangePairs];
  uint32_t changeSpeeds[kMaxChangePairs];
  bool signalBlock;           // POS_AS: the signal fields below are filled (debug mode)
  uint8_t signalMoveType;     // MoveKeywords: 1 ABS_, 2 INC_
  uint8_t signal1Polarity, signal2Polarity;   // 0 NORM, 1 REVS
  uint32_t signal1OnPosition, signal1OffPosition, signal2OnPosition, signal2OffPosition;
};

// Results of building besides 0: the area holds a value the command cannot carry.
constexpr uint16_t MOTION_BAD_POINT = 1238;      // point number outside 1-50 (box 256)
constexpr uint16_t MOTION_BAD_CHOICE = 0xFFFF;   // a stored choice outside its range (box 256)
constexpr uint16_t MOTION_BAD_TABLE = 1040;      // a speed-change count above 15 or a negative changed speed (box 256)
constexpr uint16_t MOTION_BAD_SPEED = 1059;      // a negative explicit speed (box 256)
constexpr uint16_t MOTION_BAD_DISTANCE = 1060;   // a negative typed step distance (box 256)

// Directions as the jog and step dialogs name their buttons.
constexpr uint8_t MOTION_FORWARD = 0;
constexpr uint8_t MOTION_REVERSE = 1;

// Keyword codes from the area's choices: accel/filter 0 PARM or index + 1; speed
// PARM, CURT or SET_ (4); positioning type + 1.
MotionHead motionHeadFrom(uint8_t positioningType, const AccelFilterFields& accelFilter,
                          uint8_t speedSource, int32_t speed);

// The request each dialog sends, from its area (after readOperationFields, which
// applied the debug rules). Outside debug mode the fixed values are used whatever
// the area holds. `direction` is the button pressed (jog, step).
uint16_t buildMotionRequest(const JogArea& area, const EnvironmentSettings& env, bool debugMode,
                            uint8_t direction, MotionRequest* out);
uint16_t buildMotionRequest(const StepArea& area, const EnvironmentSettings& env, bool debugMode,
                            uint8_t direction, MotionRequest* out);
uint16_t buildMotionRequest(const PositioningArea& area, const EnvironmentSettings& env, bool debugMode,
                            MotionRequest* out);
uint16_t buildMotionRequest(const PointOperationArea& area, const EnvironmentSettings& env, bool debugMode,
                            MotionRequest* out);
uint16_t buildMotionRequest(const StationArea& area, const EnvironmentSettings& env, bool debugMode,
                            MotionRequest* out);
uint16_t buildMotionRequest(const ExternalSignalArea& area, const EnvironmentSettings& env, bool debugMode,
                            MotionRequest* out);
uint16_t buildMotionRequest(const MultiSpeedArea& area, const EnvironmentSettings& env, bool debugMode,
                            MotionRequest* out);
uint16_t buildMotionRequest(const PassPointArea& area, const EnvironmentSettings& env, bool debugMode,
                            MotionRequest* out);
uint16_t buildMotionRequest(const HomingArea& area, const EnvironmentSettings& env, bool debugMode,
                            MotionRequest* out);

// Sends the request through its request function (which shows the error box on a
// failure) and returns the request status, 0 on success.
uint16_t sendMotionRequest(OwnerHandle owner, const MotionRequest& request);

// Stop: the mode comes from the stop radio value in debug mode (1 ZERO, anything
// else, none checked included, DEC_) and is the deceleration stop otherwise.
// Nothing numeric is read, so a stop is sent whatever the other fields hold.
uint8_t operationStopMode(int stopRadio, bool debugMode);
// Sends STOP__ with that mode; returns the request status.
uint16_t sendOperationStop(OwnerHandle owner, int stopRadio, bool debugMode);

// The two requests every repeat needs besides its move: the command position
// (RD_MON), and the return to a position: POSING absolute with the parameters'
// speed and accelerations.
uint16_t readOperationPosition(OwnerHandle owner, int32_t* position);
uint16_t returnOperationPosition(OwnerHandle owner, int32_t position);
MotionRequest returnOperationMove(int32_t position);
