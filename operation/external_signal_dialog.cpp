// External-signal positioning (IDD_EXTERNAL_SIGNAL): POS_EX, a move that goes on by a
// further distance once the external signal arrives.
#include "operation/shared_operation_dialog.h"
#include "operation/operation_dialogs.h"

namespace {

struct ExternalSignal : OperationTraitsBase {
  static const OperationForm& form() { return kExternalSignalForm; }
  static ExternalSignalArea& area() { return g_settings.externalSignal; }
  static void open(HWND dialog, OperationState* state) {
    if (!state->debugMode) return;
    SetPositionUnitLabel(dialog, IDC_OP_EXT_DISTANCE_UNIT);
    SetSpeedUnitLabel(dialog, IDC_OP_EXT_SPEED_UNIT);
  }
};

}  // namespace

HWND createExternalSignalDialog(HWND parent, uint16_t templateId, LPARAM) {
  return createOperationDialog<ExternalSignal>(parent, templateId);
}
