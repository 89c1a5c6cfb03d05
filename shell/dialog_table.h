// The one table of the dialogs the shell opens: one row per dialog with its
// template and its creation function (the menu command and the slot order of a
// modeless dialog are the portable slot table's, shell_state.h). Rows are
// written out here rather than registered by the dialog files, so no dialog can
// be dropped silently from a static library. Each subsystem declares its dialog
// functions in its own header (files/file_dialogs.h, editing/editing_dialogs.h, ...).
#pragma once
#include <windows.h>
#include <cstdint>

// Creates the modeless dialog (parent = main window) or returns null.
using ModelessFactory = HWND (*)(HWND parent, uint16_t templateId, LPARAM parameter);
// Runs a modal transfer dialog; `points` selects the point-table variant.
using TransferRunner = INT_PTR (*)(HWND owner, uint16_t templateId, bool points, const char* path);

struct DialogRow {
  uint16_t templateId;
  ModelessFactory create;    // modeless dialogs
  TransferRunner run;        // modal transfer dialogs
};

// Null when the table has no creation function for the template (the command
// then does nothing visible).
HWND createModelessDialog(HWND parent, uint16_t templateId, LPARAM parameter);
// -1 when the table has no runner for the template.
INT_PTR runTransferDialog(HWND owner, uint16_t templateId, bool points, const char* path);

// Tests put a stand-in in place of a row's function; each returns the function it
// replaced so the test can put it back. A template without a row gets none.
ModelessFactory replaceModelessDialog(uint16_t templateId, ModelessFactory factory);
TransferRunner replaceTransferDialog(uint16_t templateId, TransferRunner runner);
