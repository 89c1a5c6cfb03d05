// The signal output dialogs as the shell opens them, all modeless. Win32 only.
#pragma once
#include <windows.h>
#include <cstdint>

// Servo on/off (IDD_SERVO_ONOFF) and brake on/off (IDD_BRAKE_ONOFF) share one
// procedure; the template says which command its buttons send.
HWND createOnOffDialog(HWND parent, uint16_t templateId, LPARAM parameter);
INT_PTR CALLBACK onOffDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Output-port write (IDD_OUTPUT_PORT): override boxes, value toggles, lamps.
HWND createOutputPortDialog(HWND parent, uint16_t templateId, LPARAM parameter);
INT_PTR CALLBACK outputPortDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
