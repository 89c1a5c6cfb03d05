// The dialog toolkit on Win32: every dialog's shared helpers.
#include "toolkit/dialog_toolkit.h"

#include <windows.h>
#include <commctrl.h>
#include <cstring>

#include "protocol/number_format.h"
#include "resources/resource.h"
#include "toolkit/field_text.h"

namespace {
HINSTANCE g_resourceLibrary = nullptr;

void fillCombo(HWND dialog, int comboId, UINT firstString, int selection) {
  HWND combo = GetDlgItem(dialog, comboId);
  for (UINT id = firstString; id < firstString + 4; ++id) {
    wchar_t* text = LoadResString(dialog, id);
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text ? text : L""));
    FreeResString(text);
  }
  SendMessageW(combo, CB_SETCURSEL, selection, 0);
}
}  // namespace

void setResourceLibrary(HINSTANCE library) { g_resourceLibrary = library; }

INT_PTR NoDefaultButton(HWND dialog) {
  SetWindowLongPtrW(dialog, DWLP_MSGRESULT, 0);
  return TRUE;
}

HINSTANCE ResourceInstance(HWND window) {
  if (g_resourceLibrary) return g_resourceLibrary;
  if (window) return reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window, GWLP_HINSTANCE));
  return GetModuleHandleW(nullptr);
}

wchar_t* LoadResString(HWND window, UINT id) {
  auto* block = static_cast<wchar_t*>(LocalAlloc(LPTR, RES_STRING_BYTES));
  if (!block) return nullptr;
  if (LoadStringW(ResourceInstance(window), id, block, RES_STRING_BYTES / sizeof(wchar_t)) <= 0) {
    LocalFree(block);
    return nullptr;
  }
  return block;
}

void FreeResString(wchar_t* block) {
  if (block) LocalFree(block);
}

void CenterDialog(HWND dialog, int mode) {
  if (mode != 0) return;
  HWND owner = GetWindow(dialog, GW_OWNER);
  if (!owner) owner = GetParent(dialog);
  if (!owner) return;
  RECT ownerWindow, ownerClient, self;
  GetWindowRect(owner, &ownerWindow);
  GetClientRect(owner, &ownerClient);
  GetWindowRect(dialog, &self);
  int width = self.right - self.left, height = self.bottom - self.top;
  int x = ownerWindow.left + (ownerClient.right - width) / 2;
  int y = ownerWindow.top + ((ownerWindow.bottom - ownerWindow.top) - height) / 2;
  MoveWindow(dialog, x, y, width, height, TRUE);
}

void SetNumericField(HWND dialog, int id, const void* value, uint16_t format) {
  SendDlgItemMessageW(dialog, id, EM_LIMITTEXT, formatWidth(format), 0);
  char text[FIELD_TEXT_SIZE];
  formatFieldText(value, format, text);
  SetItemText(dialog, id, text);
}

int GetNumericField(HWND dialog, int id, void* result, uint16_t format) {
  char text[FIELD_TEXT_SIZE] = {};
  GetItemTextA(dialog, id, text, formatWidth(format) + 1);
  return parseFieldText(text, format, result) ? 1 : 0;
}

void sjisToWide(const char* text, wchar_t* out, int size) {
  if (size <= 0) return;
  out[0] = 0;
  if (!text || !*text) return;
  int n = MultiByteToWideChar(932, 0, text, -1, out, size);
  if (n <= 0) out[0] = 0;
  out[size - 1] = 0;
}

void SetItemText(HWND dialog, int id, const char* text) {
  wchar_t wide[512];
  sjisToWide(text, wide, 512);
  SetDlgItemTextW(dialog, id, wide);
}

void SetItemTextW(HWND dialog, int id, const wchar_t* text) { SetDlgItemTextW(dialog, id, text ? text : L""); }

void GetItemTextA(HWND dialog, int id, char* out, int size) {
  if (size <= 0) return;
  wchar_t wide[256] = {};
  GetDlgItemTextW(dialog, id, wide, 256);
  int i = 0;
  for (; i < size - 1 && wide[i]; ++i) out[i] = wide[i] < 0x80 ? static_cast<char>(wide[i]) : '?';
  out[i] = 0;
}

void DrawBitmapItem(HWND dialog, int id, int bitmapId) {
  HBITMAP bitmap = static_cast<HBITMAP>(
      LoadImageW(ResourceInstance(dialog), MAKEINTRESOURCEW(bitmapId), IMAGE_BITMAP, 0, 0, 0));
  if (!bitmap) return;
  HWND control = GetDlgItem(dialog, id);
  // A monitor worker may still paint while its dialog is being destroyed.
  if (IsWindow(dialog) && control) {
    HDC dc = GetDC(control);
    if (dc) {
      HDC memory = CreateCompatibleDC(dc);
      if (memory) {
        BITMAP info{};
        GetObjectW(bitmap, sizeof info, &info);
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(dc, 0, 0, info.bmWidth, info.bmHeight, memory, 0, 0, SRCCOPY);
        SelectObject(memory, old);
        DeleteDC(memory);
      }
      ReleaseDC(control, dc);
    }
  }
  DeleteObject(bitmap);
}

void SetRadioGroup(HWND dialog, int firstId, int index) {
  HWND button = GetDlgItem(dialog, firstId);
  for (int position = 0; button; ++position) {
    SendMessageW(button, BM_SETCHECK, position == index ? BST_CHECKED : BST_UNCHECKED, 0);
    HWND next = GetNextDlgGroupItem(dialog, button, FALSE);
    if (!next || next == GetDlgItem(dialog, firstId)) break;
    button = next;
  }
}

int GetRadioGroup(HWND dialog, int firstId) {
  HWND first = GetDlgItem(dialog, firstId);
  HWND button = first;
  for (int position = 0; button; ++position) {
    if (SendMessageW(button, BM_GETCHECK, 0, 0) == BST_CHECKED) return position;
    HWND next = GetNextDlgGroupItem(dialog, button, FALSE);
    if (!next || next == first) break;
    button = next;
  }
  return -1;
}

int ShowMessage(HWND owner, UINT textId, UINT captionId, UINT style) {
  wchar_t* text = textId ? LoadResString(owner, textId) : nullptr;
  wchar_t* caption = captionId ? LoadResString(owner, captionId) : nullptr;
  int answer = MessageBoxW(owner, text ? text : L"", caption, style);
  FreeResString(text);
  FreeResString(caption);
  return answer;
}

void ProgressStart(HWND dialog, int barId, int maximum, int step, int labelId, const wchar_t* label) {
  SendDlgItemMessageW(dialog, barId, PBM_SETPOS, 0, 0);
  SendDlgItemMessageW(dialog, barId, PBM_SETRANGE32, 0, maximum);
  SendDlgItemMessageW(dialog, barId, PBM_SETSTEP, step, 0);
  SetItemTextW(dialog, labelId, label);
}

void ProgressStep(HWND dialog, int barId, int labelId, const wchar_t* label) {
  SendDlgItemMessageW(dialog, barId, PBM_STEPIT, 0, 0);
  SetItemTextW(dialog, labelId, label);
}

void BuildUnitLabels(HWND window, uint8_t unit) {
  char ascii[8] = {};
  if (unit < 2) {
    wchar_t* text = LoadResString(window, unit == 0 ? IDS_UNIT_MM : IDS_UNIT_DEG);
    for (int i = 0; text && i < 7 && text[i]; ++i) ascii[i] = text[i] < 0x80 ? static_cast<char>(text[i]) : '?';
    FreeResString(text);
  }
  buildUnitLabelsFrom(unit, ascii);
}

void SetSpeedUnitLabel(HWND dialog, int id) { SetItemText(dialog, id, speedUnitLabel()); }
void SetPositionUnitLabel(HWND dialog, int id) { SetItemText(dialog, id, positionUnitLabel()); }

LRESULT UpdateValueHistory(HWND dialog, int comboId, ValueHistory* history, int32_t value,
                           uint16_t format) {
  int selected = addToValueHistory(history, value);
  HWND combo = GetDlgItem(dialog, comboId);
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  for (int i = 0; i < valueHistoryCount(*history); ++i) {
    char text[VALUE_TEXT_SIZE];
    formatValueHistoryEntry(*history, i, format, text);
    wchar_t wide[VALUE_TEXT_SIZE];
    sjisToWide(text, wide, VALUE_TEXT_SIZE);
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide));
  }
  return SendMessageW(combo, CB_SETCURSEL, selected, 0);
}

void FillAccelTypeCombo(HWND dialog, int selection) { fillCombo(dialog, IDC_ACCEL_TYPE, IDS_ACCEL_TYPE0, selection); }
void FillFilterTypeCombo(HWND dialog, int selection) { fillCombo(dialog, IDC_FILTER_TYPE, IDS_FILTER_TYPE0, selection); }
