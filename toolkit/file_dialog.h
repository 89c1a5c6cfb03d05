// The common file dialog and the UTF-8 paths it hands out: choosing a file, the
// conversions, and the box for a path too long to hold. Win32 only.
#pragma once
#include <windows.h>
#include <commdlg.h>

#include "toolkit/path_bytes.h"

// A save only proposes the name, and asks before replacing a file.
constexpr DWORD kSaveFileFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;

// The common file dialog. `path` (PATH_BYTES, UTF-8) holds the proposed name and
// receives the choice; returns the file-name part inside it, or null on cancel or
// when the chosen path is too long to hold (the user is told so). The current
// directory stays as it was. Nothing is written to the chosen file here.
char* chooseFileName(HWND owner, int save, char* path, const wchar_t* defaultExtension,
                     const wchar_t* filter, DWORD flags);

// UTF-8 and UTF-16 conversions of paths; false, with `out` empty, when the text
// does not fit or does not convert.
bool utf8ToWide(const char* text, wchar_t* out, int size);
bool wideToUtf8(const wchar_t* text, char* out, int size);
// The box for a path the program cannot hold, naming the path when it is known.
void showPathTooLong(HWND owner, const wchar_t* path);
