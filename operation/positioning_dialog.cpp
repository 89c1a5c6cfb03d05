// Positioning (IDD_POSITIONING): POSING to a target position, once or back and forth.
#include "operation/shared_operation_dialog.h"
#include "operation/operation_dialogs.h"

namespace {

struct Positioning : OperationTraitsBase {
  static const OperationForm& form() { return kPositioningForm; }
  static PositioningArea& area() { return g_settings.positioning; }
};

}  // namespace

HWND createPositioningDialog(HWND parent, uint16_t templateId, LPARAM) {
  return createOperationDialog<Positioning>(parent, templateId);
}
