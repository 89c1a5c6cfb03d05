// Point-table operation (IDD_POINT_OPERATION): GOTOPT to one of the 50 points, once
// or back and forth.
#include "operation/shared_operation_dialog.h"
#include "operation/operation_dialogs.h"

namespace {

struct PointOperation : OperationTraitsBase {
  static const OperationForm& form() { return kPointOperationForm; }
  static PointOperationArea& area() { return g_settings.pointOperation; }
};

}  // namespace

HWND createPointOperationDialog(HWND parent, uint16_t templateId, LPARAM) {
  return createOperationDialog<PointOperation>(parent, templateId);
}
