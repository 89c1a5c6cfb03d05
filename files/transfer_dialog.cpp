// The modal load and save dialogs: one procedure for the point table and the
// parameters. A worker runs the transfer loop; it posts its progress to the dialog
// and its changed entries to the main window, and the dialog alone writes controls.
#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <memory>

#include "files/definitions.h"
#include "files/settings.h"
#include "files/transfer.h"
#include "files/transfer_dialogs.h"
#include "files/transfer_notice.h"
#include "resources/resource.h"
#include "toolkit/dialog_toolkit.h"
#include "toolkit/modeless.h"
#include "toolkit/window_messages.h"
#include "toolkit/worker.h"

namespace {

// What the worker works with; shared with it, so a worker left detached after a
// Cancel never reaches freed memory.
struct TransferRun {
  bool points = false;
  bool save = false;
  HWND dialog = nullptr;
  HWND mainWindow = nullptr;
  uint32_t generation = 0;          // definitions the transfer walks
  std::atomic<bool> running{true};  // cleared by Cancel; the loop tests it around each request
};

struct TransferState {
  std::shared_ptr<TransferRun> run;
  Worker worker;
};

struct TransferRequest {
  bool points;
  bool save;
};

// The worker's sink: every notice is posted, and only while the run is wanted.
struct SinkContext {
  const WorkerToken* token;
  TransferRun* run;
  bool wanted() const { return token->running() && run->running.load(); }
};

void postNotice(SinkContext* c, uint32_t kind, uint64_t value) {
  if (c->wanted()) PostMessageW(c->run->dialog, UM_WORKER_NOTICE, kind, static_cast<LPARAM>(value));
}

TransferSink noticeSink(SinkContext* context) {
  TransferSink sink{};
  sink.context = context;
  sink.start = [](void* c, uint32_t maximum) {
    postNotice(static_cast<SinkContext*>(c), TRANSFER_NOTICE_START, maximum);
  };
  sink.step = [](void* c, uint16_t labelId, const char* placeholder) {
    auto* sc = static_cast<SinkContext*>(c);
    if (!sc->token->running()) sc->run->running.store(false);
    postNotice(sc, TRANSFER_NOTICE_STEP, packStepNotice(labelId, placeholder));
  };
  sink.changed = [](void* c, uint32_t list, uint32_t rowOrIndex) {
    auto* sc = static_cast<SinkContext*>(c);
    if (sc->wanted())
      PostMessageW(sc->run->mainWindow, UM_DATA_CHANGED, list,
                   static_cast<LPARAM>(dataChangedEntry(list, rowOrIndex, sc->run->generation)));
  };
  return sink;
}

void transferBody(WorkerToken token, void* context) {
  std::unique_ptr<std::shared_ptr<TransferRun>> hold(static_cast<std::shared_ptr<TransferRun>*>(context));
  TransferRun& run = **hold;
  SinkContext sc{&token, &run};
  TransferSink sink = noticeSink(&sc);
  OwnerHandle owner = run.dialog;
  uint16_t result;
  if (run.points)
    result = run.save ? savePointTable(owner, livePointTable(), run.running, sink)
                      : loadPointTable(owner, *livePointTable(), run.running, sink);
  else
    result = run.save ? saveParameters(owner, &g_parameterTable, run.running, sink)
                      : loadParameters(owner, g_parameterTable, run.running, sink);
  postNotice(&sc, TRANSFER_NOTICE_DONE, result);
}

// Shows a step: the label string with its placeholder, or the empty label.
void showStep(HWND dialog, uint64_t word) {
  char placeholder[STEP_PLACEHOLDER_CHARS + 1];
  uint16_t labelId = unpackStepNotice(word, placeholder);
  wchar_t* text = labelId != 0 ? LoadResString(dialog, labelId) : nullptr;
  if (text) composeStepLabel(text, placeholder);
  ProgressStep(dialog, IDC_TRANSFER_PROGRESS, IDC_TRANSFER_LABEL, text ? text : L"");
  FreeResString(text);
}

// Cancel, a finished run, or a close from outside: the worker is stopped first.
void endTransfer(HWND dialog, TransferState* state, INT_PTR result) {
  state->run->running.store(false);
  workerStop(&state->worker, kWorkerStopWaitMs);
  EndDialog(dialog, result);
}

INT_PTR CALLBACK transferDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      const auto* request = reinterpret_cast<const TransferRequest*>(lParam);
      auto* state = attachDialogState(dialog, new TransferState);
      state->run = std::make_shared<TransferRun>();
      TransferRun& run = *state->run;
      run.points = request->points;
      run.save = request->save;
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
        case TRANSFER_NOTICE_STEP: showStep(dialog, value); break;
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
        workerStop(&state->worker, kWorkerStopWaitMs);
      }
      freeDialogState<TransferState>(dialog);
      return FALSE;
  }
  return FALSE;
}

}  // namespace

INT_PTR runTransfer(HWND owner, uint16_t templateId, bool points, const char*) {
  TransferRequest request{points, templateId == IDD_TRANSFER_SAVE};
  return DialogBoxParamW(ResourceInstance(owner), MAKEINTRESOURCEW(templateId), owner, transferDialogProc,
                         reinterpret_cast<LPARAM>(&request));
}
