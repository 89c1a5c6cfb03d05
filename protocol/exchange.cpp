// Request writing, reply field reads and the ordinary and multi-reply exchanges.
#include "protocol/exchange.h"

#include <cstring>

#include "protocol/number_format.h"

namespace {
constexpr uint8_t kCR = 0x0D;
// The last byte is kept for the CR.
constexpr int kRequestLimit = kFrameSize - 1;

void putBytes(Exchange& x, const char* bytes, int n) {
  if (x.overflow || x.position + n > kRequestLimit) {
    x.overflow = true;
    return;
  }
  std::memcpy(x.request.data + x.position, bytes, static_cast<size_t>(n));
  x.position += n;
}
}  // namespace

void beginRequest(Exchange& x, uint8_t commandCode, const LineContext& line) {
  std::memset(&x, 0, sizeof x);
  x.port = line.port;
  x.position = buildHeader(commandCode, x.request.data);
}

void putText(Exchange& x, const char* text) {
  putBytes(x, text, static_cast<int>(std::strlen(text)));
}

void putKeyword(Exchange& x, uint8_t code, const KeywordEntry* table) {
  char text[16];
  int n = appendKeyword(code, table, text);
  putBytes(x, text, n);
}

void putHex2(Exchange& x, uint8_t value) {
  char text[2];
  formatNumber(hex2, &value, text);
  putBytes(x, text, 2);
}
void putHex4(Exchange& x, uint16_t value) {
  char text[4];
  formatNumber(hex4, &value, text);
  putBytes(x, text, 4);
}
void putHex8(Exchange& x, uint32_t value) {
  char text[8];
  formatNumber(hex8, &value, text);
  putBytes(x, text, 8);
}

void endRequest(Exchange& x) {
  x.request.data[x.position] = kCR;
  x.request.length = static_cast<uint16_t>(x.position + 1);
}

bool exchangeAndCheck(RequestRecord* record, Exchange& x) {
  if (x.overflow) {
    // A request that does not fit is never sent in part.
    record->status = STATUS_MALFORMED;
    return false;
  }
  if (runTransaction(x.port, x.request, x.reply) != 0) {
    record->status = STATUS_COMM_FAILURE;
    return false;
  }
  if (checkReplyHeader(record->opCode, x.reply.data) != 0) {
    record->status = STATUS_MALFORMED;
    return false;
  }
  if (parseNumber(hex4, reinterpret_cast<const char*>(x.reply.data + kErrorCodeOffset),
                  &record->errorCode) != PARSE_OK) {
    record->status = STATUS_MALFORMED;
    return false;
  }
  return true;
}

void finishRecord(RequestRecord* record, const Exchange& x) {
  if (record->errorCode != 0) record->status = STATUS_ERROR_REPLY;
  else if (x.fieldFailed) record->status = STATUS_MALFORMED;
}

void runSimple(RequestRecord* record, Exchange& x) {
  endRequest(x);
  if (exchangeAndCheck(record, x)) finishRecord(record, x);
}

uint16_t replyHex4(Exchange& x, int offset) {
  uint16_t value = 0;
  if (parseNumber(hex4, reinterpret_cast<const char*>(x.reply.data + offset), &value) != PARSE_OK)
    x.fieldFailed = true;
  return value;
}

uint32_t replyHex8(Exchange& x, int offset) {
  uint32_t value = 0;
  if (parseNumber(hex8, reinterpret_cast<const char*>(x.reply.data + offset), &value) != PARSE_OK)
    x.fieldFailed = true;
  return value;
}

namespace {

struct ChainRun {
  RequestRecord* record;
  Exchange* x;
  const ChainDecoder* decoder;
  uint16_t outcome;
};

// One attempt of a chain: the request, then replies until one says no more
// follow. Returns false on a transport failure, which the retry loop repeats.
bool chainAttempt(void* context) {
  ChainRun& run = *static_cast<ChainRun*>(context);
  RequestRecord* record = run.record;
  Exchange& x = *run.x;
  const ChainDecoder& decoder = *run.decoder;
  uint32_t items = 0;
  decoder.reset(record, items);
  bool sawReply = false;
  uint16_t outcome = STATUS_OK;
  if (sendRequest(x.port, x.request) != 0) {
    outcome = STATUS_COMM_FAILURE;
  } else {
    uint16_t more = 1;
    while (more != 0) {
      if (receiveReply(x.port, x.reply) != 0) {
        outcome = STATUS_COMM_FAILURE;
        break;
      }
      sawReply = true;
      const uint8_t* data = x.reply.data;
      if (checkReplyHeader(record->opCode, data) != 0 ||
          parseNumber(hex4, reinterpret_cast<const char*>(data + kErrorCodeOffset),
                      &record->errorCode) != PARSE_OK) {
        outcome = STATUS_MALFORMED;
        break;
      }
      int offset;
      if (data[kReplyFieldsOffset] == 'P') {
        if (parseNumber(hex4, reinterpret_cast<const char*>(data + 16), &more) != PARSE_OK) {
          outcome = STATUS_MALFORMED;
          break;
        }
        offset = 22;
      } else {
        more = 0;
        offset = 16;
        decoder.unmarkedReply(record, items);
      }
      while (offset < kFrameSize && data[offset] != 0x0D) {
        char item[32] = {};
        int available = kFrameSize - offset;
        int n = decoder.itemLength < available ? decoder.itemLength : available;
        std::memcpy(item, data + offset, static_cast<size_t>(n));
        if (!decoder.item(record, items, item)) {
          outcome = STATUS_MALFORMED;
          break;
        }
        offset += decoder.itemLength;
      }
      if (outcome == STATUS_MALFORMED) break;
      if (record->errorCode != 0) {
        outcome = STATUS_ERROR_REPLY;
        break;
      }
    }
  }
  if (outcome != STATUS_ERROR_REPLY && !decoder.finalCheck(record, items, outcome, sawReply))
    outcome = STATUS_MALFORMED;
  run.outcome = outcome;
  return outcome != STATUS_COMM_FAILURE;
}

}  // namespace

void runChain(RequestRecord* record, Exchange& x, const ChainDecoder& decoder) {
  if (x.overflow) {
    record->status = STATUS_MALFORMED;
    return;
  }
  endRequest(x);
  ChainRun run{record, &x, &decoder, STATUS_OK};
  repeatAttempts(chainAttempt, &run);
  if (run.outcome != STATUS_OK) record->status = run.outcome;
}
