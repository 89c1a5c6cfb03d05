// The program's private window messages, in one place. Portable: plain numbers.
#pragma once
#include <cstdint>

// To the main window. wParam = the template id of the modeless dialog to destroy.
constexpr uint32_t UM_DIALOG_CLOSED = 0x0464;    // WM_USER + 100
// To the main window, which passes it on to an open list dialog. wParam = the list's
// template id, lParam = the entry (see the list dialogs for what identifies it).
constexpr uint32_t UM_DATA_CHANGED = 0x0465;     // WM_USER + 101
// Posted by the status poll's notice: repaint the status bar.
constexpr uint32_t UM_STATUS_REPAINT = 0x0466;   // WM_USER + 102
// Posted by a dialog's worker to its own dialog; what wParam and lParam mean
// belongs to that dialog.
constexpr uint32_t UM_WORKER_NOTICE = 0x0467;    // WM_USER + 103
// Sent by the main window to each open modeless dialog just before the IDCANCEL
// that closes it at exit or at a definition-file switch: end every worker and
// every held motion now, without asking (the link shuts down next).
constexpr uint32_t UM_END_WORK = 0x0468;         // WM_USER + 104
// Posted by the jog dialog to itself from a button's draw request or capture loss,
// so the FEED__ or STOP__ goes out after painting. wParam = the button id
// (IDC_OP_FORWARD or IDC_OP_REVERSE), lParam = 1 pushed, 0 let go. Its own number: a worker notice must never
// be taken for a jog button edge.
constexpr uint32_t UM_JOG_EDGE = 0x0469;         // WM_USER + 105
