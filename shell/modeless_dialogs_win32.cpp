// The registry of dialog creation functions by template id.
#include "shell/modeless_dialogs.h"

namespace {
constexpr int kMaxDialogs = 40;
struct Entry {
  uint16_t templateId;
  ModelessFactory factory;
  TransferRunner runner;
};
Entry g_entries[kMaxDialogs];

Entry* entryFor(uint16_t templateId, bool create) {
  for (Entry& e : g_entries)
    if (e.templateId == templateId) return &e;
  if (!create) return nullptr;
  for (Entry& e : g_entries)
    if (e.templateId == 0) {
      e.templateId = templateId;
      return &e;
    }
  return nullptr;
}
}  // namespace

void registerModelessDialog(uint16_t templateId, ModelessFactory factory) {
  if (Entry* e = entryFor(templateId, true)) e->factory = factory;
}

TransferRunner registerTransferDialog(uint16_t templateId, TransferRunner runner) {
  Entry* e = entryFor(templateId, true);
  if (!e) return nullptr;
  TransferRunner before = e->runner;
  e->runner = runner;
  return before;
}

HWND createModelessDialog(HWND parent, uint16_t templateId, LPARAM parameter) {
  Entry* e = entryFor(templateId, false);
  return e && e->factory ? e->factory(parent, templateId, parameter) : nullptr;
}

INT_PTR runTransferDialog(HWND owner, uint16_t templateId, bool points, const char* path) {
  Entry* e = entryFor(templateId, false);
  return e && e->runner ? e->runner(owner, templateId, points, path) : -1;
}
