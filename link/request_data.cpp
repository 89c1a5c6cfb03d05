// Request functions of the status, monitor, I/O, parameter, point-table, memory,
// identification and module commands.
#include <algorithm>
#include <cstring>
#include "link/request.h"
#include "link/request_call.h"

uint16_t request_CLRALM(OwnerHandle owner, uint8_t clearKind, uint8_t device) {
  RequestRecord record = newRecord(CMD_CLRALM);
  RequestRecord* r = &record;
  r->clralm.clearKind = clearKind;
  r->clralm.device = device;
  return runRequest(owner, CMD_CLRALM, r);
}

uint16_t request_GET_PT(OwnerHandle owner, uint16_t pointNumber, uint32_t* speed,
                        uint32_t* targetPosition) {
  RequestRecord record = newRecord(CMD_GET_PT);
  RequestRecord* r = &record;
  r->getPt.pointNumber = pointNumber;
  uint16_t status = runRequest(owner, CMD_GET_PT, r);
  if (status != STATUS_OK) return status;
  if (speed) *speed = r->getPt.speed;
  if (targetPosition) *targetPosition = r->getPt.targetPosition;
  return STATUS_OK;
}

uint16_t request_RD_ALM(OwnerHandle owner, uint8_t device, uint16_t* alarmCount, AlarmEntry* entries) {
  RequestRecord record = newRecord(CMD_RD_ALM);
  RequestRecord* r = &record;
  r->rdAlm.device = device;
  uint16_t status = runRequest(owner, CMD_RD_ALM, r);
  if (status != STATUS_OK) return status;
  uint16_t n = std::min<uint16_t>(r->rdAlm.alarmCount, kMaxAlarmEntries);
  if (alarmCount) *alarmCount = n;
  if (entries) std::memcpy(entries, r->rdAlm.alarms, n * sizeof(AlarmEntry));
  return STATUS_OK;
}

uint16_t request_RD_MEM(OwnerHandle owner, uint8_t device, uint32_t address, uint16_t byteCount,
                        uint8_t* data) {
  RequestRecord record = newRecord(CMD_RD_MEM);
  RequestRecord* r = &record;
  r->rdMem.device = device;
  r->rdMem.address = address;
  r->rdMem.byteCount = byteCount;
  r->rdMem.memoryData = data;
  return runRequest(owner, CMD_RD_MEM, r);
}

uint16_t request_RD_MON(OwnerHandle owner, uint32_t* commandPosition, uint32_t* feedbackPosition,
                        uint32_t* positionDeviation, uint32_t* latchPosition, uint32_t* outputTorque,
                        uint32_t* monitor1, uint32_t* monitor2) {
  RequestRecord record = newRecord(CMD_RD_MON);
  RequestRecord* r = &record;
  uint16_t status = runRequest(owner, CMD_RD_MON, r);
  if (status != STATUS_OK) return status;
  if (commandPosition) *commandPosition = r->rdMon.commandPosition;
  if (feedbackPosition) *feedbackPosition = r->rdMon.feedbackPosition;
  if (positionDeviation) *positionDeviation = r->rdMon.positionDeviation;
  if (latchPosition) *latchPosition = r->rdMon.latchPosition;
  if (outputTorque) *outputTorque = r->rdMon.outputTorque;
  if (monitor1) *monitor1 = r->rdMon.monitor1;
  if (monitor2) *monitor2 = r->rdMon.monitor2;
  return STATUS_OK;
}

uint16_t request_RDDVID(OwnerHandle owner, uint8_t idItem, char* idText) {
  RequestRecord record = newRecord(CMD_RDDVID);
  RequestRecord* r = &record;
  r->rddvid.idItem = idItem;
  uint16_t status = runRequest(owner, CMD_RDDVID, r);
  if (status != STATUS_OK) return status;
  if (idText) std::memcpy(idText, r->rddvid.idText, kIdTextLength);
  return STATUS_OK;
}

uint16_t request_RDMSTS(OwnerHandle owner, uint8_t* motionState, uint16_t* motionStatusWord) {
  RequestRecord record = newRecord(CMD_RDMSTS);
  RequestRecord* r = &record;
  uint16_t status = runRequest(owner, CMD_RDMSTS, r);
  if (status != STATUS_OK) return status;
  if (motionState) *motionState = r->rdmsts.motionState;
  if (motionStatusWord) *motionStatusWord = r->rdmsts.motionStatusWord;
  return STATUS_OK;
}

uint16_t request_RDPARM(OwnerHandle owner, uint8_t parameterBank, uint16_t parameterNumber,
                        uint16_t* echoedNumber, uint32_t* parameterValue) {
  RequestRecord record = newRecord(CMD_RDPARM);
  RequestRecord* r = &record;
  r->rdparm.parameterBank = parameterBank;
  r->rdparm.parameterNumber = parameterNumber;
  // A number the module rejects is an answer, not a fault: no box.
  uint16_t status = runRequest(owner, CMD_RDPARM, r, nullptr, SILENT_ON_ERROR_REPLY);
  if (status != STATUS_OK) return status;
  if (echoedNumber) *echoedNumber = r->rdparm.echoedNumber;
  if (parameterValue) *parameterValue = r->rdparm.parameterValue;
  return STATUS_OK;
}

uint16_t request_RDPORT(OwnerHandle owner, uint8_t portSelect, uint16_t* portBits) {
  RequestRecord record = newRecord(CMD_RDPORT);
  RequestRecord* r = &record;
  r->rdport.portSelect = portSelect;
  uint16_t status = runRequest(owner, CMD_RDPORT, r);
  if (status != STATUS_OK) return status;
  if (portBits) std::memcpy(portBits, r->rdport.portBits, sizeof r->rdport.portBits);
  return STATUS_OK;
}

uint16_t request_RDSSTS(OwnerHandle owner, uint16_t* statusValue, uint8_t* ready, uint8_t* servoOn,
                        uint8_t* mainCircuitOn, uint8_t* alarm) {
  RequestRecord record = newRecord(CMD_RDSSTS);
  RequestRecord* r = &record;
  uint16_t answer = 0;
  uint16_t status = runRequest(owner, CMD_RDSSTS, r, &answer);
  if (status == STATUS_OK) {
    if (statusValue) *statusValue = r->rdssts.statusValue;
    if (ready) *ready = r->rdssts.ready;
    if (servoOn) *servoOn = r->rdssts.servoOn;
    if (mainCircuitOn) *mainCircuitOn = r->rdssts.mainCircuitOn;
    if (alarm) *alarm = r->rdssts.alarm;
    return STATUS_OK;
  }
  // Yes in the box means the reconnection has been tried: carry on.
  if (answer == ANSWER_YES && status != STATUS_ERROR_REPLY) return STATUS_OK;
  return status;
}

uint16_t request_RSTMDL(OwnerHandle owner) {
  RequestRecord record = newRecord(CMD_RSTMDL);
  RequestRecord* r = &record;
  return runRequest(owner, CMD_RSTMDL, r);
}

uint16_t request_SET_PT(OwnerHandle owner, uint16_t pointNumber, uint32_t speed,
                        uint8_t positionSource, uint32_t targetPosition) {
  RequestRecord record = newRecord(CMD_SET_PT);
  RequestRecord* r = &record;
  r->setPt.pointNumber = pointNumber;
  r->setPt.speed = speed;
  r->setPt.positionSource = positionSource;
  r->setPt.targetPosition = positionSource == kExplicitValueCode ? targetPosition : 0;
  return runRequest(owner, CMD_SET_PT, r);
}

uint16_t request_SETDIS(OwnerHandle owner, const uint16_t* outputMask) {
  RequestRecord record = newRecord(CMD_SETDIS);
  RequestRecord* r = &record;
  if (r && outputMask) std::memcpy(r->setdis.outputMask, outputMask, sizeof r->setdis.outputMask);
  return runRequest(owner, CMD_SETDIS, r);
}

uint16_t request_WR_MEM(OwnerHandle owner, uint8_t device, uint32_t address, uint16_t byteCount,
                        const uint8_t* data) {
  // One message holds at most 111 data bytes; refuse more before anything is sent.
  if (byteCount > kMaxWriteMemoryBytes || (byteCount > 0 && !data)) return STATUS_MALFORMED;
  RequestRecord record = newRecord(CMD_WR_MEM);
  RequestRecord* r = &record;
  r->wrMem.device = device;
  r->wrMem.address = address;
  r->wrMem.byteCount = byteCount;
  r->wrMem.dataPointer = data;
  return runRequest(owner, CMD_WR_MEM, r);
}

uint16_t request_WRPARM(OwnerHandle owner, uint8_t parameterBank, uint16_t parameterNumber,
                        uint32_t parameterValue) {
  RequestRecord record = newRecord(CMD_WRPARM);
  RequestRecord* r = &record;
  r->wrparm.parameterBank = parameterBank;
  r->wrparm.parameterNumber = parameterNumber;
  r->wrparm.parameterValue = parameterValue;
  return runRequest(owner, CMD_WRPARM, r);
}

uint16_t request_WRPORT(OwnerHandle owner, const uint16_t* outputBits) {
  RequestRecord record = newRecord(CMD_WRPORT);
  RequestRecord* r = &record;
  if (r && outputBits) std::memcpy(r->wrport.outputBits, outputBits, sizeof r->wrport.outputBits);
  return runRequest(owner, CMD_WRPORT, r);
}
