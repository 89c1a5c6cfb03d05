// External-signal positioning (125): POS_EX, a move that goes on by a further
// distance once the external signal arrives.
#include "operation/operation_dialog.h"
#include "operation/operation_dialogs.h"

namespace {

struct ExternalSignal : OperationTraitsBase {
  static constexpr uint16_t templateId = IDD_EXTERNAL_SIGNAL;
  using Controls = ExternalSignalControls;
  static ExternalSignalArea& area() { return g_settings.externalSignal; }
  static bool repeat() { return area().repeatStop.repeat != 0; }
  static void open(HWND dialog, OperationState* state) {
    if (!state->debugMode) return;
    SetPositionUnitLabel(dialog, IDC_OP_EXT_DISTANCE_UNIT);
    SetSpeedUnitLabel(dialog, IDC_OP_EXT_SPEED_UNIT);
  }
  static void show(HWND dialog, OperationState* state) {
    Controls c;
    uint16_t format = state->env.valueFormat;
    showOperationFields(area(), state->env, &c);
    showCommon(dialog, c.common, true);
    showSpeed(dialog, c.speed);
    SetRadioGroup(dialog, IDC_OP_ABS, c.positioningType);
    fillValueCombo(dialog, IDC_OP_SPEED, area().speedHistory, c.speed.speed, format);
    fillValueCombo(dialog, IDC_OP_POSITION, area().targetHistory, c.target, format);
    SetRadioGroup(dialog, IDC_OP_EXT_DISTANCE_PARAM, c.distanceMode);
    SetRadioGroup(dialog, IDC_OP_EXT_SPEED_PARAM, c.externalSpeedMode);
    if (!state->debugMode) return;   // the external fields are sent as parameters
    fillValueCombo(dialog, IDC_OP_EXT_DISTANCE, area().externalDistanceHistory, c.distance, format);
    fillValueCombo(dialog, IDC_OP_EXT_SPEED, area().externalSpeedHistory, c.externalSpeed, format);
  }
  static void read(HWND dialog, OperationState*, Controls* c) {
    readCommon(dialog, &c->common, true);
    readSpeed(dialog, &c->speed);
    c->positioningType = checkedIndex(dialog, IDC_OP_ABS);
    operationText(dialog, IDC_OP_POSITION, c->target);
    c->distanceMode = checkedIndex(dialog, IDC_OP_EXT_DISTANCE_PARAM);
    operationText(dialog, IDC_OP_EXT_DISTANCE, c->distance);
    c->externalSpeedMode = checkedIndex(dialog, IDC_OP_EXT_SPEED_PARAM);
    operationText(dialog, IDC_OP_EXT_SPEED, c->externalSpeed);
  }
  static uint16_t build(OperationState* state, uint8_t, MotionRequest* request) {
    return buildMotionRequest(area(), state->env, state->debugMode, request);
  }
};

}  // namespace

HWND createExternalSignalDialog(HWND parent, uint16_t templateId, LPARAM) {
  return createOperationDialog<ExternalSignal>(parent, templateId);
}
