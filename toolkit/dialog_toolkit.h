// The dialog toolkit: resources and strings, centring, numeric fields, bitmap
// lamps, radio groups, message boxes, progress bars, unit labels and value
// histories. Win32 only; the portable halves are field_text.h and value_history.h.
#pragma once
#include <windows.h>
#include <cstdint>

#include "toolkit/value_history.h"

constexpr int RES_STRING_BYTES = 512;   // one string-table block (256 UTF-16 units)

// Set once at start-up by the shell when the resource library is loaded.
void setResourceLibrary(HINSTANCE library);
HINSTANCE ResourceInstance(HWND window);

// A zero-filled 512-byte local-heap block holding the string, or null when the id
// has no text or memory runs out. Release with FreeResString (null is fine).
wchar_t* LoadResString(HWND window, UINT id);
void FreeResString(wchar_t* block);

void CenterDialog(HWND dialog, int mode);

// The answer to DM_GETDEFID of a dialog whose buttons move the axis, drive an
// output or reset the module: no default button. The dialog manager then turns
// Enter in a field into IDOK, which those dialogs ignore, instead of a click on
// the button that was made default last (a tab through it is enough for that).
INT_PTR NoDefaultButton(HWND dialog);

void SetNumericField(HWND dialog, int id, const void* value, uint16_t format);
int GetNumericField(HWND dialog, int id, void* result, uint16_t format);
void SetItemText(HWND dialog, int id, const char* text);   // ASCII or Shift-JIS bytes
void SetItemTextW(HWND dialog, int id, const wchar_t* text);
// The control's text as ASCII (other characters become '?'), at most size-1 bytes.
void GetItemTextA(HWND dialog, int id, char* out, int size);

void DrawBitmapItem(HWND dialog, int id, int bitmapId);

void SetRadioGroup(HWND dialog, int firstId, int index);
int GetRadioGroup(HWND dialog, int firstId);

int ShowMessage(HWND owner, UINT textId, UINT captionId, UINT style);

void ProgressStart(HWND dialog, int barId, int maximum, int step, int labelId, const wchar_t* label);
void ProgressStep(HWND dialog, int barId, int labelId, const wchar_t* label);

// The unit labels of a display unit (the environment settings' value: 0 mm,
// 1 deg, 2 and above none).
void BuildUnitLabels(HWND window, uint8_t displayUnit);
void SetSpeedUnitLabel(HWND dialog, int id);
void SetPositionUnitLabel(HWND dialog, int id);

LRESULT UpdateValueHistory(HWND dialog, int comboId, ValueHistory* history, int32_t value,
                           uint16_t format);
void FillAccelTypeCombo(HWND dialog, int selection);
void FillFilterTypeCombo(HWND dialog, int selection);

// Shift-JIS (code page 932) bytes to UTF-16, at most `size` units with terminator.
void sjisToWide(const char* text, wchar_t* out, int size);
