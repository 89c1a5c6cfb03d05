// The modeless point-table and parameter verify dialogs: the chosen file read into
// a copy of the run's own, the module read entry by entry by a worker, and a row
// for every entry that differs. The list's column widths are kept for the next
// opening. The worker posts its progress and rows to the dialog and its changed
// entries to the main window; only the dialog procedure writes controls.
#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <vector>

#include "files/definitions.h"
#include "files/settings.h"
#include "files/transfer.h"
#include "files/transfer_dialogs.h"
#include "files/transfer_run.h"
#include "files/transfer_notice.h"
#include "resources/resource.h"
#include "toolkit/dialog_toolkit.h"
#include "toolkit/list_view.h"
#include "toolkit/modeless.h"
#include "toolkit/window_messages.h"
#include "toolkit/worker.h"

namespace {

constexpr size_t kPathBytes = 1024;

ColumnWidths g_pointWidths = {VERIFY_COLUMNS, {93, 125, 125, 140, 140}};
ColumnWidths g_parameterWidths = {VERIFY_COLUMNS, {95, 200, 77, 77, 130}};
const UINT kPointColumns[VERIFY_COLUMNS] = {IDS_POINT_VERIFY_COL0, IDS_POINT_VERIFY_COL0 + 1,
                                            IDS_POINT_VERIFY_COL0 + 2, IDS_POINT_VERIFY_COL0 + 3,
                                            IDS_POINT_VERIFY_COL0 + 4};
const UINT kParameterColumns[VERIFY_COLUMNS] = {IDS_PARAM_VERIFY_COL0, IDS_PARAM_VERIFY_COL0 + 1,
                                                IDS_PARAM_VERIFY_COL0 + 2, IDS_PARAM_VERIFY_COL0 + 3,
                                                IDS_PARAM_VERIFY_COL0 + 4};

// The run's data, shared with its worker: a worker left detached by a close keeps
// the file copy it compares against alive and finds its flag cleared.
struct VerifyRun : TransferRunBase {
  bool points = false;
  uint16_t valueFormat = 0;          // the environment's, as the dialog opened
  PointEntry file[POINT_COUNT] = {};
  std::unique_ptr<ParameterValues> copy;
  VerifyRowQueue rows;
};

struct VerifyState {
  uint16_t templateId = 0;
  bool closing = false;
  char path[kPathBytes] = {};        // the chosen file, read once the dialog is in its slot
  std::shared_ptr<VerifyRun> run;
  Worker worker;
  std::vector<VerifyRow> shown;      // rows taken from the queue, reused
};

// Posted to itself at WM_INITDIALOG: the file is read (and its error box shown)
// only after creation has returned and the main window holds the dialog in its
// slot, so a second verify command during that box finds this one open.
constexpr WPARAM VERIFY_NOTICE_OPEN = 0x100;

// What the creation function hands to WM_INITDIALOG (sent before it returns).
struct VerifyOpening {
  const char* path;
  bool points;
};

TransferSink noticeSink(TransferSinkContext* context) {
  TransferSink sink = transferNoticeSink(context);
  sink.row = [](void* c, const VerifyRow& row) {
    auto* sc = static_cast<TransferSinkContext*>(c);
    if (sc->wanted() && static_cast<VerifyRun*>(sc->run)->rows.append(row))
      postTransferNotice(sc, TRANSFER_NOTICE_ROWS, 0);
  };
  return sink;
}

void verifyBody(WorkerToken token, void* context) {
  std::unique_ptr<std::shared_ptr<VerifyRun>> hold(static_cast<std::shared_ptr<VerifyRun>*>(context));
  VerifyRun& run = **hold;
  TransferSinkContext sc{&token, &run};
  TransferSink sink = noticeSink(&sc);
  OwnerHandle owner = run.dialog;
  uint16_t result = run.points
                        ? verifyPointTable(owner, livePointTable(), run.file, run.valueFormat, run.running, sink)
                        : verifyParameters(owner, &g_parameterTable, *run.copy, run.running, sink);
  postTransferNotice(&sc, TRANSFER_NOTICE_DONE, result);
}

void showRows(HWND dialog, VerifyState* state) {
  state->run->rows.takeAll(&state->shown);
  HWND list = GetDlgItem(dialog, IDC_VERIFY_LIST);
  for (const VerifyRow& row : state->shown) {
    const char* texts[VERIFY_COLUMNS];
    for (int i = 0; i < VERIFY_COLUMNS; ++i) texts[i] = row.columns[i];
    ListViewAppendRowBytes(list, texts, VERIFY_COLUMNS);
  }
}

ColumnWidths* widthsOf(uint16_t templateId) {
  return templateId == IDD_POINT_VERIFY ? &g_pointWidths : &g_parameterWidths;
}

// Reads the file and starts the worker; a file that cannot be read leaves the
// dialog open with its empty list (its box has been shown). The dialog may be
// destroyed while that box is up: nothing of it is touched after a failed read.
void startVerify(HWND dialog, VerifyState* state, const char* path) {
  std::shared_ptr<VerifyRun> hold = state->run;
  VerifyRun& run = *hold;
  uint16_t line;
  if (run.points) {
    line = readPointVerifyFile(dialog, path, run.file);
  } else {
    run.copy = std::make_unique<ParameterValues>();
    line = readParameterVerifyFile(dialog, path, g_parameterTable, run.copy.get());
  }
  if (line != 0) return;
  run.rows.reserve(run.points ? POINT_COUNT : g_parameterTable.count);
  auto* context = new std::shared_ptr<VerifyRun>(state->run);
  if (!workerStart(&state->worker, dialog, verifyBody, context)) delete context;
}

void closeVerify(HWND dialog, VerifyState* state) {
  if (state->closing) return;
  state->closing = true;
  state->run->running.store(false);
  closeModeless(dialog, state->templateId, &state->worker, GetDlgItem(dialog, IDC_VERIFY_LIST),
                widthsOf(state->templateId));
}

INT_PTR CALLBACK verifyDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      // The path lives on the caller's stack: copied before anything else.
      const auto* opening = reinterpret_cast<const VerifyOpening*>(lParam);
      auto* state = attachDialogState(dialog, new VerifyState);
      if (opening->path && strnlen(opening->path, kPathBytes) < kPathBytes) std::strcpy(state->path, opening->path);
      state->run = std::make_shared<VerifyRun>();
      VerifyRun& run = *state->run;
      run.points = opening->points;
      state->templateId = run.points ? IDD_POINT_VERIFY : IDD_PARAM_VERIFY;
      run.dialog = dialog;
      run.mainWindow = GetWindow(dialog, GW_OWNER);
      run.generation = definitionGeneration();
      run.valueFormat = environmentSettings().valueFormat;
      CenterDialog(dialog, 0);
      ListViewSetup(GetDlgItem(dialog, IDC_VERIFY_LIST), dialog, run.points ? kPointColumns : kParameterColumns,
                    *widthsOf(state->templateId), run.points ? 0x1Eu : 0x0Cu, false);
      ProgressStart(dialog, IDC_TRANSFER_PROGRESS, run.points ? POINT_COUNT : g_parameterTable.count, 1,
                    IDC_TRANSFER_LABEL, L"");
      if (state->path[0] != '\0') PostMessageW(dialog, UM_WORKER_NOTICE, VERIFY_NOTICE_OPEN, 0);
      return TRUE;
    }
    case UM_WORKER_NOTICE: {
      auto* state = dialogState<VerifyState>(dialog);
      if (!state || state->closing) return TRUE;
      uint64_t value = static_cast<uint64_t>(lParam);
      switch (wParam) {
        case VERIFY_NOTICE_OPEN:
          if (!state->worker.shared) startVerify(dialog, state, state->path);
          break;
        case TRANSFER_NOTICE_START:
          ProgressStart(dialog, IDC_TRANSFER_PROGRESS, static_cast<int>(value), 1, IDC_TRANSFER_LABEL, L"");
          break;
        case TRANSFER_NOTICE_STEP: showTransferStep(dialog, value); break;
        case TRANSFER_NOTICE_ROWS: showRows(dialog, state); break;
        case TRANSFER_NOTICE_DONE:
          // Finished: the list stays until the person closes it. A stopped run keeps
          // the label of the entry that failed.
          showRows(dialog, state);
          if (value == TRANSFER_COMPLETED) {
            SetItemTextW(dialog, IDC_TRANSFER_LABEL, L"");
            ShowWindow(GetDlgItem(dialog, IDC_TRANSFER_PROGRESS), SW_HIDE);
          }
          break;
      }
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL) {
        if (auto* state = dialogState<VerifyState>(dialog)) closeVerify(dialog, state);
        return TRUE;
      }
      return FALSE;
    case WM_CLOSE:
      if (auto* state = dialogState<VerifyState>(dialog)) closeVerify(dialog, state);
      return TRUE;
    case WM_NCDESTROY:
      // Destroyed from outside without a close (program end): stop the worker first.
      if (auto* state = dialogState<VerifyState>(dialog)) {
        state->run->running.store(false);
        workerStop(&state->worker);
      }
      freeDialogState<VerifyState>(dialog);
      return FALSE;
  }
  return FALSE;
}

HWND createVerify(HWND parent, uint16_t templateId, LPARAM parameter, bool points) {
  VerifyOpening opening{reinterpret_cast<const char*>(parameter), points};
  HWND dialog = CreateDialogParamW(ResourceInstance(parent), MAKEINTRESOURCEW(templateId), parent,
                                   verifyDialogProc, reinterpret_cast<LPARAM>(&opening));
  if (dialog) ShowWindow(dialog, SW_SHOW);
  return dialog;
}

}  // namespace

HWND createPointVerifyDialog(HWND parent, uint16_t templateId, LPARAM parameter) {
  return createVerify(parent, templateId, parameter, true);
}

HWND createParameterVerifyDialog(HWND parent, uint16_t templateId, LPARAM parameter) {
  return createVerify(parent, templateId, parameter, false);
}
