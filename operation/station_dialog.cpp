// Station positioning (IDD_STATION): GOTOST to a station number in a rotation direction.
#include "operation/shared_operation_dialog.h"
#include "operation/operation_dialogs.h"

namespace {

struct Station : OperationTraitsBase {
  static const OperationForm& form() { return kStationForm; }
  static StationArea& area() { return g_settings.station; }
};

}  // namespace

HWND createStationDialog(HWND parent, uint16_t templateId, LPARAM) {
  return createOperationDialog<Station>(parent, templateId);
}
