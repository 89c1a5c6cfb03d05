// The connection dialog (IDD_CONNECT), a modal dialog the shell opens.
#pragma once
#include <windows.h>

// lParam: the saved port (0 = COM1), which the dialog selects and makes current.
INT_PTR CALLBACK connectDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
