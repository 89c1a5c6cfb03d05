// Common body of the request functions: a zero-filled heap record per call, the
// post to the communication thread and the error box on failure.
#pragma once
#include <cstdint>
#include <memory>
#include "link/prompt.h"
#include "protocol/request_record.h"

using RecordPtr = std::unique_ptr<RequestRecord>;

// A zero-filled record with `opCode` set; null when memory runs out.
RecordPtr makeRecord(uint8_t opCode);

enum ErrorReplyBox : uint8_t { BOX_ON_ERROR_REPLY = 0, SILENT_ON_ERROR_REPLY = 1 };

// Posts the record and, when its status is nonzero, shows showCommError (no box
// once the link is shutting down or when `record` is null). *boxAnswer gets the
// box's answer, 0 when none was shown. Returns the status.
uint16_t runRequest(OwnerHandle owner, uint8_t opCode, RequestRecord* record,
                    uint16_t* boxAnswer = nullptr, ErrorReplyBox errorReply = BOX_ON_ERROR_REPLY);
