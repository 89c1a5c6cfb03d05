// Operation dialog fields: show, read with the debug-mode rules, fixed values.
#include "operation/operation_fields.h"

#include <cstring>

#include "editing/field_input.h"
#include "protocol/number_format.h"
#include "toolkit/field_text.h"
#include "toolkit/value_history.h"

namespace {

bool choiceIn(int value, int count) { return value >= 0 && value < count; }

// Speed source 2 sends the typed speed; 0 and 1 send PARM and CURT instead.
// Outside debug mode the dialogs that read the speed then fix the source at 2.
bool typedSpeed(uint8_t speedSource, bool debugMode) { return !debugMode || speedSource == 2; }

// Numbers read one after the other: the first failure names its control, and
// later reads are skipped so the result points at the first bad field.
struct FieldReader {
  uint16_t failed = OPERATION_OK;

  bool number(const char* text, uint16_t format, uint16_t controlId, int64_t* value) {
    if (failed != OPERATION_OK) return false;
    if (!readOperationNumber(text, format, value)) {
      failed = controlId;
      return false;
    }
    return true;
  }
  // A signed 32-bit value (speeds and positions with the value format word), or
  // `keep` when it fails. Returned by value: the areas' fields are packed.
  int32_t value32(const char* text, uint16_t format, uint16_t controlId, int32_t keep) {
    int64_t v = 0;
    if (!number(text, format, controlId, &v)) return keep;
    // The value format words are all signed 32-bit; any other storage that would
    // not fit is refused rather than wrapped.
    if (v < INT32_MIN || v > INT32_MAX) {
      failed = controlId;
      return keep;
    }
    return static_cast<int32_t>(v);
  }
  // A speed or a step distance: the line carries it unsigned, with the direction
  // elsewhere, so a negative value would arrive as a huge one. Refused when it is
  // `sent`; a value its choice leaves at home (the parameter's or the current
  // speed) goes nowhere, so its sign is nobody's concern.
  int32_t magnitude32(const char* text, uint16_t format, uint16_t controlId, int32_t keep, bool sent) {
    int32_t v = value32(text, format, controlId, keep);
    if (failed != OPERATION_OK) return keep;
    if (sent && v < 0) {
      failed = controlId;
      return keep;
    }
    return v;
  }
  // The speed combo 1059, checked for its sign when the speed source sends it.
  int32_t speed32(const char* text, uint16_t format, int32_t keep, uint8_t speedSource, bool debugMode) {
    return magnitude32(text, format, OPERATION_ID_SPEED, keep, typedSpeed(speedSource, debugMode));
  }
  void choice(int value, int count, uint8_t* out) {
    if (failed != OPERATION_OK) return;
    if (!choiceIn(value, count)) {
      failed = OPERATION_ID_CHOICE;
      return;
    }
    *out = static_cast<uint8_t>(value);
  }
  void common(const CommonControls& c, bool debugMode, bool readRepeat, AccelFilterFields* accelFilter,
              RepeatStopFields* repeatStop) {
    if (failed != OPERATION_OK) return;
    failed = readCommonControls(c, debugMode, readRepeat, accelFilter, repeatStop);
  }
};

void speedText(uint8_t speedSource, int32_t speed, uint16_t format, SpeedControls* out) {
  out->speedSource = speedSource;
  showOperationNumber(speed, format, out->speed);
}

void remember(ValueHistory* history, int32_t value) { updateValueHistory(history, value); }


}  // namespace

bool readOperationNumber(const char* text, uint16_t format, int64_t* value) {
  return readFieldNumber(text, format, value);
}

void showOperationNumber(int64_t value, uint16_t format, char out[OPERATION_TEXT_SIZE]) {
  std::memset(out, 0, OPERATION_TEXT_SIZE);
  // formatNumber reads the storage width its format names.
  uint8_t b = static_cast<uint8_t>(value);
  uint16_t w = static_cast<uint16_t>(value);
  uint32_t l = static_cast<uint32_t>(value);
  int bytes = formatStorageBytes(format);
  const void* storage = bytes == 1 ? static_cast<const void*>(&b)
                        : bytes == 2 ? static_cast<const void*>(&w)
                                     : static_cast<const void*>(&l);
  char text[FIELD_TEXT_SIZE] = {};
  if (formatFieldText(storage, format, text)) std::memcpy(out, text, FIELD_TEXT_SIZE);
}

void showCommonControls(const AccelFilterFields& accelFilter, const RepeatStopFields* repeatStop,
                        CommonControls* controls) {
  controls->accelMode = accelFilter.accelMode ? 1 : 0;
  controls->accelIndex = accelFilter.accelIndex;
  controls->filterMode = accelFilter.filterMode ? 1 : 0;
  controls->filterIndex = accelFilter.filterIndex;
  controls->repeat = repeatStop && repeatStop->repeat ? 1 : 0;
  controls->stopMode = repeatStop && repeatStop->stopMode ? 1 : 0;
}

uint16_t readCommonControls(const CommonControls& c, bool debugMode, bool readRepeat,
                            AccelFilterFields* accelFilter, RepeatStopFields* repeatStop) {
  AccelFilterFields af = *accelFilter;
  RepeatStopFields rs = repeatStop ? *repeatStop : RepeatStopFields{};
  if (debugMode) {
    if (!choiceIn(c.accelMode, 2) || !choiceIn(c.filterMode, 2)) return OPERATION_ID_CHOICE;
    // A combo's index matters only when its mode uses it.
    if (c.accelMode == 1 && !choiceIn(c.accelIndex, 4)) return OPERATION_ID_CHOICE;
    if (c.filterMode == 1 && !choiceIn(c.filterIndex, 4)) return OPERATION_ID_CHOICE;
    af.accelMode = static_cast<uint8_t>(c.accelMode);
    if (choiceIn(c.accelIndex, 4)) af.accelIndex = static_cast<uint8_t>(c.accelIndex);
    af.filterMode = static_cast<uint8_t>(c.filterMode);
    if (choiceIn(c.filterIndex, 4)) af.filterIndex = static_cast<uint8_t>(c.filterIndex);
    if (repeatStop) {
      if (!choiceIn(c.stopMode, 2)) return OPERATION_ID_CHOICE;
      rs.stopMode = static_cast<uint8_t>(c.stopMode);
    }
  } else {
    af.accelMode = 0;
    af.filterMode = 0;
    rs.stopMode = 0;
  }
  if (repeatStop && readRepeat) rs.repeat = c.repeat ? 1 : 0;
  *accelFilter = af;
  if (repeatStop) *repeatStop = rs;
  return OPERATION_OK;
}

// --- fixed values outside debug mode --------------------------------------------

namespace {
void fixCommon(AccelFilterFields* af, RepeatStopFields* rs) {
  af->accelMode = 0;
  af->filterMode = 0;
  if (rs) rs->stopMode = 0;
}
}  // namespace

void fixOperationArea(JogArea* a, bool debugMode) {
  if (debugMode) return;
  a->speedSource = 2;
  fixCommon(&a->accelFilter, nullptr);
}

void fixOperationArea(StepArea* a, bool debugMode) {
  a->positioningType = 0;
  if (debugMode) return;
  a->distanceMode = 0;
  a->speedSource = 0;
  fixCommon(&a->accelFilter, &a->repeatStop);
}

void fixOperationArea(PositioningArea* a, bool debugMode) {
  if (debugMode) return;
  a->speedSource = 2;
  fixCommon(&a->accelFilter, &a->repeatStop);
}

void fixOperationArea(PointOperationArea* a, bool debugMode) {
  if (debugMode) return;
  a->positioningType = 0;
  // The repeat check box is neither shown nor read outside debug mode, so a repeat
  // stored in debug mode must not start one the person cannot see.
  a->repeatStop.repeat = 0;
  fixCommon(&a->accelFilter, &a->repeatStop);
}

void fixOperationArea(StationArea* a, bool debugMode) {
  if (a->rotationDirection > 1) a->rotationDirection = 0;
  if (debugMode) return;
  a->positioningType = 0;
  a->speedSource = 2;
  fixCommon(&a->accelFilter, &a->repeatStop);
}

void fixOperationArea(ExternalSignalArea* a, bool debugMode) {
  a->signalSource = 0;
  if (debugMode) return;
  a->speedSource = 2;
  a->externalDistanceMode = 0;
  a->externalSpeedMode = 0;
  fixCommon(&a->accelFilter, &a->repeatStop);
}

void fixOperationArea(MultiSpeedArea* a, bool debugMode) {
  a->changePositionType = 0;
  if (debugMode) return;
  a->changeCount = 0;
  a->speedSource = 0;
  fixCommon(&a->accelFilter, &a->repeatStop);
}

void fixOperationArea(PassPointArea* a, bool debugMode) {
  if (debugMode) return;
  a->positioningType = 0;
  a->speedSource = 2;
  a->signalPositioningType = 0;
  fixCommon(&a->accelFilter, &a->repeatStop);
}

void fixOperationArea(HomingArea* a, bool debugMode) {
  a->positioningType = 0;
  if (debugMode) return;
  a->speedSource = 2;
  fixCommon(&a->accelFilter, &a->repeatStop);
}

// --- value histories at open ----------------------------------------------------

void openValueHistories(JogArea* a, bool) { remember(&a->speedHistory, a->speed); }

void openValueHistories(StepArea* a, bool) {
  remember(&a->speedHistory, a->speed);
  remember(&a->distanceHistory, a->distance);
}

void openValueHistories(PositioningArea* a, bool) {
  remember(&a->speedHistory, a->speed);
  remember(&a->targetHistory, a->targetPosition);
}

void openValueHistories(PointOperationArea* a, bool) { remember(&a->pointHistory, a->pointNumber); }

void openValueHistories(StationArea* a, bool) {
  remember(&a->speedHistory, a->speed);
  remember(&a->stationHistory, static_cast<int32_t>(a->stationNumber));
}

void openValueHistories(ExternalSignalArea* a, bool debugMode) {
  remember(&a->speedHistory, a->speed);
  remember(&a->targetHistory, a->targetPosition);
  if (!debugMode) return;   // the external combos stay empty
  remember(&a->externalDistanceHistory, a->externalDistance);
  remember(&a->externalSpeedHistory, a->externalSpeed);
}

void openValueHistories(MultiSpeedArea* a, bool debugMode) {
  remember(&a->targetHistory, a->targetPosition);
  if (debugMode) remember(&a->speedHistory, a->speed);
}

void openValueHistories(PassPointArea* a, bool) {
  remember(&a->speedHistory, a->speed);
  remember(&a->targetHistory, a->targetPosition);
  remember(&a->signal1OnHistory, a->signal1On);
  remember(&a->signal1OffHistory, a->signal1Off);
  remember(&a->signal2OnHistory, a->signal2On);
  remember(&a->signal2OffHistory, a->signal2Off);
}

void openValueHistories(HomingArea* a, bool) { remember(&a->speedHistory, a->speed); }

// --- showing ------------------------------------------------------------------------

void showOperationFields(const JogArea& a, const EnvironmentSettings& env, JogControls* out) {
  *out = JogControls{};
  showCommonControls(a.accelFilter, nullptr, &out->common);
  speedText(a.speedSource, a.speed, env.valueFormat, &out->speed);
}

void showOperationFields(const StepArea& a, const EnvironmentSettings& env, StepControls* out) {
  *out = StepControls{};
  showCommonControls(a.accelFilter, &a.repeatStop, &out->common);
  speedText(a.speedSource, a.speed, env.valueFormat, &out->speed);
  out->distanceMode = a.distanceMode;
  out->stepParameter = a.stepParameterIndex;
  showOperationNumber(a.distance, env.valueFormat, out->distance);
}

void showOperationFields(const PositioningArea& a, const EnvironmentSettings& env, PositioningControls* out) {
  *out = PositioningControls{};
  showCommonControls(a.accelFilter, &a.repeatStop, &out->common);
  speedText(a.speedSource, a.speed, env.valueFormat, &out->speed);
  out->positioningType = a.positioningType;
  showOperationNumber(a.targetPosition, env.valueFormat, out->target);
}

void showOperationFields(const PointOperationArea& a, const EnvironmentSettings&, PointOperationControls* out) {
  *out = PointOperationControls{};
  showCommonControls(a.accelFilter, &a.repeatStop, &out->common);
  out->positioningType = a.positioningType;
  showOperationNumber(a.pointNumber, POINT_NUMBER_FORMAT, out->point);
}

void showOperationFields(const StationArea& a, const EnvironmentSettings& env, StationControls* out) {
  *out = StationControls{};
  showCommonControls(a.accelFilter, &a.repeatStop, &out->common);
  speedText(a.speedSource, a.speed, env.valueFormat, &out->speed);
  out->positioningType = a.positioningType;
  out->rotationDirection = a.rotationDirection > 1 ? 0 : a.rotationDirection;
  showOperationNumber(a.stationNumber, STATION_NUMBER_FORMAT, out->station);
}

void showOperationFields(const ExternalSignalArea& a, const EnvironmentSettings& env,
                         ExternalSignalControls* out) {
  *out = ExternalSignalControls{};
  showCommonControls(a.accelFilter, &a.repeatStop, &out->common);
  speedText(a.speedSource, a.speed, env.valueFormat, &out->speed);
  out->positioningType = a.positioningType;
  showOperationNumber(a.targetPosition, env.valueFormat, out->target);
  out->distanceMode = a.externalDistanceMode;
  showOperationNumber(a.externalDistance, env.valueFormat, out->distance);
  out->externalSpeedMode = a.externalSpeedMode;
  showOperationNumber(a.externalSpeed, env.valueFormat, out->externalSpeed);
}

void showOperationFields(const MultiSpeedArea& a, const EnvironmentSettings& env, MultiSpeedControls* out) {
  *out = MultiSpeedControls{};
  showCommonControls(a.accelFilter, &a.repeatStop, &out->common);
  speedText(a.speedSource, a.speed, env.valueFormat, &out->speed);
  out->positioningType = a.positioningType;
  showOperationNumber(a.targetPosition, env.valueFormat, out->target);
}

void showOperationFields(const PassPointArea& a, const EnvironmentSettings& env, PassPointControls* out) {
  *out = PassPointControls{};
  showCommonControls(a.accelFilter, &a.repeatStop, &out->common);
  speedText(a.speedSource, a.speed, env.valueFormat, &out->speed);
  out->positioningType = a.positioningType;
  showOperationNumber(a.targetPosition, env.valueFormat, out->target);
  out->signalPositioningType = a.signalPositioningType;
  showOperationNumber(a.signal1On, env.valueFormat, out->signal1On);
  showOperationNumber(a.signal1Off, env.valueFormat, out->signal1Off);
  out->signal1Polarity = a.signal1Polarity;
  showOperationNumber(a.signal2On, env.valueFormat, out->signal2On);
  showOperationNumber(a.signal2Off, env.valueFormat, out->signal2Off);
  out->signal2Polarity = a.signal2Polarity;
}

void showOperationFields(const HomingArea& a, const EnvironmentSettings& env, HomingControls* out) {
  *out = HomingControls{};
  showCommonControls(a.accelFilter, &a.repeatStop, &out->common);
  speedText(a.speedSource, a.speed, env.valueFormat, &out->speed);
}

// --- reading ------------------------------------------------------------------------
// Each reader fills a working copy, applies the fixed values outside debug mode,
// and commits only when nothing failed.

uint16_t readOperationFields(const JogControls& in, const EnvironmentSettings& env, bool debugMode, JogArea* area) {
  JogArea w = *area;
  FieldReader r;
  r.common(in.common, debugMode, false, &w.accelFilter, nullptr);
  if (debugMode) r.choice(in.speed.speedSource, 3, &w.speedSource);
  w.speed = r.speed32(in.speed.speed, env.valueFormat, w.speed, w.speedSource, debugMode);
  if (r.failed) return r.failed;
  fixOperationArea(&w, debugMode);
  remember(&w.speedHistory, w.speed);
  *area = w;
  return OPERATION_OK;
}

uint16_t readOperationFields(const StepControls& in, const EnvironmentSettings& env, bool debugMode, StepArea* area) {
  StepArea w = *area;
  FieldReader r;
  r.common(in.common, debugMode, true, &w.accelFilter, &w.repeatStop);
  r.choice(in.stepParameter, 4, &w.stepParameterIndex);
  if (debugMode) {
    r.choice(in.distanceMode, 2, &w.distanceMode);
    r.choice(in.speed.speedSource, 3, &w.speedSource);
    w.distance = r.magnitude32(in.distance, env.valueFormat, OPERATION_ID_POSITION, w.distance, w.distanceMode == 1);
    w.speed = r.speed32(in.speed.speed, env.valueFormat, w.speed, w.speedSource, debugMode);
  }
  if (r.failed) return r.failed;
  fixOperationArea(&w, debugMode);
  if (debugMode) {
    remember(&w.distanceHistory, w.distance);
    remember(&w.speedHistory, w.speed);
  }
  *area = w;
  return OPERATION_OK;
}

uint16_t readOperationFields(const PositioningControls& in, const EnvironmentSettings& env, bool debugMode,
                             PositioningArea* area) {
  PositioningArea w = *area;
  FieldReader r;
  r.common(in.common, debugMode, true, &w.accelFilter, &w.repeatStop);
  r.choice(in.positioningType, 2, &w.positioningType);
  if (debugMode) r.choice(in.speed.speedSource, 3, &w.speedSource);
  w.speed = r.speed32(in.speed.speed, env.valueFormat, w.speed, w.speedSource, debugMode);
  w.targetPosition = r.value32(in.target, env.valueFormat, OPERATION_ID_POSITION, w.targetPosition);
  if (r.failed) return r.failed;
  fixOperationArea(&w, debugMode);
  remember(&w.speedHistory, w.speed);
  remember(&w.targetHistory, w.targetPosition);
  *area = w;
  return OPERATION_OK;
}

uint16_t readOperationFields(const PointOperationControls& in, const EnvironmentSettings&, bool debugMode,
                             PointOperationArea* area) {
  PointOperationArea w = *area;
  FieldReader r;
  r.common(in.common, debugMode, debugMode, &w.accelFilter, &w.repeatStop);
  if (debugMode) r.choice(in.positioningType, 2, &w.positioningType);
  int64_t point = 0;
  if (r.number(in.point, POINT_NUMBER_FORMAT, OPERATION_ID_POINT, &point)) {
    // The module holds points 1 to 50; anything else is invalid input.
    if (point < 1 || point > 50) r.failed = OPERATION_ID_POINT;
    else w.pointNumber = static_cast<uint16_t>(point);
  }
  if (r.failed) return r.failed;
  fixOperationArea(&w, debugMode);
  remember(&w.pointHistory, w.pointNumber);
  *area = w;
  return OPERATION_OK;
}

uint16_t readOperationFields(const StationControls& in, const EnvironmentSettings& env, bool debugMode,
                             StationArea* area) {
  StationArea w = *area;
  FieldReader r;
  r.common(in.common, debugMode, true, &w.accelFilter, &w.repeatStop);
  r.choice(in.rotationDirection, 2, &w.rotationDirection);
  if (debugMode) {
    r.choice(in.positioningType, 2, &w.positioningType);
    r.choice(in.speed.speedSource, 3, &w.speedSource);
  }
  w.speed = r.speed32(in.speed.speed, env.valueFormat, w.speed, w.speedSource, debugMode);
  int64_t station = 0;
  if (r.number(in.station, STATION_NUMBER_FORMAT, OPERATION_ID_STATION, &station))
    w.stationNumber = static_cast<uint32_t>(station);
  if (r.failed) return r.failed;
  fixOperationArea(&w, debugMode);
  remember(&w.speedHistory, w.speed);
  remember(&w.stationHistory, static_cast<int32_t>(w.stationNumber));
  *area = w;
  return OPERATION_OK;
}

uint16_t readOperationFields(const ExternalSignalControls& in, const EnvironmentSettings& env, bool debugMode,
                             ExternalSignalArea* area) {
  ExternalSignalArea w = *area;
  FieldReader r;
  r.common(in.common, debugMode, true, &w.accelFilter, &w.repeatStop);
  r.choice(in.positioningType, 2, &w.positioningType);
  if (debugMode) {
    r.choice(in.speed.speedSource, 3, &w.speedSource);
    r.choice(in.distanceMode, 2, &w.externalDistanceMode);
    r.choice(in.externalSpeedMode, 2, &w.externalSpeedMode);
  }
  w.speed = r.speed32(in.speed.speed, env.valueFormat, w.speed, w.speedSource, debugMode);
  w.targetPosition = r.value32(in.target, env.valueFormat, OPERATION_ID_POSITION, w.targetPosition);
  if (debugMode) {
    w.externalDistance = r.value32(in.distance, env.valueFormat, OPERATION_ID_FIELD_1108, w.externalDistance);
    w.externalSpeed = r.magnitude32(in.externalSpeed, env.valueFormat, OPERATION_ID_FIELD_1110, w.externalSpeed,
                                   w.externalSpeedMode == 1);
  }
  if (r.failed) return r.failed;
  fixOperationArea(&w, debugMode);
  remember(&w.speedHistory, w.speed);
  remember(&w.targetHistory, w.targetPosition);
  if (debugMode) {
    remember(&w.externalDistanceHistory, w.externalDistance);
    remember(&w.externalSpeedHistory, w.externalSpeed);
  }
  *area = w;
  return OPERATION_OK;
}

uint16_t readOperationFields(const MultiSpeedControls& in, const EnvironmentSettings& env, bool debugMode,
                             MultiSpeedArea* area) {
  MultiSpeedArea w = *area;
  FieldReader r;
  r.common(in.common, debugMode, true, &w.accelFilter, &w.repeatStop);
  r.choice(in.positioningType, 2, &w.positioningType);
  if (debugMode) {
    r.choice(in.speed.speedSource, 3, &w.speedSource);
    w.speed = r.speed32(in.speed.speed, env.valueFormat, w.speed, w.speedSource, debugMode);
  }
  w.targetPosition = r.value32(in.target, env.valueFormat, OPERATION_ID_POSITION, w.targetPosition);
  if (r.failed) return r.failed;
  fixOperationArea(&w, debugMode);
  remember(&w.targetHistory, w.targetPosition);
  if (debugMode) remember(&w.speedHistory, w.speed);
  *area = w;
  return OPERATION_OK;
}

uint16_t readOperationFields(const PassPointControls& in, const EnvironmentSettings& env, bool debugMode,
                             PassPointArea* area) {
  PassPointArea w = *area;
  FieldReader r;
  r.common(in.common, debugMode, true, &w.accelFilter, &w.repeatStop);
  if (debugMode) {
    r.choice(in.positioningType, 2, &w.positioningType);
    r.choice(in.speed.speedSource, 3, &w.speedSource);
    r.choice(in.signalPositioningType, 2, &w.signalPositioningType);
    r.choice(in.signal1Polarity, 2, &w.signal1Polarity);
    r.choice(in.signal2Polarity, 2, &w.signal2Polarity);
  }
  w.speed = r.speed32(in.speed.speed, env.valueFormat, w.speed, w.speedSource, debugMode);
  w.targetPosition = r.value32(in.target, env.valueFormat, OPERATION_ID_POSITION, w.targetPosition);
  if (debugMode) {
    w.signal1On = r.value32(in.signal1On, env.valueFormat, OPERATION_ID_FIELD_1108, w.signal1On);
    w.signal1Off = r.value32(in.signal1Off, env.valueFormat, OPERATION_ID_FIELD_1110, w.signal1Off);
    w.signal2On = r.value32(in.signal2On, env.valueFormat, OPERATION_ID_FIELD_1115, w.signal2On);
    w.signal2Off = r.value32(in.signal2Off, env.valueFormat, OPERATION_ID_FIELD_1116, w.signal2Off);
  }
  if (r.failed) return r.failed;
  fixOperationArea(&w, debugMode);
  remember(&w.speedHistory, w.speed);
  remember(&w.targetHistory, w.targetPosition);
  if (debugMode) {
    remember(&w.signal1OnHistory, w.signal1On);
    remember(&w.signal1OffHistory, w.signal1Off);
    remember(&w.signal2OnHistory, w.signal2On);
    remember(&w.signal2OffHistory, w.signal2Off);
  }
  *area = w;
  return OPERATION_OK;
}

uint16_t readOperationFields(const HomingControls& in, const EnvironmentSettings& env, bool debugMode,
                             HomingArea* area) {
  HomingArea w = *area;
  FieldReader r;
  r.common(in.common, debugMode, true, &w.accelFilter, &w.repeatStop);
  if (debugMode) r.choice(in.speed.speedSource, 3, &w.speedSource);
  w.speed = r.speed32(in.speed.speed, env.valueFormat, w.speed, w.speedSource, debugMode);
  if (r.failed) return r.failed;
  fixOperationArea(&w, debugMode);
  remember(&w.speedHistory, w.speed);
  *area = w;
  return OPERATION_OK;
}
