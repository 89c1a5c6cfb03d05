// Station positioning (138): GOTOST to a station number in a rotation direction.
#include "operation/operation_dialog.h"
#include "operation/operation_dialogs.h"

namespace {

struct Station : OperationTraitsBase {
  static constexpr uint16_t templateId = IDD_STATION;
  using Controls = StationControls;
  static StationArea& area() { return g_settings.station; }
  static bool repeat() { return area().repeatStop.repeat != 0; }
  static void show(HWND dialog, OperationState* state) {
    Controls c;
    showOperationFields(area(), state->env, &c);
    showCommon(dialog, c.common, true);
    showSpeed(dialog, c.speed);
    SetRadioGroup(dialog, IDC_OP_ABS, c.positioningType);
    SetRadioGroup(dialog, IDC_OP_STATION_FORWARD, c.rotationDirection);
    fillValueCombo(dialog, IDC_OP_SPEED, area().speedHistory, c.speed.speed, state->env.valueFormat);
    fillValueCombo(dialog, IDC_OP_STATION, area().stationHistory, c.station, STATION_NUMBER_FORMAT);
  }
  static void read(HWND dialog, OperationState*, Controls* c) {
    readCommon(dialog, &c->common, true);
    readSpeed(dialog, &c->speed);
    c->positioningType = checkedIndex(dialog, IDC_OP_ABS);
    c->rotationDirection = checkedIndex(dialog, IDC_OP_STATION_FORWARD);
    operationText(dialog, IDC_OP_STATION, c->station);
  }
  static uint16_t build(OperationState* state, uint8_t, MotionRequest* request) {
    return buildMotionRequest(area(), state->env, state->debugMode, request);
  }
};

}  // namespace

HWND createStationDialog(HWND parent, uint16_t templateId, LPARAM) {
  return createOperationDialog<Station>(parent, templateId);
}
