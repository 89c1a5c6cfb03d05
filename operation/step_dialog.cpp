// Step operation (122): one STEP__ forward or reverse by a step parameter or a
// typed distance; with repeat, step, return and the same direction again.
#include "operation/operation_dialog.h"
#include "operation/operation_dialogs.h"

namespace {

struct Step : OperationTraitsBase {
  static constexpr uint16_t templateId = IDD_STEP;
  using Controls = StepControls;
  static StepArea& area() { return g_settings.step; }
  static bool repeat() { return area().repeatStop.repeat != 0; }
  static bool startsWith(int id) { return id == IDC_OP_FORWARD || id == IDC_OP_REVERSE; }
  static void open(HWND dialog, OperationState*) {
    HWND combo = GetDlgItem(dialog, IDC_OP_STEP_PARAMETER);
    for (UINT i = 0; i < 4; ++i) {
      wchar_t* text = LoadResString(dialog, IDS_STEP_PARAM0 + i);
      SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text ? text : L""));
      FreeResString(text);
    }
  }
  static void show(HWND dialog, OperationState* state) {
    Controls c;
    showOperationFields(area(), state->env, &c);
    showCommon(dialog, c.common, true);
    showSpeed(dialog, c.speed);
    SetRadioGroup(dialog, IDC_OP_STEP_BY_PARAM, c.distanceMode);
    SendDlgItemMessageW(dialog, IDC_OP_STEP_PARAMETER, CB_SETCURSEL, c.stepParameter, 0);
    fillValueCombo(dialog, IDC_OP_SPEED, area().speedHistory, c.speed.speed, state->env.valueFormat);
    fillValueCombo(dialog, IDC_OP_POSITION, area().distanceHistory, c.distance, state->env.valueFormat);
  }
  static void read(HWND dialog, OperationState*, Controls* c) {
    readCommon(dialog, &c->common, true);
    readSpeed(dialog, &c->speed);
    c->distanceMode = checkedIndex(dialog, IDC_OP_STEP_BY_PARAM);
    c->stepParameter = comboIndex(dialog, IDC_OP_STEP_PARAMETER);
    operationText(dialog, IDC_OP_POSITION, c->distance);
  }
  static uint16_t build(OperationState* state, uint8_t direction, MotionRequest* request) {
    return buildMotionRequest(area(), state->env, state->debugMode, direction, request);
  }
};

}  // namespace

HWND createStepDialog(HWND parent, uint16_t templateId, LPARAM) {
  return createOperationDialog<Step>(parent, templateId);
}
