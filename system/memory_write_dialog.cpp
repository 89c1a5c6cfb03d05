// Memory write (161): writes one byte, word or long into the option module's
// memory, least significant byte first.
#include <windows.h>

#include "files/settings.h"
#include "link/request.h"
#include "resources/resource.h"
#include "system/memory_fields.h"
#include "system/system_dialogs.h"
#include "toolkit/dialog_toolkit.h"
#include "toolkit/modeless.h"

namespace {

constexpr uint8_t kOptionModule = 0;   // device "QZ"

// The data field in the type's own width; the format's storage is 8, 16 or 32 bits.
void showValue(HWND dialog, uint32_t value, uint8_t type) {
  uint8_t byte = static_cast<uint8_t>(value);
  uint16_t word = static_cast<uint16_t>(value);
  const void* stored = type == MEMORY_LONG ? static_cast<const void*>(&value)
                       : type == MEMORY_WORD ? static_cast<const void*>(&word)
                                             : static_cast<const void*>(&byte);
  SetNumericField(dialog, IDC_MEMORY_DATA, stored, memoryDataFormat(type));
}

bool readValue(HWND dialog, uint8_t type, uint32_t* value) {
  uint8_t byte = 0;
  uint16_t word = 0;
  uint32_t full = 0;
  void* stored = type == MEMORY_LONG ? static_cast<void*>(&full)
                 : type == MEMORY_WORD ? static_cast<void*>(&word)
                                       : static_cast<void*>(&byte);
  if (!GetNumericField(dialog, IDC_MEMORY_DATA, stored, memoryDataFormat(type))) return false;
  *value = type == MEMORY_LONG ? full : type == MEMORY_WORD ? word : byte;
  return true;
}

void onOpen(HWND dialog) {
  CenterDialog(dialog, 0);
  const MemoryWriteSettings& kept = g_memoryWriteSettings;
  SetNumericField(dialog, IDC_MEMORY_ADDRESS, &kept.address, MEMORY_ADDRESS_FORMAT);
  SetRadioGroup(dialog, IDC_MEMORY_BYTE, kept.dataType);
  showValue(dialog, kept.writeValue, kept.dataType);
}

// The text is read with the width of the type it was typed for, into 32 bits.
void onTypeClicked(HWND dialog, int id) {
  uint8_t type = static_cast<uint8_t>(id - IDC_MEMORY_BYTE);
  uint32_t value = 0;
  if (!GetNumericField(dialog, IDC_MEMORY_DATA, &value, memoryDataReadFormat(g_memoryWriteSettings.dataType)))
    value = 0;
  value = memoryValueAfterTypeChange(value, type);
  SetNumericField(dialog, IDC_MEMORY_DATA, &value, memoryDataReadFormat(type));
  g_memoryWriteSettings.dataType = type;
}

void onWrite(HWND dialog) {
  int type = GetRadioGroup(dialog, IDC_MEMORY_BYTE);
  if (type < 0) type = MEMORY_BYTE;
  uint32_t address = 0, value = 0;
  if (!GetNumericField(dialog, IDC_MEMORY_ADDRESS, &address, MEMORY_ADDRESS_FORMAT) ||
      !readValue(dialog, static_cast<uint8_t>(type), &value)) {
    ShowMessage(dialog, IDS_INVALID_INPUT, IDS_CAPTION, MB_ICONERROR);
    return;
  }
  g_memoryWriteSettings.address = address;
  g_memoryWriteSettings.writeValue = value;
  g_memoryWriteSettings.dataType = static_cast<uint8_t>(type);
  uint8_t bytes[4];
  uint16_t count = memoryWriteBytes(value, static_cast<uint8_t>(type), bytes);
  request_WR_MEM(dialog, kOptionModule, address, count, bytes);
}

}  // namespace

HWND createMemoryWriteDialog(HWND parent, uint16_t templateId, LPARAM parameter) {
  return openModeless(parent, templateId, memoryWriteDialogProc, parameter);
}

INT_PTR CALLBACK memoryWriteDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      onOpen(dialog);
      return TRUE;
    case WM_COMMAND: {
      int id = LOWORD(wParam);
      if (id == IDCANCEL) {
        closeModeless(dialog, IDD_MEMORY_WRITE, nullptr, nullptr, nullptr);
        return TRUE;
      }
      if (HIWORD(wParam) != BN_CLICKED) return FALSE;
      if (id >= IDC_MEMORY_BYTE && id <= IDC_MEMORY_LONG) onTypeClicked(dialog, id);
      else if (id == IDC_MEMORY_WRITE_START) onWrite(dialog);
      else return FALSE;
      return TRUE;
    }
    default:
      return FALSE;
  }
}
