// The 28 command encoders: each builds its request from a request record, runs the
// exchange on the current port and decodes the reply into the same record.
#pragma once
#include "protocol/request_record.h"

// Dispatches on opCode 0 to 27; other codes are ignored.
void runCommandEncoder(RequestRecord* record);

void encode_BKCTRL(RequestRecord* record);
void encode_CLRALM(RequestRecord* record);
void encode_FEED__(RequestRecord* record);
void encode_GET_PT(RequestRecord* record);
void encode_GOTOPT(RequestRecord* record);
void encode_GOTOST(RequestRecord* record);
void encode_HOMING(RequestRecord* record);
void encode_POS_AS(RequestRecord* record);
void encode_POS_EX(RequestRecord* record);
void encode_POS_MS(RequestRecord* record);
void encode_POSING(RequestRecord* record);
void encode_RD_ALM(RequestRecord* record);
void encode_RD_MEM(RequestRecord* record);
void encode_RD_MON(RequestRecord* record);
void encode_RDDVID(RequestRecord* record);
void encode_RDMSTS(RequestRecord* record);
void encode_RDPARM(RequestRecord* record);
void encode_RDPORT(RequestRecord* record);
void encode_RDSSTS(RequestRecord* record);
void encode_RSTMDL(RequestRecord* record);
void encode_SET_PT(RequestRecord* record);
void encode_SETDIS(RequestRecord* record);
void encode_STEP__(RequestRecord* record);
void encode_STOP__(RequestRecord* record);
void encode_SVCTRL(RequestRecord* record);
void encode_WR_MEM(RequestRecord* record);
void encode_WRPARM(RequestRecord* record);
void encode_WRPORT(RequestRecord* record);
