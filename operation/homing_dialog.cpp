// Homing (IDD_HOMING): HOMING at a speed; with repeat, homing and a return to the
// position held when the repeat started, alternately.
#include "operation/shared_operation_dialog.h"
#include "operation/operation_dialogs.h"

namespace {

struct Homing : OperationTraitsBase {
  static const OperationForm& form() { return kHomingForm; }
  static HomingArea& area() { return g_settings.homing; }
};

}  // namespace

HWND createHomingDialog(HWND parent, uint16_t templateId, LPARAM) {
  return createOperationDialog<Homing>(parent, templateId);
}
