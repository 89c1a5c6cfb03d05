// The 28 command encoders: each builds its request from a request record, runs the
// exchange on the line it is given and decodes the reply into the same record.
#pragma once
#include "protocol/exchange.h"
#include "protocol/request_record.h"

// Dispatches on opCode 0 to 27; other codes are ignored.
void runCommandEncoder(RequestRecord* record, const LineContext& line);

void encode_BKCTRL(RequestRecord* record, const LineContext& line);
void encode_CLRALM(RequestRecord* record, const LineContext& line);
void encode_FEED__(RequestRecord* record, const LineContext& line);
void encode_GET_PT(RequestRecord* record, const LineContext& line);
void encode_GOTOPT(RequestRecord* record, const LineContext& line);
void encode_GOTOST(RequestRecord* record, const LineContext& line);
void encode_HOMING(RequestRecord* record, const LineContext& line);
void encode_POS_AS(RequestRecord* record, const LineContext& line);
void encode_POS_EX(RequestRecord* record, const LineContext& line);
void encode_POS_MS(RequestRecord* record, const LineContext& line);
void encode_POSING(RequestRecord* record, const LineContext& line);
void encode_RD_ALM(RequestRecord* record, const LineContext& line);
void encode_RD_MEM(RequestRecord* record, const LineContext& line);
void encode_RD_MON(RequestRecord* record, const LineContext& line);
void encode_RDDVID(RequestRecord* record, const LineContext& line);
void encode_RDMSTS(RequestRecord* record, const LineContext& line);
void encode_RDPARM(RequestRecord* record, const LineContext& line);
void encode_RDPORT(RequestRecord* record, const LineContext& line);
void encode_RDSSTS(RequestRecord* record, const LineContext& line);
void encode_RSTMDL(RequestRecord* record, const LineContext& line);
void encode_SET_PT(RequestRecord* record, const LineContext& line);
void encode_SETDIS(RequestRecord* record, const LineContext& line);
void encode_STEP__(RequestRecord* record, const LineContext& line);
void encode_STOP__(RequestRecord* record, const LineContext& line);
void encode_SVCTRL(RequestRecord* record, const LineContext& line);
void encode_WR_MEM(RequestRecord* record, const LineContext& line);
void encode_WRPARM(RequestRecord* record, const LineContext& line);
void encode_WRPORT(RequestRecord* record, const LineContext& line);
