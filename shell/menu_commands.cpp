// Menu commands, the modeless dialog slots, data file selection and the file
// load, save and verify commands of the main window; which dialog a command
// opens is the table of dialogs' (toolkit/dialog_rows.h).
#include <windows.h>
#include <commdlg.h>
#include <cstring>

#include "files/definitions.h"
#include "files/file_error.h"
#include "files/parameter_file.h"
#include "files/point_file.h"
#include "files/settings.h"
#include "link/connection.h"
#include "link/request.h"
#include "resources/resource.h"
#include "shell/dialog_table.h"
#include "shell/shell_win32.h"
#include "toolkit/dialog_toolkit.h"

HWND g_modelessSlots[MODELESS_SLOT_COUNT];

namespace {
const wchar_t kPointFilter[] = L"PNT files {*.PNT}\0*.PNT\0";
const wchar_t kParameterFilter[] = L"PRM files {*.PRM}\0*.PRM\0";
const wchar_t kDefinitionFilter[] = L"Cfg Files (*.cfg)\0*.cfg\0All Files (*.*)\0*.*\0";
// Load and verify need an existing file.
constexpr DWORD kOpenFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
// The connection dialog reads and stores the saved port of the settings block.
const SavedPortAccess kSavedPort{savedPort, setSavedPort};

// A slot whose dialog is being created: a box shown during its creation leaves
// the main window usable, and a second command then must not make a second one.
bool g_opening[MODELESS_SLOT_COUNT];

void openModeless(HWND mainWindow, int slot, LPARAM parameter) {
  if (g_modelessSlots[slot]) {
    SetActiveWindow(g_modelessSlots[slot]);
    return;
  }
  if (g_opening[slot]) return;
  g_opening[slot] = true;
  HWND dialog = createModelessDialog(mainWindow, ModelessSlotTable[slot].templateId, parameter);
  g_opening[slot] = false;
  // Gone already (the main window went during its creation): nothing to hold.
  g_modelessSlots[slot] = dialog && IsWindow(dialog) ? dialog : nullptr;
}

void selectDataFile(HWND mainWindow) {
  char path[PATH_BYTES] = "ParmDef.cfg";
  if (!chooseFileName(mainWindow, 0, path, L"cfg", kDefinitionFilter, OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST))
    return;
  closeAllModeless();
  uint16_t result = reloadDefinitions(path);
  std::memcpy(g_definitionPath, path, PATH_BYTES);
  if (result != 0) {
    showFileError(nullptr, FILE_ERROR_DEFINITION_READ, result);
    std::memset(g_definitionPath, 0, PATH_BYTES);
    PostMessageW(mainWindow, WM_COMMAND, IDM_DATA_FILE_SELECT, 0);
  }
  repaintStatusBar();
}

void loadMotorFile(uint16_t motorType) {
  closeAllModeless();
  g_motorType = loadMotorDefinitions(motorType);
  repaintStatusBar();
}

void loadFromFile(HWND mainWindow, bool points) {
  char path[PATH_BYTES] = {};
  if (!chooseFileName(mainWindow, 0, path, points ? L"pnt" : L"prm", points ? kPointFilter : kParameterFilter,
                      kOpenFlags))
    return;
  // The load reads the file itself, into a copy no reader of the module can touch.
  runTransferDialog(mainWindow, IDD_TRANSFER_LOAD, points, path);
}

void saveToFile(HWND mainWindow, bool points) {
  char path[PATH_BYTES] = {};
  if (!chooseFileName(mainWindow, 1, path, points ? L"PNT" : L"PRM", points ? kPointFilter : kParameterFilter,
                      kSaveFileFlags))
    return;
  // The file is replaced only after the module's data has been read whole.
  if (runTransferDialog(mainWindow, IDD_TRANSFER_SAVE, points, nullptr) != 1) return;
  uint16_t result = points ? writePointFile(path, livePointTable()->points)
                           : writeParameterFile(path, &g_parameterTable);
  if (result != 0) showFileError(mainWindow, points ? FILE_ERROR_POINT_WRITE : FILE_ERROR_DATA_WRITE, result);
}

void verifyFile(HWND mainWindow, bool points) {
  char path[PATH_BYTES] = {};
  if (!chooseFileName(mainWindow, 0, path, points ? L"pnt" : L"prm", points ? kPointFilter : kParameterFilter,
                      kOpenFlags))
    return;
  // The dialog copies the path while it initialises.
  openModeless(mainWindow, slotOfTemplate(points ? IDD_POINT_VERIFY : IDD_PARAM_VERIFY),
               reinterpret_cast<LPARAM>(path));
}
}  // namespace


void closeAllModeless() {
  for (int slot = 0; slot < MODELESS_SLOT_COUNT; ++slot) {
    HWND dialog = g_modelessSlots[slot];
    if (!dialog) continue;
    SendMessageW(dialog, UM_END_WORK, 0, 0);
    SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  }
}

void destroyAllModeless() {
  for (int slot = 0; slot < MODELESS_SLOT_COUNT; ++slot) {
    HWND dialog = g_modelessSlots[slot];
    g_modelessSlots[slot] = nullptr;
    if (dialog && IsWindow(dialog)) DestroyWindow(dialog);
  }
}

bool offerToModeless(MSG* message) {
  for (int slot = 0; slot < MODELESS_SLOT_COUNT; ++slot)
    if (g_modelessSlots[slot] && IsDialogMessageW(g_modelessSlots[slot], message)) return true;
  return false;
}

void onDialogClosed(WPARAM templateId) {
  int slot = slotOfTemplate(static_cast<uint32_t>(templateId));
  if (slot < 0) return;
  HWND dialog = g_modelessSlots[slot];
  g_modelessSlots[slot] = nullptr;
  if (dialog) DestroyWindow(dialog);
}

void onDataChanged(WPARAM templateId, LPARAM entry) {
  if (!isListDialog(static_cast<uint32_t>(templateId))) return;
  HWND dialog = g_modelessSlots[slotOfTemplate(static_cast<uint32_t>(templateId))];
  if (dialog) SendMessageW(dialog, UM_DATA_CHANGED, 0, entry);
}

void onMenuCommand(HWND mainWindow, int command) {
  switch (command) {
    case IDM_DATA_FILE_SELECT: selectDataFile(mainWindow); return;
    case IDM_LOAD_ROTARY_DEFS: loadMotorFile(MOTOR_ROTARY); return;
    case IDM_LOAD_LINEAR_DEFS: loadMotorFile(MOTOR_LINEAR); return;
    case IDM_CLOSE: SendMessageW(mainWindow, WM_CLOSE, 0, 0); return;
    default: break;
  }
  int index = dialogRowOfCommand(static_cast<uint32_t>(command));
  if (index < 0) return;
  const DialogRow& row = kDialogRows[index];
  // The dialogs with steps of their own around them: a file to choose first, or
  // the status poll to start after a connection.
  switch (row.templateId) {
    case IDD_CONNECT:
      if (runModalDialog(mainWindow, IDD_CONNECT, reinterpret_cast<LPARAM>(&kSavedPort)) == 1) startStatusPolling(mainWindow);
      return;
    case IDD_TRANSFER_LOAD: loadFromFile(mainWindow, row.points); return;
    case IDD_TRANSFER_SAVE: saveToFile(mainWindow, row.points); return;
    case IDD_POINT_VERIFY:
    case IDD_PARAM_VERIFY: verifyFile(mainWindow, row.points); return;
    default: break;
  }
  if (row.kind == DialogKind::kModal) runModalDialog(mainWindow, row.templateId, 0);
  else openModeless(mainWindow, row.windowSlot, 0);
}
