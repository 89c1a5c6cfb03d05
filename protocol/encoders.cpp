// The 28 command encoders and their reply decoders.
#include "protocol/encoders.h"

#include <cstring>

#include "protocol/exchange.h"
#include "protocol/number_format.h"

namespace {

// "T:" move, "A:" accel and filter, "V:" speed and the explicit speed.
void putHead(Exchange& x, const MotionHead& head, bool withMove, bool withSpeed) {
  if (withMove) {
    putText(x, "T:");
    putKeyword(x, head.moveType, MoveKeywords);
  }
  putText(x, "A:");
  putKeyword(x, head.accelType, AccelKeywords);
  putKeyword(x, head.filterType, FilterKeywords);
  if (withSpeed) {
    putText(x, "V:");
    putKeyword(x, head.speedSource, SpeedKeywords);
    if (head.speedSource == kExplicitValueCode) putHex8(x, head.speed);
  }
}

void putPairs(Exchange& x, const RequestRecord* r, int from, int to) {
  for (int i = from; i < to; ++i) {
    putHex8(x, r->posMs.changePositions[i]);
    putHex8(x, r->posMs.changeSpeeds[i]);
  }
}

}  // namespace

void encode_BKCTRL(RequestRecord* r, const LineContext& line) {
  Exchange x;
  beginRequest(x, CMD_BKCTRL, line);
  putText(x, "M:");
  putKeyword(x, r->bkctrl.brakeOn, OnOffKeywords);
  runSimple(r, x);
}

void encode_SVCTRL(RequestRecord* r, const LineContext& line) {
  Exchange x;
  beginRequest(x, CMD_SVCTRL, line);
  putText(x, "M:");
  putKeyword(x, r->svctrl.servoOn, OnOffKeywords);
  runSimple(r, x);
}

void encode_CLRALM(RequestRecord* r, const LineContext& line) {
  Exchange x;
  beginRequest(x, CMD_CLRALM, line);
  putText(x, "M:");
  putKeyword(x, r->clralm.clearKind, AlarmClearKeywords);
  putText(x, "K:");
  putKeyword(x, r->clralm.device, UnitKeywords);
  runSimple(r, x);
}

void encode_SETDIS(RequestRecord* r, const LineContext& line) {
  Exchange x;
  beginRequest(x, CMD_SETDIS, line);
  putText(x, "D:");
  for (uint16_t word : r->setdis.outputMask) putHex4(x, word);
  runSimple(r, x);
}

void encode_WRPORT(RequestRecord* r, const LineContext& line) {
  Exchange x;
  beginRequest(x, CMD_WRPORT, line);
  putText(x, "Y:");
  for (uint16_t word : r->wrport.outputBits) putHex4(x, word);
  runSimple(r, x);
}

void encode_RSTMDL(RequestRecord* r, const LineContext& line) {
  Exchange x;
  beginRequest(x, CMD_RSTMDL, line);
  runSimple(r, x);
}

void encode_RD_MON(RequestRecord* r, const LineContext& line) {
  Exchange x;
  beginRequest(x, CMD_RD_MON, line);
  endRequest(x);
  if (!exchangeAndCheck(r, x)) return;
  // The seventh value follows the sixth without a tag.
  r->rdMon.commandPosition = replyHex8(x, 16);
  r->rdMon.feedbackPosition = replyHex8(x, 26);
  r->rdMon.positionDeviation = replyHex8(x, 36);
  r->rdMon.latchPosition = replyHex8(x, 46);
  r->rdMon.outputTorque = replyHex8(x, 56);
  r->rdMon.monitor1 = replyHex8(x, 66);
  r->rdMon.monitor2 = replyHex8(x, 74);
  finishRecord(r, x);
}

void encode_RDMSTS(RequestRecord* r, const LineContext& line) {
  Exchange x;
  beginRequest(x, CMD_RDMSTS, line);
  endRequest(x);
  if (!exchangeAndCheck(r, x)) return;
  uint8_t state = kTableEnd;
  int length = matchKeyword(reinterpret_cast<const char*>(x.reply.data + 16), MotionStateKeywords,
                            &state);
  r->rdmsts.motionState = state;
  if (state == kTableEnd) x.fieldFailed = true;
  r->rdmsts.motionStatusWord = replyHex4(x, 16 + length + 2);
  finishRecord(r, x);
}

void encode_RDSSTS(RequestRecord* r, const LineContext& line) {
  Exchange x;
  beginRequest(x, CMD_RDSSTS, line);
  endRequest(x);
  if (!exchangeAndCheck(r, x)) return;
  r->rdssts.statusValue = replyHex4(x, 16);
  uint8_t* fields[4] = {&r->rdssts.ready, &r->rdssts.servoOn, &r->rdssts.mainCircuitOn,
                        &r->rdssts.alarm};
  int offset = 22;
  for (uint8_t* field : fields) {
    uint8_t code = kTableEnd;
    int length = matchKeyword(reinterpret_cast<const char*>(x.reply.data + offset), OnOffKeywords,
                              &code);
    *field = code;
    if (code == kTableEnd) x.fieldFailed = true;
    offset += length + 2;
  }
  finishRecord(r, x);
}

void encode_RDPORT(RequestRecord* r, const LineContext& line) {
  Exchange x;
  beginRequest(x, CMD_RDPORT, line);
  putText(x, "M:");
  putKeyword(x, r->rdport.portSelect, PortKeywords);
  endRequest(x);
  if (!exchangeAndCheck(r, x)) return;
  const uint8_t expected = r->rdport.portSelect == 0 ? 'X' : 'Y';
  if (x.reply.data[kReplyFieldsOffset] != expected) x.fieldFailed = true;
  for (int i = 0; i < 3 && !x.fieldFailed; ++i) {
    uint16_t word = replyHex4(x, 16 + 4 * i);
    if (!x.fieldFailed) r->rdport.portBits[i] = word;
  }
  finishRecord(r, x);
}

namespace {
// RD_ALM: items of a time stamp and an alarm word; an unmarked reply replaces the list.
void alarmReset(RequestRecord*, uint32_t& items) { items = 0; }
void alarmUnmarked(RequestRecord*, uint32_t& items) { items = 0; }
bool alarmItem(RequestRecord* r, uint32_t& items, const char* text) {
  uint32_t stamp = 0, word = 0;
  if (parseNumber(hex8, text, &stamp) != PARSE_OK || parseNumber(hex8, text + 8, &word) != PARSE_OK)
    return false;
  if (items < kMaxAlarmEntries) r->rdAlm.alarms[items] = {stamp, word};
  // Counted no further than one past the limit, so no chain is long enough to wrap it.
  if (items <= kMaxAlarmEntries) ++items;
  return true;
}
bool alarmFinal(RequestRecord* r, uint32_t items, uint16_t outcome, bool) {
  if (items > kMaxAlarmEntries) return false;
  if (outcome == STATUS_OK) r->rdAlm.alarmCount = static_cast<uint16_t>(items);
  return true;
}
const ChainDecoder kAlarmChain = {16, alarmReset, alarmUnmarked, alarmItem, alarmFinal};

// RD_MEM: two-digit bytes into the caller's buffer; the count runs on across the chain.
void memoryReset(RequestRecord*, uint32_t& items) { items = 0; }
void memoryUnmarked(RequestRecord*, uint32_t&) {}
bool memoryItem(RequestRecord* r, uint32_t& items, const char* text) {
  uint8_t byte = 0;
  if (parseNumber(hex2, text, &byte) != PARSE_OK) return false;
  if (items < r->rdMem.byteCount && r->rdMem.memoryData) r->rdMem.memoryData[items] = byte;
  if (items <= r->rdMem.byteCount) ++items;
  return true;
}
bool memoryFinal(RequestRecord* r, uint32_t items, uint16_t outcome, bool sawReply) {
  // A silent line is a communication failure and is retried, not a short read.
  if (outcome == STATUS_COMM_FAILURE && !sawReply) return true;
  return items == r->rdMem.byteCount;
}
const ChainDecoder kMemoryChain = {2, memoryReset, memoryUnmarked, memoryItem, memoryFinal};
}  // namespace

void encode_RD_ALM(RequestRecord* r, const LineContext& line) {
  Exchange x;
  beginRequest(x, CMD_RD_ALM, line);
  putText(x, "M:");
  putKeyword(x, r->rdAlm.device, UnitKeywords);
  runChain(r, x, kAlarmChain);
}

void encode_RD_MEM(RequestRecord* r, const LineContext& line) {
  Exchange x;
  beginRequest(x, CMD_RD_MEM, line);
  putText(x, "T:");
  putKeyword(x, r->rdMem.device, UnitKeywords);
  putText(x, "A:");
  putHex8(x, r->rdMem.address);
  putText(x, "N:");
  putHex4(x, r->rdMem.byteCount);
  runChain(r, x, kMemoryChain);
}

void encode_FEED__(RequestRecord* r, const LineContext& line) {
  Exchange x;
  beginRequest(x, CMD_FEED, line);
  MotionHead head{0, r->feed.accelType, r->feed.filterType, r->feed.speedSource, r->feed.speed};
  putHead(x, head, false, true);
  putText(x, "D:");
  putKeyword(x, r->feed.feedDirection, FeedDirectionKeywords);
  runSimple(r, x);
}

void encode_STEP__(RequestRecord* r, const LineContext& line) {
  Exchange x;
  beginRequest(x, CMD_STEP, line);
  putHead(x, r->step.head, true, true);
  putText(x, "P:");
  putKeyword(x, r->step.stepDirection, StepDirectionKeywords);
  putKeyword(x, r->step.stepAmountSource, StepAmountKeywords);
  if (r->step.stepAmountSource == kExplicitValueCode) putHex8(x, r->step.stepAmount);
  runSimple(r, x);
}

void encode_POSING(RequestRecord* r, const LineContext& line) {
  Exchange x;
  beginRequest(x, CMD_POSING, line);
  putHead(x, r->posing.head, true, true);
  putText(x, "P:");
  putHex8(x, r->posing.targetPosition);
  runSimple(r, x);
}

void encode_GOTOPT(RequestRecord* r, const LineContext& line) {
  Exchange x;
  beginRequest(x, CMD_GOTOPT, line);
  MotionHead head{r->gotoPt.moveType, r->gotoPt.accelType, r->gotoPt.filterType, 0, 0};
  putHead(x, head, true, false);
  putText(x, "P:");
  putHex4(x, r->gotoPt.pointNumber);
  runSimple(r, x);
}

void encode_GOTOST(RequestRecord* r, const LineContext& line) {
  Exchange x;
  beginRequest(x, CMD_GOTOST, line);
  putHead(x, r->gotoSt.head, true, true);
  putText(x, "P:");
  putHex8(x, r->gotoSt.stationNumber);
  putText(x, "D:");
  putKeyword(x, r->gotoSt.stationDirection, StationDirectionKeywords);
  runSimple(r, x);
}

void encode_HOMING(RequestRecord* r, const LineContext& line) {
  Exchange x;
  beginRequest(x, CMD_HOMING, line);
  putHead(x, r->homing.head, true, true);
  runSimple(r, x);
}

void encode_POS_EX(RequestRecord* r, const LineContext& line) {
  Exchange x;
  beginRequest(x, CMD_POS_EX, line);
  putHead(x, r->posEx.head, true, true);
  putText(x, "P:");
  putHex8(x, r->posEx.targetPosition);
  putText(x, "S:");
  putKeyword(x, r->posEx.signalSource, SignalSourceKeywords);
  putText(x, "E:");
  putKeyword(x, r->posEx.externalPositionSource, ExternalDistanceKeywords);
  if (r->posEx.externalPositionSource == kExplicitValueCode) putHex8(x, r->posEx.externalPosition);
  if (r->posEx.externalSpeedSource == kExplicitValueCode) {
    putText(x, "O:");
    putHex8(x, r->posEx.externalSpeed);
  }
  runSimple(r, x);
}

void encode_POS_AS(RequestRecord* r, const LineContext& line) {
  Exchange x;
  beginRequest(x, CMD_POS_AS, line);
  putHead(x, r->posAs.head, true, true);
  putText(x, "P:");
  putHex8(x, r->posAs.targetPosition);
  if (line.debugMode) {
    putText(x, "D:");
    putKeyword(x, r->posAs.signalMoveType, MoveKeywords);
    putText(x, "S:");
    putKeyword(x, r->posAs.signal1Polarity, SpeedSwitchKeywords);
    putHex8(x, r->posAs.signal1OnPosition);
    putHex8(x, r->posAs.signal1OffPosition);
    putKeyword(x, r->posAs.signal2Polarity, SpeedSwitchKeywords);
    putHex8(x, r->posAs.signal2OnPosition);
    putHex8(x, r->posAs.signal2OffPosition);
  }
  runSimple(r, x);
}

void encode_POS_MS(RequestRecord* r, const LineContext& line) {
  constexpr int kPairsInFirstMessage = 11;
  int count = r->posMs.changeCount;
  if (count > kMaxChangePairs) count = kMaxChangePairs;   // the record holds no more
  const bool split = count > kPairsInFirstMessage;

  Exchange x;
  beginRequest(x, CMD_POS_MS, line);
  putText(x, split ? "B:0001" : "B:0000");
  putHead(x, r->posMs.head, true, true);
  putText(x, "P:");
  putHex8(x, r->posMs.targetPosition);
  putText(x, "D:");
  putKeyword(x, r->posMs.changeMoveType, MoveKeywords);
  if (count > 0) {
    putText(x, "X:");
    putPairs(x, r, 0, split ? kPairsInFirstMessage : count);
  }
  if (!split) {
    runSimple(r, x);
    return;
  }
  // The first message is written once and not answered.
  endRequest(x);
  if (x.overflow) {
    r->status = STATUS_MALFORMED;
    return;
  }
  if (sendRequest(line.port, x.request) != 0) {
    r->status = STATUS_COMM_FAILURE;
    return;
  }
  if (!splitPause()) {
    // A stop came between the two messages: the rest of the move is not sent.
    r->status = STATUS_COMM_FAILURE;
    return;
  }
  beginRequest(x, CMD_POS_MS, line);
  putText(x, "B:0000");
  putText(x, "X:");
  putPairs(x, r, kPairsInFirstMessage, count);
  runSimple(r, x);
}

void encode_STOP__(RequestRecord* r, const LineContext& line) {
  Exchange x;
  beginRequest(x, CMD_STOP, line);
  putText(x, "M:");
  putKeyword(x, r->stop.stopMode, StopKeywords);
  runSimple(r, x);
}

void encode_RDPARM(RequestRecord* r, const LineContext& line) {
  Exchange x;
  beginRequest(x, CMD_RDPARM, line);
  putText(x, "M:");
  putKeyword(x, r->rdparm.parameterBank, ParameterBankKeywords);
  putText(x, "S:Pn");
  putHex4(x, r->rdparm.parameterNumber);
  endRequest(x);
  if (!exchangeAndCheck(r, x)) return;
  r->rdparm.echoedNumber = replyHex4(x, 18);
  if (r->rdparm.echoedNumber != r->rdparm.parameterNumber) x.fieldFailed = true;
  r->rdparm.parameterValue = replyHex8(x, 22);
  finishRecord(r, x);
}

void encode_WRPARM(RequestRecord* r, const LineContext& line) {
  Exchange x;
  beginRequest(x, CMD_WRPARM, line);
  putText(x, "M:");
  putKeyword(x, r->wrparm.parameterBank, ParameterBankKeywords);
  putText(x, "D:");
  putText(x, "Pn");
  putHex4(x, r->wrparm.parameterNumber);
  putHex8(x, r->wrparm.parameterValue);
  runSimple(r, x);
}

void encode_GET_PT(RequestRecord* r, const LineContext& line) {
  Exchange x;
  beginRequest(x, CMD_GET_PT, line);
  putText(x, "N:");
  putHex4(x, r->getPt.pointNumber);
  endRequest(x);
  if (!exchangeAndCheck(r, x)) return;
  if (replyHex4(x, 16) != r->getPt.pointNumber) x.fieldFailed = true;
  r->getPt.speed = replyHex8(x, 22);
  r->getPt.targetPosition = replyHex8(x, 32);
  finishRecord(r, x);
}

void encode_SET_PT(RequestRecord* r, const LineContext& line) {
  Exchange x;
  beginRequest(x, CMD_SET_PT, line);
  putText(x, "N:");
  putHex4(x, r->setPt.pointNumber);
  putText(x, "V:");
  putHex8(x, r->setPt.speed);
  if (r->setPt.positionSource == kExplicitValueCode) {
    putText(x, "P:");
    putHex8(x, r->setPt.targetPosition);
  }
  runSimple(r, x);
}

void encode_WR_MEM(RequestRecord* r, const LineContext& line) {
  Exchange x;
  beginRequest(x, CMD_WR_MEM, line);
  putText(x, "T:");
  putKeyword(x, r->wrMem.device, UnitKeywords);
  putText(x, "A:");
  putHex8(x, r->wrMem.address);
  putText(x, "N:");
  putHex4(x, r->wrMem.byteCount);
  putText(x, "D:");
  // More bytes than one message holds mark the request as overflowing: it is not sent.
  if (r->wrMem.byteCount > kMaxWriteMemoryBytes || r->wrMem.dataPointer == nullptr) {
    if (r->wrMem.byteCount != 0) x.overflow = true;
  } else {
    for (uint16_t i = 0; i < r->wrMem.byteCount; ++i) putHex2(x, r->wrMem.dataPointer[i]);
  }
  runSimple(r, x);
}

void encode_RDDVID(RequestRecord* r, const LineContext& line) {
  Exchange x;
  beginRequest(x, CMD_RDDVID, line);
  putText(x, "M:");
  putKeyword(x, r->rddvid.idItem, IdItemKeywords);
  endRequest(x);
  if (!exchangeAndCheck(r, x)) return;
  std::memset(r->rddvid.idText, 0, sizeof r->rddvid.idText);
  bool ended = false;
  for (int offset = 16; offset <= 48; ++offset) {
    char c = static_cast<char>(x.reply.data[offset]);
    if (c == ';') {
      ended = true;
      break;
    }
    if (offset < 48) r->rddvid.idText[offset - 16] = c;
  }
  if (!ended) x.fieldFailed = true;
  finishRecord(r, x);
}

void runCommandEncoder(RequestRecord* record, const LineContext& line) {
  using Encoder = void (*)(RequestRecord*, const LineContext&);
  static const Encoder kEncoders[COMMAND_COUNT] = {
      encode_BKCTRL, encode_CLRALM, encode_FEED__, encode_GET_PT, encode_GOTOPT, encode_GOTOST,
      encode_HOMING, encode_POS_AS, encode_POS_EX, encode_POS_MS, encode_POSING, encode_RD_ALM,
      encode_RD_MEM, encode_RD_MON, encode_RDDVID, encode_RDMSTS, encode_RDPARM, encode_RDPORT,
      encode_RDSSTS, encode_RSTMDL, encode_SET_PT, encode_SETDIS, encode_STEP__, encode_STOP__,
      encode_SVCTRL, encode_WR_MEM, encode_WRPARM, encode_WRPORT};
  if (record->opCode < COMMAND_COUNT) kEncoders[record->opCode](record, line);
}
