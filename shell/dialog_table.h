// The one table of dialogs, Win32 part: the creation function of every row of
// toolkit/dialog_rows.h, in the same order (a build check holds them in step).
// Rows are written out here rather than registered by the dialog files, so no
// dialog can be dropped silently from a static library. Each subsystem declares
// its dialog functions in its own header (files/transfer_dialogs.h, ...).
#pragma once
#include <windows.h>
#include <cstdint>

#include "toolkit/dialog_rows.h"

// Creates the modeless dialog (parent = main window) or returns null.
using ModelessFactory = HWND (*)(HWND parent, uint16_t templateId, LPARAM parameter);
// Runs a modal transfer dialog; `points` selects the point-table variant.
using TransferRunner = INT_PTR (*)(HWND owner, uint16_t templateId, bool points, const char* path);

// One of the three is set, by the row's kind: a modeless factory, or for a modal
// dialog its procedure (run with DialogBoxParamW) or its transfer runner.
struct DialogFunctions {
  uint16_t templateId;   // the portable row's
  ModelessFactory create;
  DLGPROC procedure;
  TransferRunner run;
};

// Null when the table has no creation function for the template (the command
// then does nothing visible).
HWND createModelessDialog(HWND parent, uint16_t templateId, LPARAM parameter);
// Runs the modal dialog of a template with its procedure; -1 when it has none.
INT_PTR runModalDialog(HWND owner, uint16_t templateId, LPARAM parameter);
// -1 when the table has no runner for the template.
INT_PTR runTransferDialog(HWND owner, uint16_t templateId, bool points, const char* path);

// Tests put a stand-in in place of a template's function; each returns the
// function it replaced so the test can put it back. A template without a row gets none.
ModelessFactory replaceModelessDialog(uint16_t templateId, ModelessFactory factory);
TransferRunner replaceTransferDialog(uint16_t templateId, TransferRunner runner);
