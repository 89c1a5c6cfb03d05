// Typed records of the settings block's areas: every dialog's last inputs, laid out
// byte for byte as SetData.cfg holds them (little-endian, packed without gaps).
// "Mode" bytes are 0 for follow-the-parameter and 1 for the combo's choice.
#pragma once
#include <cstddef>
#include <cstdint>

#include "files/point_table.h"
#include "toolkit/value_history.h"

#pragma pack(push, 1)

// Offsets 2-7: the environment settings every speed and position display uses.
struct EnvironmentSettings {
  uint16_t repeatInterval;   // milliseconds
  uint8_t displayUnit;       // 0 "mm", 1 "deg", 2 none
  uint8_t commandUnit;       // 0 "0.001", 1 "0.01", 2 "0.1", 3 "1"
  uint16_t valueFormat;      // number format word of every speed and position
};

// The acceleration and filter block every operation dialog's area holds, and the
// repeat and stop-mode block of the eight that repeat. One pair of functions shows
// and reads them for all nine dialogs, so they are records of their own.
struct AccelFilterFields {
  uint8_t accelMode;
  uint8_t accelIndex;        // 0-3
  uint8_t filterMode;
  uint8_t filterIndex;       // 0-3
};
struct RepeatStopFields {
  uint8_t repeat;            // check box "repeat"
  uint8_t stopMode;          // 0 deceleration stop, 1 zero-speed stop
};

struct JogArea {             // offsets 8-58
  uint8_t speedSource;
  int32_t speed;
  AccelFilterFields accelFilter;
  ValueHistory speedHistory;
};

struct StepArea {            // offsets 59-160
  uint8_t positioningType;   // always 0
  uint8_t distanceMode;      // 0 step parameter, 1 typed distance
  uint8_t stepParameterIndex;  // 0-3
  int32_t distance;
  uint8_t speedSource;
  int32_t speed;
  AccelFilterFields accelFilter;
  RepeatStopFields repeatStop;
  ValueHistory distanceHistory;
  ValueHistory speedHistory;
};

struct PositioningArea {     // offsets 161-260
  uint8_t positioningType;
  int32_t targetPosition;
  uint8_t speedSource;
  int32_t speed;
  AccelFilterFields accelFilter;
  RepeatStopFields repeatStop;
  ValueHistory speedHistory;
  ValueHistory targetHistory;
};

struct PointOperationArea {  // offsets 261-311
  uint8_t positioningType;
  uint16_t pointNumber;      // default 1
  AccelFilterFields accelFilter;
  RepeatStopFields repeatStop;
  ValueHistory pointHistory;
};

struct StationArea {         // offsets 312-412
  uint8_t positioningType;
  uint8_t rotationDirection;  // 0 forward, 1 reverse
  uint32_t stationNumber;
  uint8_t speedSource;
  int32_t speed;
  AccelFilterFields accelFilter;
  RepeatStopFields repeatStop;
  ValueHistory speedHistory;
  ValueHistory stationHistory;
};

struct ExternalSignalArea {  // offsets 413-607
  uint8_t positioningType;
  uint8_t signalSource;      // always 0
  int32_t targetPosition;
  uint8_t speedSource;
  int32_t speed;
  uint8_t externalDistanceMode;  // 0 parameter, 1 typed
  int32_t externalDistance;
  uint8_t externalSpeedMode;     // 0 parameter, 1 typed
  int32_t externalSpeed;
  AccelFilterFields accelFilter;
  RepeatStopFields repeatStop;
  ValueHistory speedHistory;
  ValueHistory targetHistory;
  ValueHistory externalDistanceHistory;
  ValueHistory externalSpeedHistory;
};

constexpr int SPEED_CHANGE_MAX = 15;

struct MultiSpeedArea {      // offsets 608-830
  uint8_t positioningType;
  int32_t targetPosition;
  uint8_t changePositionType;  // always 0
  int32_t changePositions[SPEED_CHANGE_MAX];  // entry n (from 1) is element n - 1
  int32_t changeSpeeds[SPEED_CHANGE_MAX];
  uint8_t speedSource;
  int32_t speed;
  AccelFilterFields accelFilter;
  RepeatStopFields repeatStop;
  uint16_t changeCount;      // 0-15
  ValueHistory targetHistory;
  ValueHistory speedHistory;
};

struct PassPointArea {       // offsets 831-1117
  uint8_t positioningType;
  uint8_t speedSource;
  int32_t speed;
  int32_t targetPosition;
  AccelFilterFields accelFilter;
  uint8_t signalPositioningType;  // 0 ABS_, 1 INC_
  int32_t signal1On;
  int32_t signal1Off;
  uint8_t signal1Polarity;   // 0 not reversed, 1 reversed
  int32_t signal2On;
  int32_t signal2Off;
  uint8_t signal2Polarity;
  RepeatStopFields repeatStop;
  ValueHistory speedHistory;
  ValueHistory targetHistory;
  ValueHistory signal1OnHistory;
  ValueHistory signal1OffHistory;
  ValueHistory signal2OnHistory;
  ValueHistory signal2OffHistory;
};

struct HomingArea {          // offsets 1118-1171
  uint8_t positioningType;   // always 0
  uint8_t speedSource;
  int32_t speed;
  AccelFilterFields accelFilter;
  RepeatStopFields repeatStop;
  ValueHistory speedHistory;
};

struct OutputPortArea {      // offsets 1172-1183
  uint16_t overrideMask[3];  // bit set when the tool drives that output
  uint16_t writtenValues[3]; // levels last written with the write button
};

struct PointSettingArea {    // offsets 1584-1636
  uint16_t pointNumber;      // default 1
  int32_t speed;
  uint8_t positionChoice;    // 0 current position, 1 entered position
  int32_t position;
  ValueHistory speedHistory;
};

// Last inputs of the memory dialogs. They live for the process only (see
// g_memoryReadSettings); the 16 bytes of the file at 1637-1652 are kept as read.
struct MemoryReadSettings {
  uint32_t address;
  uint16_t sizeInBytes;
  uint8_t dataType;          // 0 byte, 1 word, 2 long
};
struct MemoryWriteSettings {
  uint32_t address;
  uint32_t writeValue;
  uint8_t dataType;
};

#pragma pack(pop)

static_assert(sizeof(EnvironmentSettings) == 6);
static_assert(sizeof(AccelFilterFields) == 4);
static_assert(sizeof(RepeatStopFields) == 2);
static_assert(sizeof(JogArea) == 51);
static_assert(sizeof(StepArea) == 102);
static_assert(sizeof(PositioningArea) == 100);
static_assert(sizeof(PointOperationArea) == 51);
static_assert(sizeof(StationArea) == 101);
static_assert(sizeof(ExternalSignalArea) == 195);
static_assert(sizeof(MultiSpeedArea) == 223);
static_assert(sizeof(PassPointArea) == 287);
static_assert(sizeof(HomingArea) == 54);
static_assert(sizeof(OutputPortArea) == 12);
static_assert(sizeof(PointSettingArea) == 53);
static_assert(sizeof(MemoryReadSettings) == 7);
static_assert(sizeof(MemoryWriteSettings) == 9);
static_assert(offsetof(StepArea, speedHistory) == 60);
static_assert(offsetof(PositioningArea, targetHistory) == 58);
static_assert(offsetof(StationArea, stationHistory) == 59);
static_assert(offsetof(ExternalSignalArea, externalSpeedHistory) == 153);
static_assert(offsetof(MultiSpeedArea, changeCount) == 137);
static_assert(offsetof(MultiSpeedArea, speedHistory) == 181);
static_assert(offsetof(PassPointArea, signal2OffHistory) == 245);
static_assert(offsetof(HomingArea, speedHistory) == 12);
static_assert(offsetof(JogArea, accelFilter) == 5);
static_assert(offsetof(StepArea, accelFilter) == 12 && offsetof(StepArea, repeatStop) == 16);
static_assert(offsetof(PositioningArea, repeatStop) == 14);
static_assert(offsetof(PointOperationArea, accelFilter) == 3 && offsetof(PointOperationArea, repeatStop) == 7);
static_assert(offsetof(StationArea, accelFilter) == 11);
static_assert(offsetof(ExternalSignalArea, accelFilter) == 21 && offsetof(ExternalSignalArea, repeatStop) == 25);
static_assert(offsetof(MultiSpeedArea, accelFilter) == 131);
static_assert(offsetof(PassPointArea, accelFilter) == 10 && offsetof(PassPointArea, repeatStop) == 33);
static_assert(offsetof(HomingArea, accelFilter) == 6 && offsetof(HomingArea, repeatStop) == 10);
