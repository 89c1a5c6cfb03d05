// The desktop program's shell on Win32: the main window, its status bar, the menu
// commands, the modeless dialog slots and the dialogs the shell opens itself.
#pragma once
#include <windows.h>
#include <cstdint>

#include "shell/shell_state.h"
#include "toolkit/file_dialog.h"

constexpr const wchar_t* MAIN_WINDOW_CLASS = L"QZ_MMI";

extern HWND g_mainWindow;
extern HWND g_statusBar;
extern HWND g_modelessSlots[MODELESS_SLOT_COUNT];

// The whole program: start-up, message loop, exit steps. Returns the exit code.
int runSetupTool(HINSTANCE instance, int showCommand);

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Status bar (IDC_STATUS_BAR)
HWND createStatusBar(HWND mainWindow);
void layoutStatusBar();
void paintStatusField(const DRAWITEMSTRUCT* item);
void repaintStatusBar();   // hide, then show: the whole bar is redrawn

// Menu commands and modeless dialogs
void onMenuCommand(HWND mainWindow, int command);
void closeAllModeless();
// At the main window's end: every dialog still held in a slot is destroyed now
// (which stops its worker) and the slots are emptied, before the link goes.
void destroyAllModeless();
bool offerToModeless(MSG* message);
void onDialogClosed(WPARAM templateId);
void onDataChanged(WPARAM templateId, LPARAM entry);

INT_PTR CALLBACK versionDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The prompt interface of the desktop program: string table and MessageBoxW.
void installDesktopPrompt();

// Registry value MotorType under HKLM\SOFTWARE\QZ_MMI.
uint16_t readMotorType();
void writeMotorType(uint16_t motorType);

