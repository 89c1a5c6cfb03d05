// Common body of the request functions: a zero-filled record on the caller's
// stack, the post to the communication thread and the error box on failure.
#pragma once
#include <atomic>
#include <cstdint>
#include "link/prompt.h"
#include "protocol/request_record.h"

// The record is small (a memory read's bytes go to the caller's buffer), so it
// lives on the stack of the thread that issues the request.
static_assert(sizeof(RequestRecord) <= 256, "a request record belongs on the caller's stack");

// A zero-filled record with `opCode` set.
inline RequestRecord newRecord(uint8_t opCode) {
  RequestRecord record;
  clearRecord(record);
  record.opCode = opCode;
  return record;
}

enum ErrorReplyBox : uint8_t { BOX_ON_ERROR_REPLY = 0, SILENT_ON_ERROR_REPLY = 1 };

// Posts the record and, when its status is nonzero, shows showCommError (no box
// once the link is shutting down or when `record` is null). *boxAnswer gets the
// box's answer, 0 when none was shown. Returns the status.
uint16_t runRequest(OwnerHandle owner, uint8_t opCode, RequestRecord* record,
                    uint16_t* boxAnswer = nullptr, ErrorReplyBox errorReply = BOX_ON_ERROR_REPLY);

// The calling thread's run flag (null: none). Once a thread's flag is cleared its
// run was ended from outside, so a failed request shows no box: the window that
// would own it has gone, and nobody is waiting for the answer.
void setThreadRunFlag(const std::atomic<bool>* running);
