// The common error box of a failed command, with its reconnection.
#include <atomic>
#include <cstdio>
#include "link/link.h"
#include "link/link_state.h"
#include "link/request.h"
#include "protocol/command_table.h"
#include "resources/resource.h"

namespace {

// One lost line, one box. A pulled cable or a burst of noise fails every request
// under way (the status poll's, a monitor's, a transfer's): while one failure box
// and its reconnection are being handled, the others are not shown too; the one
// answer (the port is closed either way) stands for them all, and their callers
// stop as after a No. Two reconnections at once would close each other's port.
std::atomic<bool> g_commBoxBusy{false};

// The box, then the port closed and, on Yes, opened again. Returns the answer;
// `reopened` tells whether the status poll is to start.
uint16_t askAndReconnect(OwnerHandle owner, uint16_t textId, const char* extra, bool* reopened) {
  uint16_t answer = promptMessage(owner, textId, extra, IDS_CAPTION, PROMPT_YESNO | PROMPT_ICON_ERROR);
  // The link may have been shut down while the box was open: leave the port alone.
  if (!linkRunning()) return answer;
  uint16_t port = g_mode.currentPort;
  if (linkFlagTest(LINK_PORT_OPEN)) postConnectionRequest(0, 1, port);
  if (answer == ANSWER_YES) {
    if (postConnectionRequest(1, 1, port) != 0)
      promptMessage(owner, IDS_PORT_INIT_FAILED, nullptr, IDS_CAPTION, PROMPT_OK | PROMPT_ICON_ERROR);
    else
      *reopened = true;
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
  if (g_commBoxBusy.exchange(true)) return ANSWER_NO;
  bool reopened = false;
  uint16_t answer = askAndReconnect(owner, textId, extra, &reopened);
  g_commBoxBusy.store(false);
  // The first status read may fail on its own and ask again.
  if (reopened) startStatusPolling(owner);
  return answer;
}
