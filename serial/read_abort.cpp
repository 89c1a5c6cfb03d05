// The check a waiting read asks whether to give up; installed by the link.
#include <atomic>

#include "serial/serial_port.h"

namespace {
std::atomic<ReadAbortCheck> g_check{nullptr};
}  // namespace

void setReadAbortCheck(ReadAbortCheck check) { g_check.store(check); }

bool readAbortRequested() {
  ReadAbortCheck check = g_check.load();
  return check != nullptr && check();
}
