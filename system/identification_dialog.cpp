// ID information (151): a worker asks for the six identification texts in a fixed
// order and the dialog shows each as it arrives; the first failure closes it.
#include <windows.h>

#include <cstring>
#include <memory>
#include <mutex>

#include "link/request.h"
#include "resources/resource.h"
#include "system/system_dialogs.h"
#include "toolkit/dialog_toolkit.h"
#include "toolkit/modeless.h"
#include "toolkit/window_messages.h"

namespace {

constexpr int kIdCount = 6;
constexpr int kIdTextBytes = 32;

struct IdField {
  uint8_t idItem;   // SV_TYP 2, SV_VER 3, QZ_TYP 0, QZ_VER 1, EN_VER 4, MT_TYP 5
  int control;
};
// In the order they are asked for.
constexpr IdField kFields[kIdCount] = {
    {2, IDC_ID_SV_TYPE}, {3, IDC_ID_SV_VERSION}, {0, IDC_ID_QZ_TYPE},
    {1, IDC_ID_QZ_VERSION}, {4, IDC_ID_EN_VERSION}, {5, IDC_ID_MT_TYPE},
};

enum IdNotice : WPARAM { NOTICE_TEXT = 1, NOTICE_FAILED = 2 };   // lParam: field index

// The texts the worker has read. Shared by the dialog and its worker, so a worker
// left detached by a closing dialog still writes into memory that exists.
struct IdTexts {
  std::mutex lock;
  char texts[kIdCount][kIdTextBytes + 1] = {};
};

struct IdentificationState {
  Worker worker;
  std::shared_ptr<IdTexts> texts = std::make_shared<IdTexts>();
};

void readIdentification(WorkerToken token, void* context) {
  // The worker owns its reference to the texts.
  std::unique_ptr<std::shared_ptr<IdTexts>> owned(static_cast<std::shared_ptr<IdTexts>*>(context));
  IdTexts& shared = **owned;
  HWND dialog = static_cast<HWND>(token.target());   // owns request boxes only
  for (int k = 0; k < kIdCount; ++k) {
    if (!token.running()) return;
    char text[kIdTextBytes + 1] = {};
    if (request_RDDVID(dialog, kFields[k].idItem, text) != 0) {
      // After the box: the dialog closes and nothing more is asked.
      workerPost(token, NOTICE_FAILED, k);
      token.stop();
      return;
    }
    {
      std::lock_guard<std::mutex> hold(shared.lock);
      std::memcpy(shared.texts[k], text, kIdTextBytes);
    }
    workerPost(token, NOTICE_TEXT, k);
  }
}

void showText(HWND dialog, IdentificationState* state, LPARAM index) {
  if (index < 0 || index >= kIdCount) return;
  char text[kIdTextBytes + 1];
  {
    std::lock_guard<std::mutex> hold(state->texts->lock);
    std::memcpy(text, state->texts->texts[index], sizeof text);
  }
  SetItemText(dialog, kFields[index].control, text);
}

}  // namespace

HWND createIdentificationDialog(HWND parent, uint16_t templateId, LPARAM parameter) {
  return openModeless(parent, templateId, identificationDialogProc, parameter);
}

INT_PTR CALLBACK identificationDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  IdentificationState* state = dialogState<IdentificationState>(dialog);
  switch (message) {
    case WM_INITDIALOG: {
      state = attachDialogState(dialog, new IdentificationState);
      CenterDialog(dialog, 0);
      auto* reference = new std::shared_ptr<IdTexts>(state->texts);
      if (!workerStart(&state->worker, dialog, readIdentification, reference)) delete reference;
      return TRUE;
    }
    case UM_WORKER_NOTICE:
      if (!state) return TRUE;
      if (wParam == NOTICE_TEXT) showText(dialog, state, lParam);
      else if (wParam == NOTICE_FAILED) closeModeless(dialog, IDD_IDENTIFICATION, &state->worker, nullptr, nullptr);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL && state) {
        closeModeless(dialog, IDD_IDENTIFICATION, &state->worker, nullptr, nullptr);
        return TRUE;
      }
      return FALSE;
    case WM_DESTROY:
      // Destroyed with the main window: the worker ends before the link goes.
      if (state) workerStop(&state->worker);
      return FALSE;
    case WM_NCDESTROY:
      freeDialogState<IdentificationState>(dialog);
      return FALSE;
    default:
      return FALSE;
  }
}
