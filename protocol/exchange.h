// Building blocks shared by the command encoders: the two frame buffers of one
// exchange, request writing that can never overrun its buffer, reply field reads,
// and the ordinary and multi-reply exchanges.
#pragma once
#include <cstdint>

#include "protocol/command_table.h"
#include "protocol/framing.h"
#include "protocol/request_record.h"

// What the communication thread hands every encoder: the port the exchange runs
// on and whether debug mode is on (the extra block of the pass-point command).
struct LineContext {
  uint16_t port;
  bool debugMode;
};

struct Exchange {
  uint16_t port;      // from the LineContext
  FrameBuffer request;
  FrameBuffer reply;
  int position;       // write position in the request
  bool overflow;      // a piece did not fit: nothing is sent
  bool fieldFailed;   // a reply field did not decode
};

void beginRequest(Exchange& x, uint8_t commandCode, const LineContext& line);
void putText(Exchange& x, const char* text);
void putKeyword(Exchange& x, uint8_t code, const KeywordEntry* table);
void putHex2(Exchange& x, uint8_t value);
void putHex4(Exchange& x, uint16_t value);
void putHex8(Exchange& x, uint32_t value);
void endRequest(Exchange& x);   // CR and the length

// Runs the transaction on the exchange's port, checks the header and reads the error
// code. False (with status set) when the reply fields are not to be decoded.
bool exchangeAndCheck(RequestRecord* record, Exchange& x);
// Status 2 when the error code is nonzero, else 3 when a field failed.
void finishRecord(RequestRecord* record, const Exchange& x);
// The plain skeleton: exchange, header, error code, nothing more to decode.
void runSimple(RequestRecord* record, Exchange& x);

// Reply field reads at fixed offsets; failures set fieldFailed.
uint16_t replyHex4(Exchange& x, int offset);
uint32_t replyHex8(Exchange& x, int offset);

// One data item of a chain reply, decoded from `text` (bytes past the end of the
// buffer read as NUL). Returns false when the item does not decode.
// `items` is the attempt's running count, kept by the exchange.
struct ChainDecoder {
  int itemLength;
  void (*reset)(RequestRecord* record, uint32_t& items);           // start of each attempt
  void (*unmarkedReply)(RequestRecord* record, uint32_t& items);   // a reply without "P"
  bool (*item)(RequestRecord* record, uint32_t& items, const char* text);
  // Final check; returns false when the chain is malformed. `sawReply` tells
  // whether any reply arrived in the attempt.
  bool (*finalCheck)(RequestRecord* record, uint32_t items, uint16_t outcome, bool sawReply);
};
void runChain(RequestRecord* record, Exchange& x, const ChainDecoder& decoder);
