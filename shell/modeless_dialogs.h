// Where the shell finds the dialogs it opens by template id: each dialog file
// registers its creation function; tests may register their own.
#pragma once
#include <windows.h>
#include <cstdint>

// Creates the modeless dialog (parent = main window) or returns null.
using ModelessFactory = HWND (*)(HWND parent, uint16_t templateId, LPARAM parameter);
// Runs a modal transfer dialog; `points` selects the point-table variant.
using TransferRunner = INT_PTR (*)(HWND owner, uint16_t templateId, bool points, const char* path);

void registerModelessDialog(uint16_t templateId, ModelessFactory factory);
// Returns the runner registered before, so a test can put it back.
TransferRunner registerTransferDialog(uint16_t templateId, TransferRunner runner);

// Null when no dialog is registered for the template (the command then does
// nothing visible).
HWND createModelessDialog(HWND parent, uint16_t templateId, LPARAM parameter);
// -1 when no dialog is registered.
INT_PTR runTransferDialog(HWND owner, uint16_t templateId, bool points, const char* path);
