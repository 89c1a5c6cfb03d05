// The operation subsystem's dialogs as the shell opens them: all modeless. Win32 only.
#pragma once
#include <windows.h>
#include <cstdint>

HWND createJogDialog(HWND parent, uint16_t templateId, LPARAM parameter);
HWND createStepDialog(HWND parent, uint16_t templateId, LPARAM parameter);
HWND createPositioningDialog(HWND parent, uint16_t templateId, LPARAM parameter);
HWND createPointOperationDialog(HWND parent, uint16_t templateId, LPARAM parameter);
HWND createStationDialog(HWND parent, uint16_t templateId, LPARAM parameter);
HWND createExternalSignalDialog(HWND parent, uint16_t templateId, LPARAM parameter);
HWND createMultiSpeedDialog(HWND parent, uint16_t templateId, LPARAM parameter);
HWND createPassPointDialog(HWND parent, uint16_t templateId, LPARAM parameter);
HWND createHomingDialog(HWND parent, uint16_t templateId, LPARAM parameter);
