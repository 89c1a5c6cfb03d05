// Operation dialog fields: the nine dialogs' field tables and the one reader of them.
#include "operation/operation_fields.h"

#include <cstring>

#include "editing/field_input.h"
#include "protocol/number_format.h"
#include "toolkit/field_text.h"
#include "toolkit/value_history.h"

namespace {

bool choiceIn(int value, int count) { return value >= 0 && value < count; }

// --- descriptors ------------------------------------------------------------------

constexpr OperationField radio(uint16_t id, FieldMode read, uint8_t choices, size_t offset, FixRule fix = kNoFix,
                               uint8_t fixed = 0) {
  return {id, kFieldRadio, read, kAlways, choices, false, fix, fixed, static_cast<uint16_t>(offset), 1, 0,
          kNoMember, 0, 0, kNoMember, 0};
}
constexpr OperationField listChoice(uint16_t id, uint8_t choices, size_t offset) {
  OperationField f = radio(id, kAlways, choices, offset);
  f.kind = kFieldCombo;
  return f;
}
// A member without a control, set to `fixed`.
constexpr OperationField fixedMember(size_t offset, uint8_t size, FixRule fix, uint8_t fixed = 0) {
  return {0, kFieldFixed, kAlways, kAlways, 0, false, fix, fixed, static_cast<uint16_t>(offset), size, 0,
          kNoMember, 0, 0, kNoMember, 0};
}
// A speed or position with the value format word, kept in a signed 32-bit member.
// `sentWhen` names the choice byte that sends it (speeds and distances travel
// unsigned, so a negative one is refused when it goes out); kNoMember for positions.
constexpr OperationField value(uint16_t id, FieldMode read, FieldMode fill, size_t offset, size_t history,
                               int sentWhenOffset = kNoMember, uint8_t sentWhenValue = 0) {
  return {id, kFieldNumber, read, fill, 0, false, kNoFix, 0, static_cast<uint16_t>(offset), 4, kValueFormat,
          static_cast<int16_t>(history), INT32_MIN, INT32_MAX, static_cast<int16_t>(sentWhenOffset), sentWhenValue};
}
// A number with its own format word and range (point and station numbers).
constexpr OperationField number(uint16_t id, uint16_t format, size_t offset, uint8_t size, size_t history,
                                int64_t minimum, int64_t maximum) {
  return {id, kFieldNumber, kAlways, kAlways, 0, false, kNoFix, 0, static_cast<uint16_t>(offset), size, format,
          static_cast<int16_t>(history), minimum, maximum, kNoMember, 0};
}
constexpr OperationField opensInRange(OperationField f) {
  f.opensInRange = true;
  return f;
}

// The speed source radio group: parameter, current feed speed, typed (2).
constexpr uint8_t kTypedSpeed = 2;
constexpr OperationField speedSource(size_t offset, uint8_t fixed) {
  return radio(IDC_OP_SPEED_PARAM, kDebugOnly, 3, offset, kFixOutsideDebug, fixed);
}
#define QZ_TARGET(Area) \
  value(IDC_OP_POSITION, kAlways, kAlways, offsetof(Area, targetPosition), offsetof(Area, targetHistory))
#define QZ_SPEED(Area, read)                                                                        \
  value(IDC_OP_SPEED, read, read, offsetof(Area, speed), offsetof(Area, speedHistory), offsetof(Area, speedSource), \
        kTypedSpeed)

// Fields in the order they are read: the first refusal names its control. Choices
// come before the numbers whose sign they decide.
constexpr OperationField kJogFields[] = {
    speedSource(offsetof(JogArea, speedSource), kTypedSpeed),
    QZ_SPEED(JogArea, kAlways),
};
constexpr OperationField kStepFields[] = {
    fixedMember(offsetof(StepArea, positioningType), 1, kFixAlways),   // the step always runs absolute
    listChoice(IDC_OP_STEP_PARAMETER, 4, offsetof(StepArea, stepParameterIndex)),
    radio(IDC_OP_STEP_BY_PARAM, kDebugOnly, 2, offsetof(StepArea, distanceMode), kFixOutsideDebug, 0),
    speedSource(offsetof(StepArea, speedSource), 0),
    value(IDC_OP_POSITION, kDebugOnly, kAlways, offsetof(StepArea, distance), offsetof(StepArea, distanceHistory),
          offsetof(StepArea, distanceMode), 1),
    value(IDC_OP_SPEED, kDebugOnly, kAlways, offsetof(StepArea, speed), offsetof(StepArea, speedHistory),
          offsetof(StepArea, speedSource), kTypedSpeed),
};
constexpr OperationField kPositioningFields[] = {
    radio(IDC_OP_ABS, kAlways, 2, offsetof(PositioningArea, positioningType)),
    speedSource(offsetof(PositioningArea, speedSource), kTypedSpeed),
    QZ_SPEED(PositioningArea, kAlways),
    QZ_TARGET(PositioningArea),
};
constexpr OperationField kPointOperationFields[] = {
    radio(IDC_OP_ABS, kDebugOnly, 2, offsetof(PointOperationArea, positioningType), kFixOutsideDebug, 0),
    // The module holds points 1 to 50; anything else is invalid input.
    number(IDC_OP_POINT, POINT_NUMBER_FORMAT, offsetof(PointOperationArea, pointNumber), 2,
           offsetof(PointOperationArea, pointHistory), 1, 50),
};
constexpr OperationField kStationFields[] = {
    opensInRange(radio(IDC_OP_STATION_FORWARD, kAlways, 2, offsetof(StationArea, rotationDirection))),
    radio(IDC_OP_ABS, kDebugOnly, 2, offsetof(StationArea, positioningType), kFixOutsideDebug, 0),
    speedSource(offsetof(StationArea, speedSource), kTypedSpeed),
    QZ_SPEED(StationArea, kAlways),
    number(IDC_OP_STATION, STATION_NUMBER_FORMAT, offsetof(StationArea, stationNumber), 4,
           offsetof(StationArea, stationHistory), 0, UINT32_MAX),
};
constexpr OperationField kExternalSignalFields[] = {
    fixedMember(offsetof(ExternalSignalArea, signalSource), 1, kFixAlways),   // PC_
    radio(IDC_OP_ABS, kAlways, 2, offsetof(ExternalSignalArea, positioningType)),
    speedSource(offsetof(ExternalSignalArea, speedSource), kTypedSpeed),
    radio(IDC_OP_EXT_DISTANCE_PARAM, kDebugOnly, 2, offsetof(ExternalSignalArea, externalDistanceMode),
          kFixOutsideDebug, 0),
    radio(IDC_OP_EXT_SPEED_PARAM, kDebugOnly, 2, offsetof(ExternalSignalArea, externalSpeedMode), kFixOutsideDebug,
          0),
    QZ_SPEED(ExternalSignalArea, kAlways),
    QZ_TARGET(ExternalSignalArea),
    // Outside debug mode the external fields are sent as parameters: combos empty.
    value(IDC_OP_EXT_DISTANCE, kDebugOnly, kDebugOnly, offsetof(ExternalSignalArea, externalDistance),
          offsetof(ExternalSignalArea, externalDistanceHistory)),
    value(IDC_OP_EXT_SPEED, kDebugOnly, kDebugOnly, offsetof(ExternalSignalArea, externalSpeed),
          offsetof(ExternalSignalArea, externalSpeedHistory), offsetof(ExternalSignalArea, externalSpeedMode), 1),
};
constexpr OperationField kMultiSpeedFields[] = {
    fixedMember(offsetof(MultiSpeedArea, changePositionType), 1, kFixAlways),
    fixedMember(offsetof(MultiSpeedArea, changeCount), 2, kFixOutsideDebug),   // the table is sent empty
    radio(IDC_OP_ABS, kAlways, 2, offsetof(MultiSpeedArea, positioningType)),
    speedSource(offsetof(MultiSpeedArea, speedSource), 0),
    QZ_SPEED(MultiSpeedArea, kDebugOnly),
    QZ_TARGET(MultiSpeedArea),
};
constexpr OperationField kPassPointFields[] = {
    radio(IDC_OP_ABS, kDebugOnly, 2, offsetof(PassPointArea, positioningType), kFixOutsideDebug, 0),
    speedSource(offsetof(PassPointArea, speedSource), kTypedSpeed),
    radio(IDC_OP_SIGNAL_ABS, kDebugOnly, 2, offsetof(PassPointArea, signalPositioningType), kFixOutsideDebug, 0),
    radio(IDC_OP_SIGNAL1_NORMAL, kDebugOnly, 2, offsetof(PassPointArea, signal1Polarity)),
    radio(IDC_OP_SIGNAL2_NORMAL, kDebugOnly, 2, offsetof(PassPointArea, signal2Polarity)),
    QZ_SPEED(PassPointArea, kAlways),
    QZ_TARGET(PassPointArea),
    // The signal combos are filled in either mode but read only in debug mode.
    value(IDC_OP_SIGNAL1_ON, kDebugOnly, kAlways, offsetof(PassPointArea, signal1On),
          offsetof(PassPointArea, signal1OnHistory)),
    value(IDC_OP_SIGNAL1_OFF, kDebugOnly, kAlways, offsetof(PassPointArea, signal1Off),
          offsetof(PassPointArea, signal1OffHistory)),
    value(IDC_OP_SIGNAL2_ON, kDebugOnly, kAlways, offsetof(PassPointArea, signal2On),
          offsetof(PassPointArea, signal2OnHistory)),
    value(IDC_OP_SIGNAL2_OFF, kDebugOnly, kAlways, offsetof(PassPointArea, signal2Off),
          offsetof(PassPointArea, signal2OffHistory)),
};
constexpr OperationField kHomingFields[] = {
    fixedMember(offsetof(HomingArea, positioningType), 1, kFixAlways),
    speedSource(offsetof(HomingArea, speedSource), kTypedSpeed),
    QZ_SPEED(HomingArea, kAlways),
};
#undef QZ_SPEED
#undef QZ_TARGET

template <size_t N>
constexpr int countOf(const OperationField (&)[N]) {
  static_assert(N <= kMaxOperationFields, "a form holds at most kMaxOperationFields fields");
  return static_cast<int>(N);
}

// --- member access: the areas are packed, so members are copied, never referenced

int64_t memberValue(const uint8_t* area, const OperationField& f) {
  if (f.size == 1) return area[f.offset];
  if (f.size == 2) {
    uint16_t v;
    std::memcpy(&v, area + f.offset, 2);
    return v;
  }
  uint32_t v;
  std::memcpy(&v, area + f.offset, 4);
  return f.minimum < 0 ? static_cast<int64_t>(static_cast<int32_t>(v)) : static_cast<int64_t>(v);
}

void setMember(uint8_t* area, const OperationField& f, int64_t value) {
  if (f.size == 1) {
    area[f.offset] = static_cast<uint8_t>(value);
  } else if (f.size == 2) {
    uint16_t v = static_cast<uint16_t>(value);
    std::memcpy(area + f.offset, &v, 2);
  } else {
    uint32_t v = static_cast<uint32_t>(value);
    std::memcpy(area + f.offset, &v, 4);
  }
}

bool isChoice(const OperationField& f) { return f.kind == kFieldRadio || f.kind == kFieldCombo; }
bool inMode(FieldMode mode, bool debugMode) { return mode == kAlways || debugMode; }

// Histories sit unaligned in the packed areas: updated through a copy.
void remember(uint8_t* area, const OperationField& f) {
  if (f.history == kNoMember) return;
  ValueHistory history;
  std::memcpy(&history, area + f.history, sizeof history);
  addToValueHistory(&history, static_cast<int32_t>(memberValue(area, f)));
  std::memcpy(area + f.history, &history, sizeof history);
}

AccelFilterFields* accelFilterOf(const OperationForm& form, uint8_t* area) {
  return reinterpret_cast<AccelFilterFields*>(area + form.accelFilterOffset);
}
RepeatStopFields* repeatStopOf(const OperationForm& form, uint8_t* area) {
  return form.repeatStopOffset == kNoMember ? nullptr
                                            : reinterpret_cast<RepeatStopFields*>(area + form.repeatStopOffset);
}

uint16_t formatOf(const OperationField& f, const EnvironmentSettings& env) {
  return f.format == kValueFormat ? env.valueFormat : f.format;
}

// One number field into the working copy; 0 or the field's id.
uint16_t readNumberField(const OperationField& f, const char* text, const EnvironmentSettings& env, bool debugMode,
                         uint8_t* work) {
  int64_t v = 0;
  // Any storage that would not fit the member is refused rather than wrapped.
  if (!readOperationNumber(text, formatOf(f, env), &v) || v < f.minimum || v > f.maximum) return f.controlId;
  bool sent = f.sentWhenOffset != kNoMember && (!debugMode || work[f.sentWhenOffset] == f.sentWhenValue);
  if (sent && v < 0) return f.controlId;
  setMember(work, f, v);
  return OPERATION_OK;
}

}  // namespace

const OperationForm kJogForm{IDD_JOG, sizeof(JogArea), offsetof(JogArea, accelFilter), kNoMember, false,
                             kJogFields, countOf(kJogFields)};
const OperationForm kStepForm{IDD_STEP, sizeof(StepArea), offsetof(StepArea, accelFilter),
                              offsetof(StepArea, repeatStop), false, kStepFields, countOf(kStepFields)};
const OperationForm kPositioningForm{IDD_POSITIONING, sizeof(PositioningArea), offsetof(PositioningArea, accelFilter),
                                     offsetof(PositioningArea, repeatStop), false, kPositioningFields,
                                     countOf(kPositioningFields)};
const OperationForm kPointOperationForm{IDD_POINT_OPERATION, sizeof(PointOperationArea),
                                        offsetof(PointOperationArea, accelFilter),
                                        offsetof(PointOperationArea, repeatStop), true, kPointOperationFields,
                                        countOf(kPointOperationFields)};
const OperationForm kStationForm{IDD_STATION, sizeof(StationArea), offsetof(StationArea, accelFilter),
                                 offsetof(StationArea, repeatStop), false, kStationFields, countOf(kStationFields)};
const OperationForm kExternalSignalForm{IDD_EXTERNAL_SIGNAL, sizeof(ExternalSignalArea),
                                        offsetof(ExternalSignalArea, accelFilter),
                                        offsetof(ExternalSignalArea, repeatStop), false, kExternalSignalFields,
                                        countOf(kExternalSignalFields)};
const OperationForm kMultiSpeedForm{IDD_MULTI_SPEED, sizeof(MultiSpeedArea), offsetof(MultiSpeedArea, accelFilter),
                                    offsetof(MultiSpeedArea, repeatStop), false, kMultiSpeedFields,
                                    countOf(kMultiSpeedFields)};
const OperationForm kPassPointForm{IDD_PASS_POINT, sizeof(PassPointArea), offsetof(PassPointArea, accelFilter),
                                   offsetof(PassPointArea, repeatStop), false, kPassPointFields,
                                   countOf(kPassPointFields)};
const OperationForm kHomingForm{IDD_HOMING, sizeof(HomingArea), offsetof(HomingArea, accelFilter),
                                offsetof(HomingArea, repeatStop), false, kHomingFields, countOf(kHomingFields)};

int operationFieldIndex(const OperationForm& form, uint16_t controlId) {
  for (int i = 0; i < form.fieldCount; ++i)
    if (form.fields[i].kind != kFieldFixed && form.fields[i].controlId == controlId) return i;
  return -1;
}

char* operationFieldText(OperationControls* controls, const OperationForm& form, uint16_t controlId) {
  int i = operationFieldIndex(form, controlId);
  return i < 0 ? nullptr : controls->texts[i];
}

int* operationFieldChoice(OperationControls* controls, const OperationForm& form, uint16_t controlId) {
  int i = operationFieldIndex(form, controlId);
  return i < 0 ? nullptr : &controls->choices[i];
}

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

// --- the one reader ---------------------------------------------------------------

void fixOperationArea(const OperationForm& form, void* area, bool debugMode) {
  uint8_t* a = static_cast<uint8_t*>(area);
  for (int i = 0; i < form.fieldCount; ++i) {
    const OperationField& f = form.fields[i];
    if (f.opensInRange && !choiceIn(static_cast<int>(memberValue(a, f)), f.choices)) setMember(a, f, 0);
    if (f.fix == kFixAlways || (f.fix == kFixOutsideDebug && !debugMode)) setMember(a, f, f.fixed);
  }
  if (debugMode) return;
  AccelFilterFields* af = accelFilterOf(form, a);
  af->accelMode = 0;
  af->filterMode = 0;
  if (RepeatStopFields* rs = repeatStopOf(form, a)) {
    rs->stopMode = 0;
    // The repeat check box is neither shown nor read outside debug mode, so a repeat
    // stored in debug mode must not start one the person cannot see.
    if (form.repeatInDebugOnly) rs->repeat = 0;
  }
}

void openValueHistories(const OperationForm& form, void* area, bool debugMode) {
  uint8_t* a = static_cast<uint8_t*>(area);
  for (int i = 0; i < form.fieldCount; ++i) {
    const OperationField& f = form.fields[i];
    if (f.kind == kFieldNumber && inMode(f.fill, debugMode)) remember(a, f);
  }
}

void showOperationFields(const OperationForm& form, const void* area, const EnvironmentSettings& env,
                         OperationControls* out) {
  *out = OperationControls{};
  const uint8_t* a = static_cast<const uint8_t*>(area);
  AccelFilterFields accelFilter;
  RepeatStopFields repeatStop{};
  std::memcpy(&accelFilter, a + form.accelFilterOffset, sizeof accelFilter);
  bool repeats = form.repeatStopOffset != kNoMember;
  if (repeats) std::memcpy(&repeatStop, a + form.repeatStopOffset, sizeof repeatStop);
  showCommonControls(accelFilter, repeats ? &repeatStop : nullptr, &out->common);
  for (int i = 0; i < form.fieldCount; ++i) {
    const OperationField& f = form.fields[i];
    int64_t v = memberValue(a, f);
    if (isChoice(f))
      out->choices[i] = f.opensInRange && !choiceIn(static_cast<int>(v), f.choices) ? 0 : static_cast<int>(v);
    else if (f.kind == kFieldNumber) showOperationNumber(v, formatOf(f, env), out->texts[i]);
  }
}

uint16_t readOperationFields(const OperationForm& form, const OperationControls& in, const EnvironmentSettings& env,
                             bool debugMode, void* area) {
  uint8_t work[sizeof(PassPointArea) + 64];
  if (form.areaSize > sizeof work) return OPERATION_ID_CHOICE;
  std::memcpy(work, area, form.areaSize);
  bool readRepeat = !form.repeatInDebugOnly || debugMode;
  uint16_t failed = readCommonControls(in.common, debugMode, readRepeat, accelFilterOf(form, work),
                                       repeatStopOf(form, work));
  for (int i = 0; i < form.fieldCount && failed == OPERATION_OK; ++i) {
    const OperationField& f = form.fields[i];
    if (f.kind == kFieldFixed || !inMode(f.read, debugMode)) continue;
    if (f.kind == kFieldNumber) {
      failed = readNumberField(f, in.texts[i], env, debugMode, work);
    } else if (!choiceIn(in.choices[i], f.choices)) {
      failed = OPERATION_ID_CHOICE;
    } else {
      setMember(work, f, in.choices[i]);
    }
  }
  if (failed != OPERATION_OK) return failed;
  fixOperationArea(form, work, debugMode);
  for (int i = 0; i < form.fieldCount; ++i) {
    const OperationField& f = form.fields[i];
    if (f.kind == kFieldNumber && inMode(f.read, debugMode)) remember(work, f);
  }
  std::memcpy(area, work, form.areaSize);
  return OPERATION_OK;
}
