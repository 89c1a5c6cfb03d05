// The modal load and save dialogs: one procedure for the point table and the
// parameters. A worker runs the transfer loop; it posts its progress to the dialog
// and its changed entries to the main window, and the dialog alone writes controls.
#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <memory>
#include <new>

#include "files/definitions.h"
#include "files/file_error.h"
#include "files/settings.h"
#include "files/transfer.h"
#include "files/transfer_dialogs.h"
#include "files/transfer_run.h"
#include "files/transfer_notice.h"
#include "resources/resource.h"
#include "toolkit/dialog_toolkit.h"
#include "toolkit/modeless.h"
#include "toolkit/window_messages.h"
#include "toolkit/worker.h"

namespace {

// What the worker works with; shared with it, so a worker left detached after a
// Cancel never reaches freed memory.
struct TransferRun : TransferRunBase {
  bool points = false;
  bool save = false;
  // A load sends the file from these copies, read before it started.
  std::unique_ptr<ParameterValues> parameters;
  PointTable pointCopy{};
};

struct TransferState {
  std::shared_ptr<TransferRun> run;
  Worker worker;
};

struct TransferRequest {
  std::shared_ptr<TransferRun> run;
};

void transferBody(WorkerToken token, void* context) {
  std::unique_ptr<std::shared_ptr<TransferRun>> hold(static_cast<std::shared_ptr<TransferRun>*>(context));
  TransferRun& run = **hold;
  TransferSinkContext sc{&token, &run};
  TransferSink sink = transferNoticeSink(&sc);
  OwnerHandle owner = run.dialog;
  uint16_t result;
  if (run.points)
    result = run.save ? savePointTable(owner, livePointTable(), run.running, sink)
                      : loadPointTable(owner, run.pointCopy, run.running, sink);
  else
    result = run.save ? saveParameters(owner, &g_parameterTable, run.running, sink)
                      : loadParameters(owner, *run.parameters, run.running, sink);
  postTransferNotice(&sc, TRANSFER_NOTICE_DONE, result);
}

// Cancel, a finished run, or a close from outside: the worker is stopped first.
void endTransfer(HWND dialog, TransferState* state, INT_PTR result) {
  state->run->running.store(false);
  workerStop(&state->worker);
  EndDialog(dialog, result);
}

INT_PTR CALLBACK transferDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      const auto* request = reinterpret_cast<const TransferRequest*>(lParam);
      auto* state = attachDialogState(dialog, new TransferState);
      state->run = request->run;
      TransferRun& run = *state->run;
      run.dialog = dialog;
      run.mainWindow = GetWindow(dialog, GW_OWNER);
      run.generation = definitionGeneration();
      CenterDialog(dialog, 0);
      ProgressStart(dialog, IDC_TRANSFER_PROGRESS,
                    run.points ? POINT_COUNT : g_parameterTable.count, 1, IDC_TRANSFER_LABEL, L"");
      auto* context = new std::shared_ptr<TransferRun>(state->run);
      if (!workerStart(&state->worker, dialog, transferBody, context)) {
        delete context;
        run.running.store(false);
      }
      return TRUE;
    }
    case UM_WORKER_NOTICE: {
      auto* state = dialogState<TransferState>(dialog);
      if (!state) return TRUE;
      uint64_t value = static_cast<uint64_t>(lParam);
      switch (wParam) {
        case TRANSFER_NOTICE_START:
          ProgressStart(dialog, IDC_TRANSFER_PROGRESS, static_cast<int>(value), 1, IDC_TRANSFER_LABEL, L"");
          break;
        case TRANSFER_NOTICE_STEP: showTransferStep(dialog, value); break;
        case TRANSFER_NOTICE_DONE:
          // Only a save that read every entry lets the caller write its file; a
          // stopped run waits with its label for Cancel.
          if (value == TRANSFER_COMPLETED) endTransfer(dialog, state, state->run->save ? 1 : 2);
          break;
      }
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL) {
        if (auto* state = dialogState<TransferState>(dialog)) endTransfer(dialog, state, 2);
        return TRUE;
      }
      return FALSE;
    case WM_CLOSE:
      SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
      return TRUE;
    case WM_NCDESTROY:
      if (auto* state = dialogState<TransferState>(dialog)) {
        state->run->running.store(false);
        workerStop(&state->worker);
      }
      freeDialogState<TransferState>(dialog);
      return FALSE;
  }
  return FALSE;
}

}  // namespace

// A load reads its file here into copies of its own; the live tables take the
// file's values as well, as they did when the file was read into them.
INT_PTR runTransfer(HWND owner, uint16_t templateId, bool points, const char* path) {
  TransferRequest request{std::make_shared<TransferRun>()};
  TransferRun& run = *request.run;
  run.points = points;
  run.save = templateId == IDD_TRANSFER_SAVE;
  if (!run.save) {
    uint16_t line = 0xFFFF;
    if (path == nullptr) {
      // No file: nothing to send.
    } else if (points) {
      line = readPointLoadFile(path, *livePointTable(), &run.pointCopy);
    } else {
      run.parameters.reset(new (std::nothrow) ParameterValues);
      if (run.parameters) line = readParameterLoadFile(path, g_parameterTable, run.parameters.get());
    }
    if (line != 0) {
      showFileError(owner, points ? FILE_ERROR_POINT_READ : FILE_ERROR_DATA_READ, line);
      return 2;
    }
    if (points) *livePointTable() = run.pointCopy;
    else adoptParameterLoad(*run.parameters, &g_parameterTable);
  }
  return DialogBoxParamW(ResourceInstance(owner), MAKEINTRESOURCEW(templateId), owner, transferDialogProc,
                         reinterpret_cast<LPARAM>(&request));
}
