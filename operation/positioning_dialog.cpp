// Positioning (119): POSING to a target position, once or back and forth.
#include "operation/operation_dialog.h"
#include "operation/operation_dialogs.h"

namespace {

struct Positioning : OperationTraitsBase {
  static constexpr uint16_t templateId = IDD_POSITIONING;
  using Controls = PositioningControls;
  static PositioningArea& area() { return g_settings.positioning; }
  static bool repeat() { return area().repeatStop.repeat != 0; }
  static void show(HWND dialog, OperationState* state) {
    Controls c;
    showOperationFields(area(), state->env, &c);
    showCommon(dialog, c.common, true);
    showSpeed(dialog, c.speed);
    SetRadioGroup(dialog, IDC_OP_ABS, c.positioningType);
    fillValueCombo(dialog, IDC_OP_SPEED, area().speedHistory, c.speed.speed, state->env.valueFormat);
    fillValueCombo(dialog, IDC_OP_POSITION, area().targetHistory, c.target, state->env.valueFormat);
  }
  static void read(HWND dialog, OperationState*, Controls* c) {
    readCommon(dialog, &c->common, true);
    readSpeed(dialog, &c->speed);
    c->positioningType = checkedIndex(dialog, IDC_OP_ABS);
    operationText(dialog, IDC_OP_POSITION, c->target);
  }
  static uint16_t build(OperationState* state, uint8_t, MotionRequest* request) {
    return buildMotionRequest(area(), state->env, state->debugMode, request);
  }
};

}  // namespace

HWND createPositioningDialog(HWND parent, uint16_t templateId, LPARAM) {
  return createOperationDialog<Positioning>(parent, templateId);
}
