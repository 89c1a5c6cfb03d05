// Homing (117): HOMING at a speed; with repeat, homing and a return to the
// position held when the repeat started, alternately.
#include "operation/operation_dialog.h"
#include "operation/operation_dialogs.h"

namespace {

struct Homing : OperationTraitsBase {
  static constexpr uint16_t templateId = IDD_HOMING;
  using Controls = HomingControls;
  static HomingArea& area() { return g_settings.homing; }
  static bool repeat() { return area().repeatStop.repeat != 0; }
  static void show(HWND dialog, OperationState* state) {
    Controls c;
    showOperationFields(area(), state->env, &c);
    showCommon(dialog, c.common, true);
    showSpeed(dialog, c.speed);
    fillValueCombo(dialog, IDC_OP_SPEED, area().speedHistory, c.speed.speed, state->env.valueFormat);
  }
  static void read(HWND dialog, OperationState*, Controls* c) {
    readCommon(dialog, &c->common, true);
    readSpeed(dialog, &c->speed);
  }
  static uint16_t build(OperationState* state, uint8_t, MotionRequest* request) {
    return buildMotionRequest(area(), state->env, state->debugMode, request);
  }
};

}  // namespace

HWND createHomingDialog(HWND parent, uint16_t templateId, LPARAM) {
  return createOperationDialog<Homing>(parent, templateId);
}
