// Point-table operation (133): GOTOPT to one of the 50 points, once or back and forth.
#include "operation/operation_dialog.h"
#include "operation/operation_dialogs.h"

namespace {

struct PointOperation : OperationTraitsBase {
  static constexpr uint16_t templateId = IDD_POINT_OPERATION;
  using Controls = PointOperationControls;
  static PointOperationArea& area() { return g_settings.pointOperation; }
  static bool repeat() { return area().repeatStop.repeat != 0; }
  // The interval and the repeat box belong to debug mode here.
  static bool showInterval(const OperationState* state) { return state->debugMode; }
  static void show(HWND dialog, OperationState* state) {
    Controls c;
    showOperationFields(area(), state->env, &c);
    showCommon(dialog, c.common, state->debugMode);
    SetRadioGroup(dialog, IDC_OP_ABS, c.positioningType);
    fillValueCombo(dialog, IDC_OP_POINT, area().pointHistory, c.point, POINT_NUMBER_FORMAT);
  }
  static void read(HWND dialog, OperationState* state, Controls* c) {
    readCommon(dialog, &c->common, state->debugMode);
    c->positioningType = checkedIndex(dialog, IDC_OP_ABS);
    operationText(dialog, IDC_OP_POINT, c->point);
  }
  static uint16_t build(OperationState* state, uint8_t, MotionRequest* request) {
    return buildMotionRequest(area(), state->env, state->debugMode, request);
  }
};

}  // namespace

HWND createPointOperationDialog(HWND parent, uint16_t templateId, LPARAM) {
  return createOperationDialog<PointOperation>(parent, templateId);
}
