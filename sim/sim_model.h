// The simulated module: parameters, point table, memory, identification, alarms,
// I/O words, servo and brake, and a motion model driven by a millisecond clock.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

constexpr uint16_t kMotionBlockEnd = 0x0001;   // bit 0: the last move has ended
constexpr uint16_t kMotionBusy = 0x0002;       // bit 1: a move is running
constexpr uint16_t kMotionServo = 0x0004;      // bit 2: servo on

struct SimParameter {
  uint16_t number;
  uint32_t value;
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
  uint8_t motionState = 0;     // MotionStateKeywords code
  bool moving = false;
  bool feeding = false;
  int feedDirection = 1;
  int64_t startMs = 0;
  int32_t startPosition = 0;
  int32_t targetPosition = 0;
  int32_t position = 0;
  uint32_t speed = 10000;
  bool blockEnd = true;

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

// Advances the motion model to `nowMs`.
void updateMotion(SimModel& model, int64_t nowMs);
void startMove(SimModel& model, int64_t nowMs, uint8_t state, int32_t target, uint32_t speed);
void startFeed(SimModel& model, int64_t nowMs, int direction, uint32_t speed);
void stopMotion(SimModel& model, int64_t nowMs);
uint16_t motionStatusWord(const SimModel& model);
// Output words as the module drives them: servo and brake bits, then the bits the
// tool took over through the mask.
void currentOutputs(const SimModel& model, uint16_t out[3]);
