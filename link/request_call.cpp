// Common body of the request functions.
#include "link/request_call.h"
#include "link/link.h"
#include "link/request.h"

namespace {
// A plain pointer: nothing to destroy at thread exit (MinGW's emulated TLS).
thread_local const std::atomic<bool>* t_runFlag = nullptr;
}  // namespace

void setThreadRunFlag(const std::atomic<bool>* running) { t_runFlag = running; }

uint16_t runRequest(OwnerHandle owner, uint8_t opCode, RequestRecord* record, uint16_t* boxAnswer,
                    ErrorReplyBox errorReply) {
  if (boxAnswer) *boxAnswer = 0;
  uint16_t status = STATUS_COMM_FAILURE;
  uint16_t errorCode = 0;
  if (record) {
    postCommandRequest(record);
    status = record->status;
    errorCode = record->errorCode;
  }
  // A motion refused or ended for a stop the person pressed: nothing to report.
  if (status == STATUS_OK || status == STATUS_CANCELLED) return status;
  // Shutdown has begun (or the link never started): fail fast, nobody to ask.
  if (!linkRunning()) return status;
  // A worker whose run was ended: its dialog has gone, so no box either.
  if (t_runFlag && !t_runFlag->load()) return status;
  if (status == STATUS_ERROR_REPLY && errorReply == SILENT_ON_ERROR_REPLY) return status;
  uint16_t answer = showCommError(owner, opCode, status,
                                  status == STATUS_ERROR_REPLY ? errorCode : 0);
  if (boxAnswer) *boxAnswer = answer;
  return status;
}
