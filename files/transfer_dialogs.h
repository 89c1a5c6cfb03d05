// The transfer dialogs: the modal load and save (one procedure, a point-table and a
// parameter variant) and the two modeless verify dialogs. Win32 only.
#pragma once
#include <windows.h>
#include <cstdint>

// Runs the load (IDD_TRANSFER_LOAD) or save (IDD_TRANSFER_SAVE) of the point table
// (`points`) or the parameters. A load reads `path` (UTF-8) first and sends from
// its own copy; a file it cannot read is shown and nothing is sent. A save does
// not use `path` (the caller writes the file). 1: a save read every entry, so its
// file may be written; 2 otherwise.
INT_PTR runTransfer(HWND owner, uint16_t templateId, bool points, const char* path);

// Create the verify dialogs; `parameter` is the chosen file's path (UTF-8,
// terminated), copied while the dialog initialises.
HWND createPointVerifyDialog(HWND parent, uint16_t templateId, LPARAM parameter);
HWND createParameterVerifyDialog(HWND parent, uint16_t templateId, LPARAM parameter);
