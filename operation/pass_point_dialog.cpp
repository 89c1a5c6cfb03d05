// Pass-point signal output positioning (137): POS_AS, a move that switches two
// output signals on and off at given positions (the signals in debug mode only).
#include "operation/operation_dialog.h"
#include "operation/operation_dialogs.h"

namespace {

struct PassPoint : OperationTraitsBase {
  static constexpr uint16_t templateId = IDD_PASS_POINT;
  using Controls = PassPointControls;
  static PassPointArea& area() { return g_settings.passPoint; }
  static bool repeat() { return area().repeatStop.repeat != 0; }
  static void open(HWND dialog, OperationState*) {
    for (int id : {IDC_OP_SIGNAL1_ON_UNIT, IDC_OP_SIGNAL1_OFF_UNIT, IDC_OP_SIGNAL2_ON_UNIT, IDC_OP_SIGNAL2_OFF_UNIT})
      SetPositionUnitLabel(dialog, id);
  }
  static void show(HWND dialog, OperationState* state) {
    Controls c;
    const PassPointArea& a = area();
    uint16_t format = state->env.valueFormat;
    showOperationFields(a, state->env, &c);
    showCommon(dialog, c.common, true);
    showSpeed(dialog, c.speed);
    SetRadioGroup(dialog, IDC_OP_ABS, c.positioningType);
    fillValueCombo(dialog, IDC_OP_SPEED, a.speedHistory, c.speed.speed, format);
    fillValueCombo(dialog, IDC_OP_POSITION, a.targetHistory, c.target, format);
    SetRadioGroup(dialog, IDC_OP_SIGNAL_ABS, c.signalPositioningType);
    fillValueCombo(dialog, IDC_OP_SIGNAL1_ON, a.signal1OnHistory, c.signal1On, format);
    fillValueCombo(dialog, IDC_OP_SIGNAL1_OFF, a.signal1OffHistory, c.signal1Off, format);
    SetRadioGroup(dialog, IDC_OP_SIGNAL1_NORMAL, c.signal1Polarity);
    fillValueCombo(dialog, IDC_OP_SIGNAL2_ON, a.signal2OnHistory, c.signal2On, format);
    fillValueCombo(dialog, IDC_OP_SIGNAL2_OFF, a.signal2OffHistory, c.signal2Off, format);
    SetRadioGroup(dialog, IDC_OP_SIGNAL2_NORMAL, c.signal2Polarity);
  }
  static void read(HWND dialog, OperationState*, Controls* c) {
    readCommon(dialog, &c->common, true);
    readSpeed(dialog, &c->speed);
    c->positioningType = checkedIndex(dialog, IDC_OP_ABS);
    operationText(dialog, IDC_OP_POSITION, c->target);
    c->signalPositioningType = checkedIndex(dialog, IDC_OP_SIGNAL_ABS);
    operationText(dialog, IDC_OP_SIGNAL1_ON, c->signal1On);
    operationText(dialog, IDC_OP_SIGNAL1_OFF, c->signal1Off);
    c->signal1Polarity = checkedIndex(dialog, IDC_OP_SIGNAL1_NORMAL);
    operationText(dialog, IDC_OP_SIGNAL2_ON, c->signal2On);
    operationText(dialog, IDC_OP_SIGNAL2_OFF, c->signal2Off);
    c->signal2Polarity = checkedIndex(dialog, IDC_OP_SIGNAL2_NORMAL);
  }
  static uint16_t build(OperationState* state, uint8_t, MotionRequest* request) {
    return buildMotionRequest(area(), state->env, state->debugMode, request);
  }
};

}  // namespace

HWND createPassPointDialog(HWND parent, uint16_t templateId, LPARAM) {
  return createOperationDialog<PassPoint>(parent, templateId);
}
