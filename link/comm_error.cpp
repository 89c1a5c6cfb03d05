// The common error box of a failed command, with its reconnection.
#include <atomic>
#include <cstdio>
#include "link/link.h"
#include "link/link_state.h"
#include "link/request.h"
#include "protocol/command_table.h"
#include "resources/resource.h"

namespace {

// One lost line, one box. A pulled cable fails every request under way (the status
// poll's, a monitor's): while one communication-failure box and its reconnection are
// being handled, the others are not shown too; the one answer (the port is closed
// either way) stands for them all, and their callers stop as after a No.
std::atomic<bool> g_commBoxBusy{false};

uint16_t showCommFailure(OwnerHandle owner, uint16_t textId, const char* extra) {
  uint16_t answer = promptMessage(owner, textId, extra, IDS_CAPTION, PROMPT_YESNO | PROMPT_ICON_ERROR);
  // The link may have been shut down while the box was open: leave the port alone.
  if (!linkRunning()) return answer;
  uint16_t port = g_mode.currentPort;
  if (linkFlagTest(LINK_PORT_OPEN)) postConnectionRequest(0, 1, port);
  if (answer == ANSWER_YES) {
    if (postConnectionRequest(1, 1, port) != 0)
      promptMessage(owner, IDS_PORT_INIT_FAILED, nullptr, IDS_CAPTION, PROMPT_OK | PROMPT_ICON_ERROR);
    else
      startStatusPolling(owner);
  }
  return answer;
}

}  // namespace

uint16_t showCommError(OwnerHandle owner, uint8_t opCode, uint16_t status, uint16_t errorCode) {
  uint16_t textId = 0;
  if (status == STATUS_COMM_FAILURE) textId = IDS_COMM_ERROR;
  else if (status == STATUS_ERROR_REPLY) textId = IDS_ERROR_REPLY;
  else if (status == STATUS_MALFORMED) textId = IDS_BAD_REPLY_FORMAT;
  const char* name = commandName(opCode);
  char extra[32];
  if (status == STATUS_ERROR_REPLY) {
    std::snprintf(extra, sizeof extra, "\n%.6s %04X", name, static_cast<unsigned>(errorCode));
    return promptMessage(owner, textId, extra, IDS_CAPTION, PROMPT_OK | PROMPT_ICON_ERROR);
  }
  std::snprintf(extra, sizeof extra, "\n(%.6s)", name);
  if (status != STATUS_COMM_FAILURE) return showCommFailure(owner, textId, extra);   // malformed: as before
  if (g_commBoxBusy.exchange(true)) return ANSWER_NO;
  uint16_t answer = showCommFailure(owner, textId, extra);
  g_commBoxBusy.store(false);
  return answer;
}
