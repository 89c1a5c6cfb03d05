// The environment settings dialog (IDD_ENVIRONMENT), a modal dialog the shell opens.
#pragma once
#include <windows.h>

// A confirmed change of the display unit rebuilds the unit labels.
INT_PTR CALLBACK environmentDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
