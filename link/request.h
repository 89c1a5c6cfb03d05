// Blocking request functions, one per module command. Each fills a request record,
// hands it to the communication thread and waits. On failure it shows the common
// error box (showCommError, which can reconnect) and returns the status; results
// are copied to the caller only on status 0.
#pragma once
#include <cstdint>
#include "link/prompt.h"
#include "protocol/request_record.h"

uint16_t request_BKCTRL(OwnerHandle owner, uint8_t brakeOn);
// Any motion command, copied whole into the record that is sent: explicit values
// only with the keyword code that announces them, at most 15 speed changes, the
// pass-point block only in debug mode. A command that is no motion is not sent
// (status 3, no box).
uint16_t requestMotion(OwnerHandle owner, const MotionRequest& motion);
uint16_t request_CLRALM(OwnerHandle owner, uint8_t clearKind, uint8_t device);
uint16_t request_GET_PT(OwnerHandle owner, uint16_t pointNumber, uint32_t* speed,
                        uint32_t* targetPosition);
// `entries` must hold 16 entries.
uint16_t request_RD_ALM(OwnerHandle owner, uint8_t device, uint16_t* alarmCount, AlarmEntry* entries);
// `data` (byteCount bytes, or null) is filled as the replies arrive; after a
// failure it may hold part of them.
uint16_t request_RD_MEM(OwnerHandle owner, uint8_t device, uint32_t address, uint16_t byteCount,
                        uint8_t* data);
uint16_t request_RD_MON(OwnerHandle owner, uint32_t* commandPosition, uint32_t* feedbackPosition,
                        uint32_t* positionDeviation, uint32_t* latchPosition, uint32_t* outputTorque,
                        uint32_t* monitor1, uint32_t* monitor2);
// `idText` receives 32 bytes (not terminated when the text has 32 characters).
uint16_t request_RDDVID(OwnerHandle owner, uint8_t idItem, char* idText);
uint16_t request_RDMSTS(OwnerHandle owner, uint8_t* motionState, uint16_t* motionStatusWord);
// Status 2 (the module rejects the number) returns 2 without a box.
uint16_t request_RDPARM(OwnerHandle owner, uint8_t parameterBank, uint16_t parameterNumber,
                        uint16_t* echoedNumber, uint32_t* parameterValue);
uint16_t request_RDPORT(OwnerHandle owner, uint8_t portSelect, uint16_t* portBits /* [3] */);
// After a box answered Yes (and status not 2) returns 0: the reconnection was tried.
uint16_t request_RDSSTS(OwnerHandle owner, uint16_t* statusValue, uint8_t* ready, uint8_t* servoOn,
                        uint8_t* mainCircuitOn, uint8_t* alarm);
uint16_t request_RSTMDL(OwnerHandle owner);
uint16_t request_SET_PT(OwnerHandle owner, uint16_t pointNumber, uint32_t speed,
                        uint8_t positionSource, uint32_t targetPosition);
uint16_t request_SETDIS(OwnerHandle owner, const uint16_t* outputMask /* [3] */);
uint16_t request_STOP__(OwnerHandle owner, uint8_t stopMode);
uint16_t request_SVCTRL(OwnerHandle owner, uint8_t servoOn);
// More than 111 bytes is refused before anything is sent (status 3, no box).
uint16_t request_WR_MEM(OwnerHandle owner, uint8_t device, uint32_t address, uint16_t byteCount,
                        const uint8_t* data);
uint16_t request_WRPARM(OwnerHandle owner, uint8_t parameterBank, uint16_t parameterNumber,
                        uint32_t parameterValue);
uint16_t request_WRPORT(OwnerHandle owner, const uint16_t* outputBits /* [3] */);

// The common error box; returns its answer. Status 1 and 3 offer reconnection.
uint16_t showCommError(OwnerHandle owner, uint8_t opCode, uint16_t status, uint16_t errorCode);
// Reads the module status once and, if that works, starts the status poll thread.
void startStatusPolling(OwnerHandle owner);
