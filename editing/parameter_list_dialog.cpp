// The servo and option parameter lists (IDD_SERVO_PARAM_LIST, IDD_OPTION_PARAM_LIST).
// One procedure, each template with its own column widths and row maps. A worker
// reads the module's values one request at a time and hands each to the dialog,
// which alone stores it and writes the list.
#include <windows.h>
#include <commctrl.h>
#include <cstring>

#include "editing/editing_dialogs.h"
#include "editing/parameter_rows.h"
#include "link/request.h"
#include "resources/resource.h"
#include "toolkit/dialog_toolkit.h"
#include "toolkit/list_view.h"
#include "toolkit/modeless.h"
#include "toolkit/window_messages.h"

namespace {

// What a worker notice (UM_WORKER_NOTICE) says, in wParam; lParam as noted.
enum ListNotice : WPARAM {
  NOTICE_READING = 1,   // lParam: the parameter number being read
  NOTICE_VALUE = 2,     // lParam: definition index << 32 | the value read
  NOTICE_DONE = 3,      // every definition handled
};

// Kept for the rest of the run, one per template.
ColumnWidths g_servoWidths = {PARAMETER_COLUMNS, {94, 330, 92, 130}};
ColumnWidths g_optionWidths = {PARAMETER_COLUMNS, {94, 330, 92, 130}};

const UINT kColumnStrings[PARAMETER_COLUMNS] = {IDS_PARAM_LIST_COL0, IDS_PARAM_LIST_COL0 + 1,
                                                IDS_PARAM_LIST_COL0 + 2, IDS_PARAM_LIST_COL0 + 3};

struct ListState {
  uint16_t templateId = 0;
  HWND list = nullptr;
  Worker worker;
  ParameterRowMaps maps;   // about 256 KiB, hence the heap
};

ColumnWidths* widthsOf(uint16_t templateId) {
  return templateId == IDD_OPTION_PARAM_LIST ? &g_optionWidths : &g_servoWidths;
}

// Reads every listed definition in table order. It reads only the numbers of the
// table (the values are stored by the dialog) and stops at the first failure
// other than "no such parameter", whose box the request interface has shown.
void readingWorker(WorkerToken token, void* context) {
  uint16_t templateId = static_cast<uint16_t>(reinterpret_cast<uintptr_t>(context));
  HWND dialog = static_cast<HWND>(token.target());   // owns request boxes only
  for (uint16_t index = 0; token.running(); ++index) {
    if (index >= g_parameterTable.count || index >= MAX_DEFINITIONS) {
      workerPost(token, NOTICE_DONE, 0);
      return;
    }
    const ParameterDefinition& def = g_parameterTable.entries[index];
    if (!listShowsDefinition(templateId, def)) continue;
    uint16_t number = def.number;
    if (!workerPost(token, NOTICE_READING, number)) return;
    uint16_t echoed = 0;
    uint32_t value = 0;
    uint16_t result = request_RDPARM(dialog, 0, number, &echoed, &value);
    if (result == 2) continue;
    if (result != 0) {
      token.stop();
      return;
    }
    if (!workerPost(token, NOTICE_VALUE, static_cast<LPARAM>((static_cast<uint64_t>(index) << 32) | value)))
      return;
  }
}

void setReadingLabel(HWND dialog, uint16_t number) {
  wchar_t* text = LoadResString(dialog, IDS_READ_PARAM);
  if (!text) return;
  // The placeholder is replaced in the string's Shift-JIS bytes, where it was defined.
  char bytes[RES_STRING_BYTES] = {};
  WideCharToMultiByte(932, 0, text, -1, bytes, sizeof bytes - 1, nullptr, nullptr);
  FreeResString(text);
  composeParameterReadLabel(bytes, number);
  wchar_t wide[RES_STRING_BYTES / 2];
  sjisToWide(bytes, wide, RES_STRING_BYTES / 2);
  ProgressStep(dialog, IDC_PROGRESS, IDC_PROGRESS_LABEL, wide);
}

void writeValueCell(ListState* state, uint16_t index) {
  uint16_t row = rowOfDefinition(state->maps, index);
  if (row == NO_ROW) return;
  char text[ROW_TEXT_SIZE];
  parameterValueText(g_parameterTable.entries[index], text);
  ListViewSetCellBytes(state->list, row, 2, text);
}

// Stores a value the worker read and gives its definition the next row. A notice
// from before a definition reload belongs to no row of this table.
void takeValue(ListState* state, LPARAM word) {
  uint64_t bits = static_cast<uint64_t>(word);
  uint16_t index = static_cast<uint16_t>(bits >> 32);
  if (state->maps.generation != definitionGeneration() || index >= g_parameterTable.count) return;
  ParameterDefinition& def = g_parameterTable.entries[index];
  def.value = static_cast<int32_t>(static_cast<uint32_t>(bits));
  if (assignRow(&state->maps, index) == NO_ROW) return;
  ParameterRowTexts row;
  parameterRowTexts(def, &row);
  const char* texts[PARAMETER_COLUMNS] = {row.columns[0], row.columns[1], row.columns[2], row.columns[3]};
  ListViewAppendRowBytes(state->list, texts, PARAMETER_COLUMNS);
}

void start(HWND dialog, ListState* state) {
  CenterDialog(dialog, 0);
  clearRowMaps(&state->maps, definitionGeneration());
  ProgressStart(dialog, IDC_PROGRESS, countListedDefinitions(state->templateId, g_parameterTable), 1,
                IDC_PROGRESS_LABEL, L"");
  ListViewSetup(state->list, dialog, kColumnStrings, *widthsOf(state->templateId), 1u << 2, false);
  if (!workerStart(&state->worker, dialog, readingWorker,
                   reinterpret_cast<void*>(static_cast<uintptr_t>(state->templateId))))
    ShowWindow(GetDlgItem(dialog, IDC_PROGRESS), SW_HIDE);
}

// Opens the editor of the selected row's kind; rewrites the row when it wrote.
void editSelected(HWND dialog, ListState* state) {
  int row = ListViewSelectedRow(state->list);
  if (row < 0 || state->maps.generation != definitionGeneration()) return;
  uint16_t index = definitionOfRow(state->maps, static_cast<uint16_t>(row));
  if (index == NO_ROW || index >= g_parameterTable.count) return;
  if (runParameterEditor(dialog, &g_parameterTable.entries[index]) == 1) writeValueCell(state, index);
}

// A transfer changed a definition's value on the module: read it back.
void refresh(HWND dialog, ListState* state, LPARAM word) {
  ParameterRefresh entry = unpackParameterRefresh(static_cast<uint64_t>(word));
  if (!refreshApplies(entry, state->maps, state->templateId, g_parameterTable, definitionGeneration())) return;
  ParameterDefinition& def = g_parameterTable.entries[entry.definitionIndex];
  uint16_t echoed = 0;
  uint32_t value = 0;
  if (request_RDPARM(dialog, 0, def.number, &echoed, &value) != 0) return;
  def.value = static_cast<int32_t>(value);
  writeValueCell(state, entry.definitionIndex);
}

}  // namespace

INT_PTR CALLBACK parameterListDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  ListState* state = dialogState<ListState>(dialog);
  switch (message) {
    case WM_INITDIALOG:
      state = attachDialogState(dialog, new ListState);
      state->templateId = static_cast<uint16_t>(lParam);
      state->list = GetDlgItem(dialog, IDC_LIST);
      start(dialog, state);
      return TRUE;
    case WM_COMMAND:
      if (!state) return FALSE;
      if (LOWORD(wParam) == IDC_PARAM_LIST_EDIT) {
        editSelected(dialog, state);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        closeModeless(dialog, state->templateId, &state->worker, state->list, widthsOf(state->templateId));
        return TRUE;
      }
      return FALSE;
    case WM_NOTIFY: {
      const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
      if (state && header->idFrom == IDC_LIST && header->code == NM_DBLCLK) editSelected(dialog, state);
      return FALSE;
    }
    case UM_WORKER_NOTICE:
      if (!state) return TRUE;
      if (wParam == NOTICE_READING) setReadingLabel(dialog, static_cast<uint16_t>(lParam));
      if (wParam == NOTICE_VALUE) takeValue(state, lParam);
      if (wParam == NOTICE_DONE) {
        SetItemText(dialog, IDC_PROGRESS_LABEL, "");
        ShowWindow(GetDlgItem(dialog, IDC_PROGRESS), SW_HIDE);
      }
      return TRUE;
    case UM_DATA_CHANGED:
      if (state) refresh(dialog, state, lParam);
      return TRUE;
    case WM_NCDESTROY:
      freeDialogState<ListState>(dialog);
      return FALSE;
    default:
      return FALSE;
  }
}

HWND createParameterListDialog(HWND parent, uint16_t templateId, LPARAM) {
  if (templateId != IDD_SERVO_PARAM_LIST && templateId != IDD_OPTION_PARAM_LIST) return nullptr;
  return openModeless(parent, templateId, parameterListDialogProc, templateId);
}
