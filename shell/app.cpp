// Start-up, message loop and exit steps of the desktop program.
#include <windows.h>
#include <commctrl.h>
#include <cstdio>
#include <cstring>

#include "files/definitions.h"
#include "files/file_error.h"
#include "files/guarded_file.h"
#include "files/settings.h"
#include "link/link_state.h"
#include "resources/resource.h"
#include "shell/shell_win32.h"
#include "toolkit/dialog_toolkit.h"

namespace {
constexpr const wchar_t* REGISTRY_KEY = L"SOFTWARE\\QZ_MMI";
constexpr const wchar_t* REGISTRY_VALUE = L"MotorType";
HINSTANCE g_library = nullptr;

bool registerMainClass(HINSTANCE instance) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
  wc.lpfnWndProc = mainWindowProc;
  wc.hInstance = instance;
  wc.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_QZSETUP));
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszMenuName = MAKEINTRESOURCEW(IDM_MAIN);
  wc.lpszClassName = MAIN_WINDOW_CLASS;
  wc.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_QZSETUP), IMAGE_ICON, 16, 16, 0));
  return RegisterClassExW(&wc) != 0;
}

// The library is missing: say which file, from the executable's own strings.
void reportMissingLibrary(HINSTANCE instance, const wchar_t* path) {
  wchar_t text[512 + PATH_BYTES] = {};
  wchar_t caption[128] = {};
  LoadStringW(instance, IDS_RESOURCE_MISSING, text, 400);
  LoadStringW(instance, IDS_CAPTION, caption, 128);
  wcsncat(text, path, PATH_BYTES);
  MessageBoxW(nullptr, text, caption, MB_OK | MB_ICONERROR);
}

// SetData.cfg in the start directory; empty until the start directory is known.
char g_settingsPath[PATH_BYTES];

void exitSteps(HINSTANCE instance) {
  writeMotorType(g_motorType);
  if (g_settingsPath[0]) saveSettings(g_settingsPath);
  fileLockClose();
  if (g_library) FreeLibrary(g_library);
  g_library = nullptr;
  setResourceLibrary(nullptr);
  UnregisterClassW(MAIN_WINDOW_CLASS, instance);
}
}  // namespace

uint16_t readMotorType() {
  HKEY key = nullptr;
  DWORD disposition = 0;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, REGISTRY_KEY, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      &disposition) != ERROR_SUCCESS) {
    // A standard user cannot open HKLM for writing; the value can still be read.
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, REGISTRY_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS)
      return MOTOR_ROTARY;
  }
  DWORD value = 0, size = sizeof value, type = 0;
  LONG result = RegQueryValueExW(key, REGISTRY_VALUE, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
  RegCloseKey(key);
  return motorTypeFromValue(result == ERROR_SUCCESS, size, value);
}

void writeMotorType(uint16_t motorType) {
  HKEY key = nullptr;
  DWORD disposition = 0;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, REGISTRY_KEY, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                      &disposition) != ERROR_SUCCESS)
    return;   // no rights: the value stays as it was
  DWORD value = motorType;
  RegSetValueExW(key, REGISTRY_VALUE, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  RegCloseKey(key);
}

int runSetupTool(HINSTANCE instance, int showCommand) {
  if (FindWindowW(MAIN_WINDOW_CLASS, nullptr)) return 0;
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_ANIMATE_CLASS | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  if (!registerMainClass(instance)) return 0;
  installDesktopPrompt();
  linkFlagsClear();
  resetModeRecord();
  // The table is filled by appending; a start in the same process (the GUI test
  // bed) must not find the last run's definitions in it.
  clearDefinitions();
  std::memset(g_definitionPath, 0, sizeof g_definitionPath);
  std::memset(g_modelessSlots, 0, sizeof(HWND) * MODELESS_SLOT_COUNT);
  g_mainWindow = nullptr;
  g_statusBar = nullptr;
  fileLockCreate();

  // Every file of the program's own is found through the start directory, so a
  // directory that cannot be held whole ends the program with a word, before
  // anything is read or written.
  std::memset(g_settingsPath, 0, sizeof g_settingsPath);
  wchar_t directory[PATH_BYTES] = {};
  char directoryText[PATH_BYTES] = {};
  DWORD length = GetCurrentDirectoryW(PATH_BYTES, directory);
  if (length == 0 || length >= PATH_BYTES || !wideToUtf8(directory, directoryText, PATH_BYTES) ||
      !recordStartDirectory(directoryText)) {
    showPathTooLong(nullptr, length < PATH_BYTES ? directory : nullptr);
    fileLockClose();
    UnregisterClassW(MAIN_WINDOW_CLASS, instance);
    return 0;
  }
  startDirectoryPath(SETTINGS_FILE_NAME, g_settingsPath);
  loadSettings(g_settingsPath);

  g_motorType = readMotorType();
  startDefinitionPath(g_motorType, g_definitionPath);
  uint16_t result = loadDefinitions(g_definitionPath);
  if (result != 0) {
    showFileError(nullptr, FILE_ERROR_DEFINITION_READ, result);
    exitSteps(instance);
    return 0;
  }

  // The library of the start directory, never one the search order finds elsewhere.
  char libraryName[64] = {};
  std::snprintf(libraryName, sizeof libraryName, "res_%.3s.dll", g_mode.modeCode);
  char libraryText[PATH_BYTES];
  startDirectoryPath(libraryName, libraryText);
  wchar_t libraryPath[PATH_BYTES] = {};
  utf8ToWide(libraryText, libraryPath, PATH_BYTES);
  g_library = LoadLibraryExW(libraryPath, nullptr, 0);
  if (!g_library) {
    reportMissingLibrary(instance, libraryPath);
    exitSteps(instance);
    return 0;
  }
  setResourceLibrary(g_library);

  HWND window = CreateWindowExW(0, MAIN_WINDOW_CLASS, L"", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                800, 600, nullptr, nullptr, instance, nullptr);
  if (!window) {
    exitSteps(instance);
    return 0;
  }
  wchar_t* title = LoadResString(window, IDS_TITLE);
  SetWindowTextW(window, title ? title : L"");
  FreeResString(title);
  ShowWindow(window, showCommand);
  UpdateWindow(window);
  SendMessageW(window, WM_COMMAND, IDM_CONNECT, 0);

  MSG message;
  int code = 0;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (offerToModeless(&message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  if (message.message == WM_QUIT) code = static_cast<int>(message.wParam);
  exitSteps(instance);
  return code;
}
