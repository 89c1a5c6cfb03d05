// The common file dialog and the UTF-8 paths it hands out.
#include <windows.h>

#include "toolkit/file_dialog.h"

#include <commdlg.h>
#include <cderr.h>
#include <cstring>
#include <cwchar>

#include "resources/resource.h"
#include "toolkit/dialog_toolkit.h"

bool utf8ToWide(const char* text, wchar_t* out, int size) {
  if (MultiByteToWideChar(CP_UTF8, 0, text, -1, out, size) > 0) return true;
  out[0] = 0;
  return false;
}

bool wideToUtf8(const wchar_t* text, char* out, int size) {
  if (WideCharToMultiByte(CP_UTF8, 0, text, -1, out, size, nullptr, nullptr) > 0) return true;
  out[0] = 0;
  return false;
}

void showPathTooLong(HWND owner, const wchar_t* path) {
  HINSTANCE strings = ResourceInstance(owner);
  wchar_t text[512 + PATH_BYTES] = {};
  wchar_t caption[128] = {};
  LoadStringW(strings, IDS_PATH_TOO_LONG, text, 512);
  LoadStringW(strings, IDS_CAPTION, caption, 128);
  if (path) wcsncat(text, path, PATH_BYTES);
  MessageBoxW(owner, text, caption, MB_OK | MB_ICONERROR);
}

char* chooseFileName(HWND owner, int save, char* path, const wchar_t* defaultExtension, const wchar_t* filter,
                     DWORD flags) {
  wchar_t file[MAX_PATH + 1] = {};
  utf8ToWide(path, file, MAX_PATH);   // a proposed name that does not fit is dropped
  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter;
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file;
  ofn.nMaxFile = MAX_PATH;
  ofn.lpstrDefExt = defaultExtension;
  // The program's own files are found through the start directory, but the
  // current directory is left alone all the same.
  ofn.Flags = flags | OFN_EXPLORER | OFN_NOCHANGEDIR;
  BOOL chosen = save ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
  if (!chosen) {
    if (CommDlgExtendedError() == FNERR_BUFFERTOOSMALL) showPathTooLong(owner, nullptr);
    return nullptr;
  }
  if (!wideToUtf8(file, path, PATH_BYTES)) {
    showPathTooLong(owner, file);
    return nullptr;
  }
  char* name = std::strrchr(path, '\\');
  return name ? name + 1 : path;
}
