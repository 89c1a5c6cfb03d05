// Alarm information (113), polled every 100 ms, and alarm history (159), read once
// at opening: a list of the module's alarm records with their texts from the
// definition file. The information list is rebuilt only when the records change.
#include <windows.h>

#include "files/definitions.h"
#include "link/request.h"
#include "monitor/monitor_dialogs.h"
#include "monitor/monitor_view.h"
#include "monitor/shared_monitor_dialog.h"
#include "resources/resource.h"
#include "toolkit/dialog_toolkit.h"
#include "toolkit/list_view.h"
#include "toolkit/modeless.h"
#include "toolkit/window_messages.h"

namespace {

constexpr uint8_t kDeviceModule = 0;   // RD_ALM / CLRALM keyword QZ
constexpr uint8_t kDeviceServo = 1;    // SV
constexpr uint8_t kClearCurrent = 1;   // CLRALM keyword CURT

// Kept for the rest of the run: a list closed with its button reopens with the
// widths the user left.
ColumnWidths g_alarmWidths = {4, {103, 46, 46, 187}};
ColumnWidths g_historyWidths = {2, {46, 336}};
const UINT kAlarmTitles[4] = {IDS_ALARM_COL0, IDS_ALARM_COL0 + 1, IDS_ALARM_COL0 + 2, IDS_ALARM_COL0 + 3};
const UINT kHistoryTitles[2] = {IDS_ALARM_HISTORY_COL0, IDS_ALARM_HISTORY_COL0 + 1};

struct AlarmDialogState {
  PollingMonitor monitor;
  bool history = false;
  AlarmSnapshot kept;
};

uint16_t readCurrentAlarms(void* owner, MonitorReading* reading) {
  return request_RD_ALM(owner, kDeviceModule, &reading->alarmCount, reading->alarms);
}
uint16_t readAlarmHistory(void* owner, MonitorReading* reading) {
  return request_RD_ALM(owner, kDeviceServo, &reading->alarmCount, reading->alarms);
}

uint16_t templateOf(const AlarmDialogState* state) {
  return state->history ? IDD_ALARM_HISTORY : IDD_ALARM_MONITOR;
}

void fillList(HWND list, const AlarmDialogState* state, const MonitorReading& reading) {
  ListViewClear(list);
  uint16_t count = reading.alarmCount > kMaxAlarmEntries ? kMaxAlarmEntries : reading.alarmCount;
  for (int i = 0; i < count; ++i) {
    AlarmRowTexts row;
    if (state->history) {
      alarmHistoryRowTexts(g_alarmTexts, reading.alarms[i], &row);
      const char* cells[2] = {row.code, row.text};
      ListViewAppendRowBytes(list, cells, 2);
    } else {
      alarmRowTexts(g_alarmTexts, reading.alarms[i], &row);
      const char* cells[4] = {row.stamp, row.level, row.code, row.text};
      ListViewAppendRowBytes(list, cells, 4);
    }
  }
}

void showReading(HWND dialog, AlarmDialogState* state) {
  MonitorReading reading;
  if (!takeMonitorReading(state->monitor.poll.get(), &reading)) return;
  // At 10 Hz an unchanged list is left alone, so it does not flicker.
  if (!state->history && !takeAlarmSnapshot(&state->kept, reading.alarmCount, reading.alarms)) return;
  fillList(GetDlgItem(dialog, IDC_ALARM_LIST), state, reading);
}

// Widths are kept when the person closes the list, not when a failed read does.
void close(HWND dialog, AlarmDialogState* state, bool keepWidths) {
  closePolling(dialog, templateOf(state), &state->monitor,
               keepWidths ? GetDlgItem(dialog, IDC_ALARM_LIST) : nullptr,
               state->history ? &g_historyWidths : &g_alarmWidths);
}

INT_PTR CALLBACK alarmDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  AlarmDialogState* state = dialogState<AlarmDialogState>(dialog);
  switch (message) {
    case WM_INITDIALOG: {
      state = attachDialogState(dialog, new AlarmDialogState);
      state->history = lParam == IDD_ALARM_HISTORY;
      CenterDialog(dialog, 0);
      HWND list = GetDlgItem(dialog, IDC_ALARM_LIST);
      if (state->history) {
        ListViewSetup(list, dialog, kHistoryTitles, g_historyWidths, 0, false);
        startPolling(dialog, &state->monitor, readAlarmHistory, 0);
      } else {
        ListViewSetup(list, dialog, kAlarmTitles, g_alarmWidths, 0, false);
        startPolling(dialog, &state->monitor, readCurrentAlarms);
      }
      return TRUE;
    }
    case UM_WORKER_NOTICE:
      if (!state) return TRUE;
      if (wParam == MONITOR_FAILED) close(dialog, state, false);
      else showReading(dialog, state);
      return TRUE;
    case WM_COMMAND:
      if (!state) return FALSE;
      if (LOWORD(wParam) == IDCANCEL) {
        close(dialog, state, true);
        return TRUE;
      }
      if (LOWORD(wParam) == IDC_ALARM_CLEAR) {
        // The information list follows at its next poll.
        request_CLRALM(dialog, kClearCurrent, state->history ? kDeviceServo : kDeviceModule);
        return TRUE;
      }
      return FALSE;
    case WM_NCDESTROY:
      freeDialogState<AlarmDialogState>(dialog);
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

// The template id travels as the creation parameter, so one procedure serves both.
HWND createAlarmDialog(HWND parent, uint16_t templateId, LPARAM) {
  return openModeless(parent, templateId, alarmDialogProc, templateId);
}
