// The current value monitor (106): seven values of the module in the value format
// of the environment settings, polled every 100 ms; monitor 1 and 2 only in debug
// mode.
#include <windows.h>

#include "files/settings.h"
#include "link/link_state.h"
#include "monitor/monitor_dialogs.h"
#include "monitor/monitor_view.h"
#include "monitor/shared_monitor_dialog.h"
#include "resources/resource.h"
#include "toolkit/dialog_toolkit.h"
#include "toolkit/modeless.h"
#include "toolkit/window_messages.h"

namespace {

struct ValueMonitorState {
  PollingMonitor monitor;
  uint16_t valueFormat = 0;   // copied at opening
};

void showReading(HWND dialog, ValueMonitorState* state) {
  MonitorReading reading;
  if (!takeMonitorReading(state->monitor.poll.get(), &reading)) return;
  int live = liveMonitorValues(g_mode.debugMode.load() != 0);
  for (int i = 0; i < live; ++i) {
    char text[MONITOR_VALUE_CHARS];
    formatMonitorValue(state->valueFormat, reading.values[i], text);
    SetItemText(dialog, MonitorValueIds[i], text);
  }
}

INT_PTR CALLBACK valueMonitorProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  ValueMonitorState* state = dialogState<ValueMonitorState>(dialog);
  switch (message) {
    case WM_INITDIALOG:
      state = attachDialogState(dialog, new ValueMonitorState);
      CenterDialog(dialog, 0);
      state->valueFormat = environmentSettings().valueFormat;
      for (int id = IDC_VALUE_UNIT0; id <= IDC_VALUE_UNIT3; ++id) SetPositionUnitLabel(dialog, id);
      startPolling(dialog, &state->monitor, readCurrentValues);
      return TRUE;
    case UM_WORKER_NOTICE:
      if (!state) return TRUE;
      if (wParam == MONITOR_FAILED) closePolling(dialog, IDD_VALUE_MONITOR, &state->monitor);
      else showReading(dialog, state);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL && state) {
        closePolling(dialog, IDD_VALUE_MONITOR, &state->monitor);
        return TRUE;
      }
      return FALSE;
    case WM_NCDESTROY:
      freeDialogState<ValueMonitorState>(dialog);
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

HWND createValueMonitorDialog(HWND parent, uint16_t templateId, LPARAM parameter) {
  return openModeless(parent, templateId, valueMonitorProc, parameter);
}
