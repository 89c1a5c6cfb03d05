// The system maintenance dialogs as the shell opens them, all modeless; the reset
// dialog runs the modal wait dialog itself. Win32 only.
#pragma once
#include <windows.h>
#include <cstdint>

// Module reset (IDD_MODULE_RESET) and its wait dialog (IDD_RESET_WAIT).
HWND createModuleResetDialog(HWND parent, uint16_t templateId, LPARAM parameter);
INT_PTR CALLBACK moduleResetDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK resetWaitDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// ID information (IDD_IDENTIFICATION): six texts read by a worker.
HWND createIdentificationDialog(HWND parent, uint16_t templateId, LPARAM parameter);
INT_PTR CALLBACK identificationDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Memory read (IDD_MEMORY_READ) and memory write (IDD_MEMORY_WRITE).
HWND createMemoryReadDialog(HWND parent, uint16_t templateId, LPARAM parameter);
INT_PTR CALLBACK memoryReadDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
HWND createMemoryWriteDialog(HWND parent, uint16_t templateId, LPARAM parameter);
INT_PTR CALLBACK memoryWriteDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
