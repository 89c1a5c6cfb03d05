// What the load, save and verify dialogs share with their workers: the run record
// a worker may outlive its dialog with, the sink that turns the loops' progress
// into posted notices, and the progress step as the dialog shows it. Win32 only.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>

#include "files/transfer.h"
#include "files/transfer_notice.h"
#include "resources/resource.h"
#include "toolkit/dialog_toolkit.h"
#include "toolkit/modeless.h"
#include "toolkit/window_messages.h"
#include "toolkit/worker.h"

// Shared with the worker, so a worker left detached after a close never reaches
// freed memory.
struct TransferRunBase {
  HWND dialog = nullptr;
  HWND mainWindow = nullptr;
  uint32_t generation = 0;          // definitions the run walks
  std::atomic<bool> running{true};  // cleared by Cancel; the loop tests it around each request
};

// The worker's sink: every notice is posted, and only while the run is wanted.
struct TransferSinkContext {
  const WorkerToken* token;
  TransferRunBase* run;
  bool wanted() const { return token->running() && run->running.load(); }
};

// Through the token, so once the dialog has stopped its worker no notice follows.
inline void postTransferNotice(TransferSinkContext* c, uint32_t kind, uint64_t value) {
  if (c->run->running.load()) workerPost(*c->token, kind, static_cast<LPARAM>(value));
}

// Start and steps to the dialog, changed entries to the main window (posted: the
// definitions may be switched before they arrive, so they carry the generation).
inline TransferSink transferNoticeSink(TransferSinkContext* context) {
  TransferSink sink{};
  sink.context = context;
  sink.start = [](void* c, uint32_t maximum) {
    postTransferNotice(static_cast<TransferSinkContext*>(c), TRANSFER_NOTICE_START, maximum);
  };
  sink.step = [](void* c, uint16_t labelId, const char* placeholder) {
    auto* sc = static_cast<TransferSinkContext*>(c);
    if (!sc->token->running()) sc->run->running.store(false);
    postTransferNotice(sc, TRANSFER_NOTICE_STEP, packStepNotice(labelId, placeholder));
  };
  sink.changed = [](void* c, uint32_t list, uint32_t rowOrIndex) {
    auto* sc = static_cast<TransferSinkContext*>(c);
    if (!sc->run->running.load()) return;
    sc->token->reach([&](void*) {
      PostMessageW(sc->run->mainWindow, UM_DATA_CHANGED, list,
                   static_cast<LPARAM>(dataChangedEntry(list, rowOrIndex, sc->run->generation)));
    });
  };
  return sink;
}

// A step notice into the progress bar and its label.
inline void showTransferStep(HWND dialog, uint64_t word) {
  char placeholder[STEP_PLACEHOLDER_CHARS + 1];
  uint16_t labelId = unpackStepNotice(word, placeholder);
  wchar_t* text = labelId != 0 ? LoadResString(dialog, labelId) : nullptr;
  if (text) composeStepLabel(text, placeholder);
  ProgressStep(dialog, IDC_TRANSFER_PROGRESS, IDC_TRANSFER_LABEL, text ? text : L"");
  FreeResString(text);
}
