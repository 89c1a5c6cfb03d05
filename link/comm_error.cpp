// The common error box of a failed command, with its reconnection.
#include <atomic>
#include <cstdio>
#include <mutex>
#include "link/link.h"
#include "link/link_state.h"
#include "link/request.h"
#include "protocol/command_table.h"
#include "resources/resource.h"

namespace {

// One lost line, one box. A pulled cable fails every request under way (the status
// poll's, a monitor's): while one communication-failure box and its reconnection are
// being handled, the others are not shown too; the one answer (the port is closed
// either way) stands for them all, and their callers stop as after a No. A malformed
// reply is one bad reply, not a lost line: each has its own box.
std::atomic<bool> g_commBoxBusy{false};
// Boxes answered at once reconnect one after the other: interleaved, one box's
// reopen would find the port another had just reopened and report it unusable.
std::mutex g_reconnectLock;
std::atomic<uint32_t> g_reopens{0};   // reconnections made, so a later Yes can see one came since its box

// The box, then the port closed and, on Yes, opened again. Returns the answer;
// `reopened` tells whether the status poll is to start.
uint16_t askAndReconnect(OwnerHandle owner, uint16_t textId, const char* extra, bool* reopened) {
  const uint32_t reopensBefore = g_reopens.load();
  uint16_t answer = promptMessage(owner, textId, extra, IDS_CAPTION, PROMPT_YESNO | PROMPT_ICON_ERROR);
  bool failed = false;
  {
    std::lock_guard<std::mutex> hold(g_reconnectLock);
    // The link may have been shut down while the box was open: leave the port alone.
    if (!linkRunning()) return answer;
    // Another box reconnected after this one came up: its fresh port, and the
    // status read under way on it, stay as they are.
    if (answer == ANSWER_YES && g_reopens.load() != reopensBefore && linkFlagTest(LINK_PORT_OPEN)) return answer;
    uint16_t port = g_mode.currentPort;
    if (linkFlagTest(LINK_PORT_OPEN)) postConnectionRequest(0, 1, port);
    if (answer == ANSWER_YES) {
      failed = postConnectionRequest(1, 1, port) != 0;
      *reopened = !failed;
      if (!failed) g_reopens.fetch_add(1);
    }
  }
  if (failed) promptMessage(owner, IDS_PORT_INIT_FAILED, nullptr, IDS_CAPTION, PROMPT_OK | PROMPT_ICON_ERROR);
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
  bool lostLine = status == STATUS_COMM_FAILURE;
  if (lostLine && g_commBoxBusy.exchange(true)) return ANSWER_NO;
  bool reopened = false;
  uint16_t answer = askAndReconnect(owner, textId, extra, &reopened);
  if (lostLine) g_commBoxBusy.store(false);
  // The first status read may fail on its own and ask again.
  if (reopened) startStatusPolling(owner);
  return answer;
}
