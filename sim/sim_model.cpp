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
const char* const kMotionStateWords[static_cast<int>(MotionState::Count)] = {
    "NEUTRAL", "POSING_", "POS_EX_", "POS_MS_", "POS_AS_", "FEED___",
    "GOTOST_", "GOTOPT_", "HOMING_", "STOP___", "EM_STOP", "FEED_EX"};
}  // namespace

const char* motionStateWord(MotionState state) { return kMotionStateWords[static_cast<int>(state)]; }

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
    SimParameter p{d.number, value};
    p.size = d.size == 1 || d.size == 2 ? d.size : 4;
    p.isSigned = definitionSigned(d);
    p.limited = d.kind == 'D' || d.kind == 'H';
    p.minimum = widenStored(d.minimum, p.size, p.isSigned);
    p.maximum = widenStored(d.maximum, p.size, p.isSigned);
    model.parameters.push_back(p);
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

bool parameterValueAllowed(const SimParameter& p, uint32_t value) {
  int64_t v = static_cast<int32_t>(value);
  if (p.size < 4) {
    uint32_t lowMask = p.size == 1 ? 0xFFu : 0xFFFFu;
    // The value lives in the low bytes; the upper bytes of a write must be the
    // ones the module holds (and reports), so neither a sign extension nor other
    // bytes ever change them.
    if ((value & ~lowMask) != (p.value & ~lowMask)) return false;
    v = widenStored(static_cast<int32_t>(value), p.size, p.isSigned);
  } else if (!p.isSigned) {
    v = value;
  }
  if (!p.limited) return true;
  int64_t lo = p.minimum, hi = p.maximum;
  if (!p.isSigned && p.size == 4) {
    lo = static_cast<uint32_t>(p.minimum);
    hi = static_cast<uint32_t>(p.maximum);
  }
  return v >= lo && v <= hi;
}

namespace {

// Position reached `elapsed` ms into a deceleration from `speed` to rest.
int64_t decelerationDistance(uint32_t speed, int64_t elapsed) {
  int64_t t = std::clamp<int64_t>(elapsed, 0, kStopDecelerationMs);
  // v(t) = v (1 - t / T), so s(t) = v t (2T - t) / 2T.
  return static_cast<int64_t>(speed) * t * (2 * kStopDecelerationMs - t) / (2 * kStopDecelerationMs * 1000);
}

}  // namespace

void updateMotion(SimModel& model, int64_t nowMs) {
  if (model.moving) {
    int64_t elapsed = std::max<int64_t>(nowMs - model.startMs, 0);
    if (model.stopping) {
      int64_t travelled = decelerationDistance(model.speed, elapsed);
      int64_t next = model.startPosition + model.feedDirection * travelled;
      // A positioning move that is stopped never runs past its target.
      if (!model.feeding && (next - model.targetPosition) * model.feedDirection > 0) next = model.targetPosition;
      model.position = static_cast<int32_t>(next);
      if (elapsed >= kStopDecelerationMs) {
        model.moving = model.feeding = model.stopping = false;
        model.blockEnd = true;
        model.motionState = MotionState::Neutral;
      }
      return;
    }
    int64_t travelled = elapsed * static_cast<int64_t>(model.speed) / 1000;
    if (model.feeding) {
      model.position = static_cast<int32_t>(model.startPosition + model.feedDirection * travelled);
      return;
    }
    int64_t distance = static_cast<int64_t>(model.targetPosition) - model.startPosition;
    if (travelled < std::llabs(distance)) {
      model.position = static_cast<int32_t>(model.startPosition + (distance < 0 ? -travelled : travelled));
      return;
    }
    // Block end comes with the target; the state keyword follows after settling.
    model.position = model.targetPosition;
    model.moving = false;
    model.blockEnd = true;
    model.endMs = model.startMs + std::llabs(distance) * 1000 / model.speed;
  }
  if (!model.emergency && model.motionState != MotionState::Neutral && nowMs >= model.endMs + model.settleMs)
    model.motionState = MotionState::Neutral;
}

void startMove(SimModel& model, int64_t nowMs, MotionState state, int32_t target, uint32_t speed) {
  updateMotion(model, nowMs);
  model.startMs = nowMs;
  model.startPosition = model.position;
  model.targetPosition = target;
  model.speed = speed ? speed : 10000;
  model.feeding = false;
  model.stopping = false;
  model.feedDirection = target < model.position ? -1 : 1;
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
  model.stopping = false;
  model.feedDirection = direction;
  model.moving = true;
  model.blockEnd = false;
  model.motionState = MotionState::Feed;
}

void stopMotion(SimModel& model, int64_t nowMs) {
  updateMotion(model, nowMs);
  model.moving = model.feeding = model.stopping = false;
  if (model.emergency) return;   // stays EM_STOP until the input is released
  model.blockEnd = true;
  model.motionState = MotionState::Neutral;
}

void decelerateMotion(SimModel& model, int64_t nowMs) {
  updateMotion(model, nowMs);
  if (!model.moving || model.stopping) return;   // at rest, or already stopping
  model.stopping = true;
  model.startMs = nowMs;
  model.startPosition = model.position;
  model.motionState = MotionState::Stop;
}

void setEmergency(SimModel& model, int64_t nowMs, bool on) {
  updateMotion(model, nowMs);
  if (on) {
    // The axis halts where it is; an interrupted move does not report block end.
    model.moving = model.feeding = model.stopping = false;
    model.emergency = true;
    model.motionState = MotionState::EmergencyStop;
  } else if (model.emergency) {
    model.emergency = false;
    model.motionState = MotionState::Neutral;
  }
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
