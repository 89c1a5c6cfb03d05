// Pass-point signal output positioning (IDD_PASS_POINT): POS_AS, a move that switches
// two output signals on and off at given positions (the signals in debug mode only).
#include "operation/shared_operation_dialog.h"
#include "operation/operation_dialogs.h"

namespace {

struct PassPoint : OperationTraitsBase {
  static const OperationForm& form() { return kPassPointForm; }
  static PassPointArea& area() { return g_settings.passPoint; }
  static void open(HWND dialog, OperationState*) {
    for (int id : {IDC_OP_SIGNAL1_ON_UNIT, IDC_OP_SIGNAL1_OFF_UNIT, IDC_OP_SIGNAL2_ON_UNIT, IDC_OP_SIGNAL2_OFF_UNIT})
      SetPositionUnitLabel(dialog, id);
  }
};

}  // namespace

HWND createPassPointDialog(HWND parent, uint16_t templateId, LPARAM) {
  return createOperationDialog<PassPoint>(parent, templateId);
}
