// The point-table list (IDD_POINT_LIST): a worker reads the 50 points from the module into the
// live table and the dialog shows them; a point changed elsewhere is read again.
#include <windows.h>
#include <commctrl.h>

#include "editing/editing_dialogs.h"
#include "editing/point_rows.h"
#include "files/settings.h"
#include "link/request.h"
#include "resources/resource.h"
#include "toolkit/dialog_toolkit.h"
#include "toolkit/list_view.h"
#include "toolkit/modeless.h"
#include "toolkit/window_messages.h"

namespace {

// What the worker tells its dialog (wParam of UM_WORKER_NOTICE; lParam = point No.).
enum PointListNotice : WPARAM {
  NOTICE_READING = 1,   // about to read the point
  NOTICE_READ = 2,      // the point is in the live table
  NOTICE_FAILED = 3,    // the read failed; its box has been shown
  NOTICE_DONE = 4,      // all 50 read
};

// Kept for the rest of the run, so a reopened list has the widths the user left.
ColumnWidths g_pointListWidths = {POINT_COLUMNS, {92, 112, 111}};
const UINT kColumnTitles[POINT_COLUMNS] = {IDS_POINT_LIST_COL0, IDS_POINT_LIST_COL0 + 1,
                                           IDS_POINT_LIST_COL0 + 2};

struct PointListState {
  Worker worker;
  uint16_t valueFormat = 0;   // copied at opening; used until the dialog closes
};

void readAllPoints(WorkerToken token, void*) {
  HWND dialog = static_cast<HWND>(token.target());   // owns request boxes only
  for (uint16_t number = 1; number <= POINT_COUNT; ++number) {
    if (!workerPost(token, NOTICE_READING, number)) return;
    uint32_t speed = 0, position = 0;
    if (request_GET_PT(dialog, number, &speed, &position) != 0) {
      workerPost(token, NOTICE_FAILED, number);
      token.stop();
      return;
    }
    // A closed dialog's worker stores nothing more: the list it read for is gone.
    bool stored = token.reach([&](void* target) {
      PointEntry& entry = livePointTable()->points[number - 1];
      entry.speed = speed;
      entry.position = static_cast<int32_t>(position);
      PostMessageW(static_cast<HWND>(target), UM_WORKER_NOTICE, NOTICE_READ, number);
    });
    if (!stored) return;
  }
  workerPost(token, NOTICE_DONE, 0);
}

void rowTexts(const PointListState* state, uint16_t number, wchar_t out[POINT_COLUMNS][FIELD_TEXT_SIZE]) {
  PointRowTexts row;
  pointRowTexts(number, livePointTable()->points[number - 1], state->valueFormat, &row);
  for (int c = 0; c < POINT_COLUMNS; ++c) sjisToWide(row.columns[c], out[c], FIELD_TEXT_SIZE);
}

void appendRow(HWND dialog, const PointListState* state, uint16_t number) {
  HWND list = GetDlgItem(dialog, IDC_LIST);
  // Rows go in point order; a notice for a row already shown changes nothing.
  if (ListViewRowCount(list) != number - 1) return;
  wchar_t texts[POINT_COLUMNS][FIELD_TEXT_SIZE];
  rowTexts(state, number, texts);
  const wchar_t* cells[POINT_COLUMNS] = {texts[0], texts[1], texts[2]};
  ListViewAppendRow(list, cells, POINT_COLUMNS);
}

// Speed and position of the point's row from the live table (when it is shown).
void redrawRow(HWND dialog, const PointListState* state, uint16_t number) {
  HWND list = GetDlgItem(dialog, IDC_LIST);
  if (number < 1 || number > POINT_COUNT || number > ListViewRowCount(list)) return;
  wchar_t texts[POINT_COLUMNS][FIELD_TEXT_SIZE];
  rowTexts(state, number, texts);
  ListViewSetCell(list, number - 1, 1, texts[1]);
  ListViewSetCell(list, number - 1, 2, texts[2]);
}

// String 10 with the point number over its "XXX".
void setReadingLabel(HWND dialog, uint16_t number) {
  wchar_t* text = LoadResString(dialog, IDS_READ_POINT);
  char bytes[RES_STRING_BYTES * 2] = {};
  if (text) WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes, sizeof bytes - 1, nullptr, nullptr);
  FreeResString(text);
  composePointReadLabel(bytes, number);
  wchar_t label[RES_STRING_BYTES / 2] = {};
  MultiByteToWideChar(CP_UTF8, 0, bytes, -1, label, RES_STRING_BYTES / 2 - 1);
  ProgressStep(dialog, IDC_PROGRESS, IDC_PROGRESS_LABEL, label);
}

void onNotice(HWND dialog, PointListState* state, WPARAM kind, uint16_t number) {
  switch (kind) {
    case NOTICE_READING:
      setReadingLabel(dialog, number);
      break;
    case NOTICE_READ:
      if (number >= 1 && number <= POINT_COUNT) appendRow(dialog, state, number);
      break;
    case NOTICE_DONE:
      SetItemTextW(dialog, IDC_PROGRESS_LABEL, L"");
      ShowWindow(GetDlgItem(dialog, IDC_PROGRESS), SW_HIDE);
      break;
    default:   // NOTICE_FAILED: the reading stops where it failed
      break;
  }
}

// A point written elsewhere: read it again; the row shows the live table either way.
void refreshPoint(HWND dialog, PointListState* state, LPARAM entry) {
  if (entry < 1 || entry > POINT_COUNT) return;
  uint16_t number = static_cast<uint16_t>(entry);
  uint32_t speed = 0, position = 0;
  if (request_GET_PT(dialog, number, &speed, &position) == 0) {
    PointEntry& point = livePointTable()->points[number - 1];
    point.speed = speed;
    point.position = static_cast<int32_t>(position);
  }
  redrawRow(dialog, state, number);
}

}  // namespace

HWND createPointListDialog(HWND parent, uint16_t templateId, LPARAM parameter) {
  return openModeless(parent, templateId, pointListDialogProc, parameter);
}

INT_PTR CALLBACK pointListDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  PointListState* state = dialogState<PointListState>(dialog);
  switch (message) {
    case WM_INITDIALOG: {
      state = attachDialogState(dialog, new PointListState);
      CenterDialog(dialog, 0);
      state->valueFormat = environmentSettings().valueFormat;
      // Speed and position are right-aligned numbers.
      ListViewSetup(GetDlgItem(dialog, IDC_LIST), dialog, kColumnTitles, g_pointListWidths, 0x6, true);
      ProgressStart(dialog, IDC_PROGRESS, POINT_COUNT, 1, IDC_PROGRESS_LABEL, L"");
      workerStart(&state->worker, dialog, readAllPoints, nullptr);
      return TRUE;
    }
    case UM_WORKER_NOTICE:
      if (state) onNotice(dialog, state, wParam, static_cast<uint16_t>(lParam));
      return TRUE;
    case UM_DATA_CHANGED:
      if (state) refreshPoint(dialog, state, lParam);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL && state) {
        closeModeless(dialog, IDD_POINT_LIST, &state->worker, GetDlgItem(dialog, IDC_LIST), &g_pointListWidths);
        return TRUE;
      }
      return FALSE;
    case WM_NCDESTROY:
      freeDialogState<PointListState>(dialog);
      return FALSE;
    default:
      return FALSE;
  }
}
