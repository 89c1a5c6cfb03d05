// The simulated module's state and motion model.
#include "sim/sim_model.h"

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "files/definitions.h"
#include "files/parameter_file.h"
#include "files/point_file.h"

namespace {
const char* kDefaultIds[6] = {"QZ-POS-100A", "1.20", "SVA-200L", "3.05", "ENC-17B 2.1",
                              "MTR-400W-R"};
}

void resetModel(SimModel& model) {
  std::vector<SimParameter> initial = model.initial;
  model = SimModel{};
  model.initial = initial;
  model.parameters = initial;
  for (auto& m : model.memory) m.assign(65536, 0);
  for (int i = 0; i < 64; ++i) model.memory[0][0x1000 + i] = static_cast<uint8_t>(i * 3 + 1);
  for (int i = 0; i < 6; ++i) model.idTexts[i] = kDefaultIds[i];
  for (int i = 0; i < 50; ++i) {
    model.pointSpeed[i] = 1000u * static_cast<uint32_t>(i + 1);
    model.pointPosition[i] = static_cast<uint32_t>(i * 500);
  }
}

bool loadModelDefinitions(SimModel& model, const char* path) {
  clearDefinitions();
  if (loadDefinitions(path) != 0) return false;
  model.parameters.clear();
  for (int i = 0; i < g_parameterTable.count; ++i) {
    const ParameterDefinition& d = g_parameterTable.entries[i];
    if (findSimParameter(model, d.number)) continue;
    uint32_t value = 0;
    if (d.kind == 'D' || d.kind == 'H') value = static_cast<uint32_t>(d.minimum);
    if (d.size == 1) value &= 0xFF;
    if (d.size == 2) value &= 0xFFFF;
    model.parameters.push_back({d.number, value});
  }
  model.initial = model.parameters;
  return true;
}

bool loadModelParameters(SimModel& model, const char* prmPath) {
  for (int i = 0; i < g_parameterTable.count; ++i) g_parameterTable.entries[i].valueValid = 0;
  if (readParameterFile(prmPath, &g_parameterTable) != 0) return false;
  for (int i = 0; i < g_parameterTable.count; ++i) {
    const ParameterDefinition& d = g_parameterTable.entries[i];
    if (!d.valueValid) continue;
    if (SimParameter* p = findSimParameter(model, d.number)) p->value = static_cast<uint32_t>(d.value);
  }
  model.initial = model.parameters;
  return true;
}

bool loadModelPoints(SimModel& model, const char* pntPath) {
  PointEntry points[50] = {};
  if (readPointFile(pntPath, points) != 0) return false;
  for (int i = 0; i < 50; ++i) {
    model.pointSpeed[i] = points[i].speed;
    model.pointPosition[i] = static_cast<uint32_t>(points[i].position);
  }
  return true;
}

SimParameter* findSimParameter(SimModel& model, uint16_t number) {
  for (auto& p : model.parameters)
    if (p.number == number) return &p;
  return nullptr;
}

bool parameterRejected(const SimModel& model, uint16_t number) {
  return std::find(model.rejected.begin(), model.rejected.end(), number) != model.rejected.end();
}

void updateMotion(SimModel& model, int64_t nowMs) {
  if (!model.moving) return;
  int64_t elapsed = nowMs - model.startMs;
  int64_t travelled = elapsed * static_cast<int64_t>(model.speed) / 1000;
  if (model.feeding) {
    model.position = static_cast<int32_t>(model.startPosition + model.feedDirection * travelled);
    return;
  }
  int64_t distance = static_cast<int64_t>(model.targetPosition) - model.startPosition;
  if (travelled >= std::llabs(distance)) {
    model.position = model.targetPosition;
    model.moving = false;
    model.blockEnd = true;
    model.motionState = 0;
    return;
  }
  model.position = static_cast<int32_t>(model.startPosition + (distance < 0 ? -travelled : travelled));
}

void startMove(SimModel& model, int64_t nowMs, uint8_t state, int32_t target, uint32_t speed) {
  updateMotion(model, nowMs);
  model.startMs = nowMs;
  model.startPosition = model.position;
  model.targetPosition = target;
  model.speed = speed ? speed : 10000;
  model.feeding = false;
  model.moving = true;
  model.blockEnd = false;
  model.motionState = state;
  updateMotion(model, nowMs);
}

void startFeed(SimModel& model, int64_t nowMs, int direction, uint32_t speed) {
  updateMotion(model, nowMs);
  model.startMs = nowMs;
  model.startPosition = model.position;
  model.speed = speed ? speed : 10000;
  model.feeding = true;
  model.feedDirection = direction;
  model.moving = true;
  model.blockEnd = false;
  model.motionState = 5;
}

void stopMotion(SimModel& model, int64_t nowMs) {
  updateMotion(model, nowMs);
  model.moving = false;
  model.feeding = false;
  model.blockEnd = true;
  model.motionState = 0;
}

uint16_t motionStatusWord(const SimModel& model) {
  uint16_t word = 0;
  if (model.blockEnd) word |= kMotionBlockEnd;
  if (model.moving) word |= kMotionBusy;
  if (model.servo) word |= kMotionServo;
  return word;
}

void currentOutputs(const SimModel& model, uint16_t out[3]) {
  uint16_t own[3] = {static_cast<uint16_t>((model.servo ? 0x0001 : 0) | (model.brake ? 0x0002 : 0) |
                                           (model.ready ? 0x0004 : 0) | (model.alarm ? 0x0008 : 0)),
                     static_cast<uint16_t>(model.blockEnd ? 0x0001 : 0), 0};
  for (int i = 0; i < 3; ++i)
    out[i] = static_cast<uint16_t>((own[i] & ~model.outputMask[i]) |
                                   (model.outputBits[i] & model.outputMask[i]));
}
