// The per-call request record: a command code, the outcome, and the command's
// arguments and results. One caller owns it for the length of one request.
#pragma once
#include <cstdint>
#include <cstring>

// Command codes (index into CommandTable).
enum CommandCode : uint8_t {
  CMD_BKCTRL = 0, CMD_CLRALM, CMD_FEED, CMD_GET_PT, CMD_GOTOPT, CMD_GOTOST, CMD_HOMING,
  CMD_POS_AS, CMD_POS_EX, CMD_POS_MS, CMD_POSING, CMD_RD_ALM, CMD_RD_MEM, CMD_RD_MON,
  CMD_RDDVID, CMD_RDMSTS, CMD_RDPARM, CMD_RDPORT, CMD_RDSSTS, CMD_RSTMDL, CMD_SET_PT,
  CMD_SETDIS, CMD_STEP, CMD_STOP, CMD_SVCTRL, CMD_WR_MEM, CMD_WRPARM, CMD_WRPORT,
  COMMAND_COUNT = 28
};

// Outcome of one request.
enum RequestStatus : uint16_t {
  STATUS_OK = 0,
  STATUS_COMM_FAILURE = 1,   // no reply after the retries
  STATUS_ERROR_REPLY = 2,    // module answered with a nonzero error code
  STATUS_MALFORMED = 3,      // header, keyword, number or consistency check failed
  STATUS_CANCELLED = 4,      // a motion not sent: a stop came after it was asked for
};

// The motion commands: the ones a stop ends and never lets go out after it.
constexpr bool isMotionCommand(uint8_t code) {
  return code == CMD_FEED || code == CMD_STEP || code == CMD_POSING || code == CMD_GOTOPT ||
         code == CMD_GOTOST || code == CMD_POS_EX || code == CMD_POS_MS || code == CMD_POS_AS ||
         code == CMD_HOMING;
}

constexpr uint16_t kExplicitValueCode = 4;   // "SET_": an eight-digit value follows
constexpr int kMaxAlarmEntries = 16;
constexpr int kMaxChangePairs = 15;
constexpr int kMaxMemoryBytes = 65535;
constexpr int kMaxWriteMemoryBytes = 111;    // 33 + 2 * 111 = 255 bytes fits one message
constexpr int kIdTextLength = 32;

// Common start of the motion commands.
struct MotionHead {
  uint8_t moveType;     // MoveKeywords
  uint8_t accelType;    // AccelKeywords
  uint8_t filterType;   // FilterKeywords
  uint8_t speedSource;  // SpeedKeywords; 4 = explicit speed
  uint32_t speed;
};

// One motion command whole, as an operation dialog builds it and the link copies
// it into the record it sends: every argument a motion may carry (unused ones 0).
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

struct AlarmEntry {
  uint32_t timeStamp;
  uint32_t alarmWord;   // bits 0-7 code, bits 8-14 text group flags
};

struct RequestRecord {
  uint8_t opCode;
  uint16_t status;
  uint16_t errorCode;
  // Motion commands: the stop epoch the motion was asked in (set when posted);
  // the communication thread sends it only while no stop has come since, and
  // follows it with a STOP__ in this mode (0 DEC_, 1 ZERO) when no valid reply came.
  uint32_t motionEpoch;
  uint8_t failureStopMode;
  union {
    struct { uint8_t brakeOn; } bkctrl;
    struct { uint8_t clearKind, device; } clralm;
    struct { uint8_t accelType, filterType, speedSource; uint32_t speed; uint8_t feedDirection; } feed;
    struct { uint16_t pointNumber; uint32_t speed, targetPosition; } getPt;
    struct { uint8_t moveType, accelType, filterType; uint16_t pointNumber; } gotoPt;
    struct { MotionHead head; uint32_t stationNumber; uint8_t stationDirection; } gotoSt;
    struct { MotionHead head; } homing;
    struct {
      MotionHead head; uint32_t targetPosition;
      // debug mode only
      uint8_t signalMoveType, signal1Polarity, signal2Polarity;
      uint32_t signal1OnPosition, signal2OnPosition, signal1OffPosition, signal2OffPosition;
    } posAs;
    struct {
      MotionHead head; uint32_t targetPosition;
      uint8_t signalSource, externalPositionSource; uint32_t externalPosition;
      uint8_t externalSpeedSource; uint32_t externalSpeed;
    } posEx;
    struct {
      MotionHead head; uint32_t targetPosition;
      uint8_t changeMoveType; uint16_t changeCount;
      uint32_t changePositions[kMaxChangePairs], changeSpeeds[kMaxChangePairs];
    } posMs;
    struct { MotionHead head; uint32_t targetPosition; } posing;
    struct { uint8_t device; uint16_t alarmCount; AlarmEntry alarms[kMaxAlarmEntries]; } rdAlm;
    // The bytes go straight into the caller's buffer of byteCount bytes (null: read
    // and checked, not kept), so the record stays small enough for the stack.
    struct { uint8_t device; uint32_t address; uint16_t byteCount; uint8_t* memoryData; } rdMem;
    struct {
      uint32_t commandPosition, feedbackPosition, positionDeviation, latchPosition,
               outputTorque, monitor1, monitor2;
    } rdMon;
    struct { uint8_t idItem; char idText[kIdTextLength]; } rddvid;
    struct { uint8_t motionState; uint16_t motionStatusWord; } rdmsts;
    struct { uint8_t parameterBank; uint16_t parameterNumber; uint16_t echoedNumber; uint32_t parameterValue; } rdparm;
    struct { uint8_t portSelect; uint16_t portBits[3]; } rdport;
    struct { uint16_t statusValue; uint8_t ready, servoOn, mainCircuitOn, alarm; } rdssts;
    struct { uint16_t pointNumber; uint32_t speed; uint8_t positionSource; uint32_t targetPosition; } setPt;
    struct { uint16_t outputMask[3]; } setdis;
    struct { MotionHead head; uint8_t stepDirection, stepAmountSource; uint32_t stepAmount; } step;
    struct { uint8_t stopMode; } stop;
    struct { uint8_t servoOn; } svctrl;
    struct { uint8_t device; uint32_t address; uint16_t byteCount; const uint8_t* dataPointer; } wrMem;
    struct { uint8_t parameterBank; uint16_t parameterNumber; uint32_t parameterValue; } wrparm;
    struct { uint16_t outputBits[3]; } wrport;
  };
};

// Every request starts from an all-zero record (results that a reply does not
// carry stay zero).
inline void clearRecord(RequestRecord& record) { std::memset(&record, 0, sizeof record); }
