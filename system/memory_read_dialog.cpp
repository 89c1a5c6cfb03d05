// Memory read (160): reads a block of the option module's memory and adds it to
// the dump list (at most 256 lines, the oldest dropped first).
#include <windows.h>
#include <commctrl.h>

#include <new>

#include "files/settings.h"
#include "link/request.h"
#include "resources/resource.h"
#include "system/memory_dump.h"
#include "system/memory_fields.h"
#include "system/system_dialogs.h"
#include "toolkit/dialog_toolkit.h"
#include "toolkit/list_view.h"
#include "toolkit/modeless.h"

namespace {

constexpr uint8_t kOptionModule = 0;   // device "QZ"

// Both live for the rest of the run: the dump is emptied at each opening, the
// widths are what the person left at the last close.
MemoryDump g_memoryDump;
ColumnWidths g_memoryListWidths = {2, {55, 397}};
const UINT kColumnTitles[2] = {IDS_MEMORY_COL0, IDS_MEMORY_COL0 + 1};

void invalidInput(HWND dialog) { ShowMessage(dialog, IDS_INVALID_INPUT, IDS_CAPTION, MB_ICONERROR); }

void showDump(HWND dialog) {
  HWND list = GetDlgItem(dialog, IDC_MEMORY_LIST);
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  ListViewClear(list);
  for (int k = 0; k < g_memoryDump.count; ++k) {
    const char* texts[2] = {g_memoryDump.lines[k].address, g_memoryDump.lines[k].content};
    ListViewAppendRowBytes(list, texts, 2);
  }
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
}

void onOpen(HWND dialog) {
  CenterDialog(dialog, 0);
  const MemoryReadSettings& kept = g_memoryReadSettings;
  SetNumericField(dialog, IDC_MEMORY_ADDRESS, &kept.address, MEMORY_ADDRESS_FORMAT);
  // Shown in units of the type; the kept byte count itself stays as it is.
  uint16_t units = memorySizeInUnits(kept.sizeInBytes, kept.dataType);
  SetNumericField(dialog, IDC_MEMORY_SIZE, &units, MEMORY_SIZE_FORMAT);
  SetRadioGroup(dialog, IDC_MEMORY_BYTE, kept.dataType);
  g_memoryDump.count = 0;
  ListViewSetup(GetDlgItem(dialog, IDC_MEMORY_LIST), dialog, kColumnTitles, g_memoryListWidths, 0, false);
}

void onTypeClicked(HWND dialog, int id) {
  uint8_t type = static_cast<uint8_t>(id - IDC_MEMORY_BYTE);
  uint16_t size = 0;
  if (!GetNumericField(dialog, IDC_MEMORY_SIZE, &size, MEMORY_SIZE_FORMAT)) size = 0;
  uint16_t shown = static_cast<uint16_t>(memorySizeAfterTypeChange(size, type));
  g_memoryReadSettings.dataType = type;
  SetNumericField(dialog, IDC_MEMORY_SIZE, &shown, MEMORY_SIZE_FORMAT);
}

void onRead(HWND dialog) {
  uint32_t address = 0;
  uint16_t size = 0;
  int type = GetRadioGroup(dialog, IDC_MEMORY_BYTE);
  if (type < 0) type = MEMORY_BYTE;
  uint16_t byteCount = 0;
  // A size whose byte count does not fit 16 bits is refused like a bad field.
  if (!GetNumericField(dialog, IDC_MEMORY_ADDRESS, &address, MEMORY_ADDRESS_FORMAT) ||
      !GetNumericField(dialog, IDC_MEMORY_SIZE, &size, MEMORY_SIZE_FORMAT) ||
      !memoryReadByteCount(size, static_cast<uint8_t>(type), &byteCount)) {
    invalidInput(dialog);
    return;
  }
  g_memoryReadSettings.address = address;
  g_memoryReadSettings.sizeInBytes = byteCount;
  g_memoryReadSettings.dataType = static_cast<uint8_t>(type);

  uint8_t* buffer = new (std::nothrow) uint8_t[byteCount ? byteCount : 1]();
  if (!buffer) {
    ShowMessage(dialog, IDS_COMM_ERROR, IDS_CAPTION, MB_ICONERROR | MB_OK);
    return;
  }
  // On failure the request has shown its box and the list stays as it was.
  if (request_RD_MEM(dialog, kOptionModule, address, byteCount, buffer) == 0) {
    appendMemoryDump(&g_memoryDump, address, buffer, byteCount, static_cast<uint8_t>(type));
    showDump(dialog);
  }
  delete[] buffer;
}

}  // namespace

HWND createMemoryReadDialog(HWND parent, uint16_t templateId, LPARAM parameter) {
  return openModeless(parent, templateId, memoryReadDialogProc, parameter);
}

INT_PTR CALLBACK memoryReadDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      onOpen(dialog);
      return TRUE;
    case WM_COMMAND: {
      int id = LOWORD(wParam);
      if (id == IDCANCEL) {
        closeModeless(dialog, IDD_MEMORY_READ, nullptr, GetDlgItem(dialog, IDC_MEMORY_LIST), &g_memoryListWidths);
        return TRUE;
      }
      if (HIWORD(wParam) != BN_CLICKED) return FALSE;
      if (id >= IDC_MEMORY_BYTE && id <= IDC_MEMORY_LONG) onTypeClicked(dialog, id);
      else if (id == IDC_MEMORY_READ_START) onRead(dialog);
      else if (id == IDC_MEMORY_CLEAR) {
        g_memoryDump.count = 0;
        ListViewClear(GetDlgItem(dialog, IDC_MEMORY_LIST));
      } else {
        return FALSE;
      }
      return TRUE;
    }
    default:
      return FALSE;
  }
}
