// The simulated module's state and motion model, driven by a millisecond clock.
// Parameters, point table, memory, identification, alarms, I/O words, servo and brake.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

constexpr uint16_t kMotionBlockEnd = 0x0001;   // bit 0: the last move has ended
constexpr uint16_t kMotionBusy = 0x0002;       // bit 1: a move is running
constexpr uint16_t kMotionServo = 0x0004;      // bit 2: servo on

// Motion states, in the order of their RDMSTS keywords.
enum class MotionState : uint8_t {
  Neutral, Posing, PosEx, PosMs, PosAs, Feed, GoToStation, GoToPoint, Homing, Stop,
  EmergencyStop, FeedExternal, Count
};
// The keyword of a motion state: what RDMSTS answers and GET MOTION reports.
const char* motionStateWord(MotionState state);

constexpr int64_t kStopDecelerationMs = 200;   // a deceleration stop takes this long
constexpr int64_t kDefaultSettleMs = 100;      // state keyword lags block end by this much

struct SimParameter {
  uint16_t number;
  uint32_t value;
  uint16_t size = 4;        // bytes on the module: a wider value does not fit
  bool isSigned = false;
  bool limited = false;     // kinds D and H carry limits
  int32_t minimum = 0;      // widened from the low `size` bytes
  int32_t maximum = 0;
};

struct SimAlarm {
  uint32_t timeStamp;
  uint32_t alarmWord;
};

struct SimModel {
  std::vector<SimParameter> parameters;   // the defined numbers, file order
  std::vector<SimParameter> initial;      // as loaded; RESET returns to them
  std::vector<uint16_t> rejected;         // numbers answered with error 0x0001
  uint32_t pointSpeed[50] = {};
  uint32_t pointPosition[50] = {};
  std::vector<uint8_t> memory[2];         // QZ, SV: 64 KiB each
  std::string idTexts[6];
  std::vector<SimAlarm> alarms[2];        // current alarms QZ, alarm history SV

  uint8_t ready = 1, servo = 0, mainCircuit = 1, alarm = 0, brake = 0;
  uint16_t statusValue = 0;
  uint16_t inputs[3] = {};
  uint16_t outputMask[3] = {};
  uint16_t outputBits[3] = {};

  // Motion: a move from startPosition to targetPosition at speed (units per
  // second), or a feed in a direction until stopped.
  MotionState motionState = MotionState::Neutral;
  bool moving = false;
  bool feeding = false;
  bool stopping = false;       // decelerating after a deceleration stop
  bool emergency = false;      // emergency stop input active
  int feedDirection = 1;       // also the direction of a deceleration stop
  int64_t startMs = 0;
  int32_t startPosition = 0;
  int32_t targetPosition = 0;
  int32_t position = 0;
  uint32_t speed = 10000;
  bool blockEnd = true;
  int64_t endMs = 0;           // when the last move reached its target
  int64_t settleMs = kDefaultSettleMs;

  uint32_t monitor1 = 0x12345678, monitor2 = 0x9ABCDEF0;
};

// Back to the start state: loaded parameter values, default tables, motion at rest.
void resetModel(SimModel& model);
// Adds the numbers of a definition file with their minimum as value; false when
// the file does not parse.
bool loadModelDefinitions(SimModel& model, const char* path);
bool loadModelParameters(SimModel& model, const char* prmPath);
bool loadModelPoints(SimModel& model, const char* pntPath);

SimParameter* findSimParameter(SimModel& model, uint16_t number);
bool parameterRejected(const SimModel& model, uint16_t number);
// Whether a written value fits the parameter's size and lies within its limits.
// For a 1- or 2-byte parameter only the low bytes are the value; the upper bytes
// must equal the ones the parameter holds.
bool parameterValueAllowed(const SimParameter& parameter, uint32_t value);

// Advances the motion model to `nowMs`. A positioning move sets block end when it
// reaches its target; its state keyword returns to NEUTRAL settleMs later.
void updateMotion(SimModel& model, int64_t nowMs);
void startMove(SimModel& model, int64_t nowMs, MotionState state, int32_t target, uint32_t speed);
void startFeed(SimModel& model, int64_t nowMs, int direction, uint32_t speed);
// Stops at once (zero-speed stop, servo off, reset).
void stopMotion(SimModel& model, int64_t nowMs);
// Decelerates to a stop over kStopDecelerationMs, reporting STOP___ meanwhile.
void decelerateMotion(SimModel& model, int64_t nowMs);
// Emergency stop input: on stops at once and reports EM_STOP until it is off.
void setEmergency(SimModel& model, int64_t nowMs, bool on);
uint16_t motionStatusWord(const SimModel& model);
// Output words as the module drives them: servo and brake bits, then the bits the
// tool took over through the mask.
void currentOutputs(const SimModel& model, uint16_t out[3]);
