// The seven monitors as the shell opens them, all modeless. Win32 only.
#pragma once
#include <windows.h>
#include <cstdint>

// Motion status (IDD_MOTION_MONITOR).
HWND createMotionMonitorDialog(HWND parent, uint16_t templateId, LPARAM parameter);
// Input and output signals (IDD_INPUT_MONITOR, IDD_OUTPUT_MONITOR): one procedure,
// the template says which port it reads.
HWND createSignalMonitorDialog(HWND parent, uint16_t templateId, LPARAM parameter);
// Current values (IDD_VALUE_MONITOR).
HWND createValueMonitorDialog(HWND parent, uint16_t templateId, LPARAM parameter);
// Alarm information (IDD_ALARM_MONITOR, polled) and history (IDD_ALARM_HISTORY,
// read once): one procedure.
HWND createAlarmDialog(HWND parent, uint16_t templateId, LPARAM parameter);
// The trend monitor (IDD_TREND_MONITOR): the current values over time, recorded.
HWND createTrendMonitorDialog(HWND parent, uint16_t templateId, LPARAM parameter);
