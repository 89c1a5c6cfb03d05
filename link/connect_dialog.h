// The connection dialog (IDD_CONNECT), a modal dialog the shell opens.
#pragma once
#include <windows.h>

// lParam: a SavedPortAccess (link/connection.h) that outlives the dialog; the saved
// port it reads (0 = COM1) is selected and made current, and each Connect stores one.
INT_PTR CALLBACK connectDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
