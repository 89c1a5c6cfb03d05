// The prompt interface: one pointer, set once by the front end.
#include "link/prompt.h"
#include <atomic>

namespace {
std::atomic<const PromptInterface*> g_prompt{nullptr};
}

void setPromptInterface(const PromptInterface* prompt) { g_prompt.store(prompt); }

uint16_t promptMessage(OwnerHandle owner, uint16_t textId, const char* extra,
                       uint16_t captionId, uint32_t style) {
  const PromptInterface* p = g_prompt.load();
  if (p && p->showMessage) return p->showMessage(owner, textId, extra, captionId, style);
  // No one to ask: never agree to anything that would change the link.
  return (style & 0x000F) == PROMPT_YESNO ? ANSWER_NO : ANSWER_OK;
}

void promptStatusChanged() {
  const PromptInterface* p = g_prompt.load();
  if (p && p->statusChanged) p->statusChanged();
}

void promptPostNotification(uint32_t message, uintptr_t wParam, intptr_t lParam) {
  const PromptInterface* p = g_prompt.load();
  if (p && p->postNotification) p->postNotification(message, wParam, lParam);
}
