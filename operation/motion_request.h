// Each operation dialog's motion command, built from its settings area alone into
// the MotionRequest the link sends whole (requestMotion). Building never parses
// text: the area holds typed values read earlier, so what is sent is what the
// dialog shows.
#pragma once
#include <cstdint>

#include "files/settings_areas.h"
#include "link/prompt.h"
#include "operation/operation_fields.h"
#include "protocol/request_record.h"
#include "resources/resource.h"

// Results of building besides 0: the area holds a value the command cannot carry.
// Each is the IDC_ id of the field at fault; the dialog shows IDS_INVALID_INPUT.
constexpr uint16_t MOTION_BAD_POINT = IDC_OP_POINT;       // point number outside 1-50
constexpr uint16_t MOTION_BAD_CHOICE = OPERATION_ID_CHOICE;  // a stored choice outside its range
constexpr uint16_t MOTION_BAD_TABLE = IDC_LIST;           // a speed-change count above 15 or a negative changed speed
constexpr uint16_t MOTION_BAD_SPEED = IDC_OP_SPEED;       // a negative explicit speed
constexpr uint16_t MOTION_BAD_DISTANCE = IDC_OP_POSITION; // a negative typed step distance

// Directions as the jog and step dialogs name their buttons.
constexpr uint8_t MOTION_FORWARD = 0;
constexpr uint8_t MOTION_REVERSE = 1;

// Keyword codes from the area's choices: accel/filter 0 PARM or index + 1; speed
// PARM, CURT or SET_ (4); positioning type + 1.
MotionHead motionHeadFrom(uint8_t positioningType, const AccelFilterFields& accelFilter,
                          uint8_t speedSource, int32_t speed);

// The request the dialog of `form` sends, from its area (after readOperationFields,
// which applied the debug rules). Outside debug mode the fixed values are used
// whatever the area holds. `direction` is the button pressed (jog, step; ignored
// by the others). A form of no operation dialog builds nothing (MOTION_BAD_CHOICE).
uint16_t buildMotionRequest(const OperationForm& form, const void* area, bool debugMode, uint8_t direction,
                            MotionRequest* out);

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
