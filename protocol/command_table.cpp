// The constant command and keyword tables, and keyword writing and matching.
#include "protocol/command_table.h"

#include <cstring>

const CommandEntry CommandTable[] = {
    {0, "BKCTRL"},  {1, "CLRALM"},  {2, "FEED__"},  {3, "GET_PT"},  {4, "GOTOPT"},
    {5, "GOTOST"},  {6, "HOMING"},  {7, "POS_AS"},  {8, "POS_EX"},  {9, "POS_MS"},
    {10, "POSING"}, {11, "RD_ALM"}, {12, "RD_MEM"}, {13, "RD_MON"}, {14, "RDDVID"},
    {15, "RDMSTS"}, {16, "RDPARM"}, {17, "RDPORT"}, {18, "RDSSTS"}, {19, "RSTMDL"},
    {20, "SET_PT"}, {21, "SETDIS"}, {22, "STEP__"}, {23, "STOP__"}, {24, "SVCTRL"},
    {25, "WR_MEM"}, {26, "WRPARM"}, {27, "WRPORT"}, {kTableEnd, ""}};

const KeywordEntry OnOffKeywords[] = {{1, "ON_"}, {0, "OFF"}, {kTableEnd, ""}};
const KeywordEntry AlarmClearKeywords[] = {{1, "CURT"}, {2, "HIST"}, {kTableEnd, ""}};
const KeywordEntry UnitKeywords[] = {{0, "QZ"}, {1, "SV"}, {kTableEnd, ""}};
const KeywordEntry AccelKeywords[] = {
    {0, "PARM"}, {1, "NONE"}, {2, "LACC"}, {3, "TWOS"}, {4, "IDEA"}, {kTableEnd, ""}};
const KeywordEntry FilterKeywords[] = {
    {0, "PARM"}, {1, "NONE"}, {2, "EXP_"}, {3, "BIAS"}, {4, "MAVE"}, {kTableEnd, ""}};
const KeywordEntry SpeedKeywords[] = {{0, "PARM"}, {1, "CURT"}, {4, "SET_"}, {kTableEnd, ""}};
const KeywordEntry MoveKeywords[] = {{1, "ABS_"}, {2, "INC_"}, {kTableEnd, ""}};
const KeywordEntry FeedDirectionKeywords[] = {{0, "CW_"}, {1, "CCW"}, {kTableEnd, ""}};
const KeywordEntry StationDirectionKeywords[] = {
    {0, "CW_"}, {1, "CCW"}, {2, "NR_"}, {kTableEnd, ""}};
const KeywordEntry SpeedSwitchKeywords[] = {{0, "NORM"}, {1, "REVS"}, {kTableEnd, ""}};
const KeywordEntry SignalSourceKeywords[] = {{0, "PC_"}, {1, "EXT"}, {kTableEnd, ""}};
const KeywordEntry ExternalDistanceKeywords[] = {{0, "PARM"}, {4, "SET_"}, {kTableEnd, ""}};
const KeywordEntry StepDirectionKeywords[] = {{0, "+"}, {1, "-"}, {kTableEnd, ""}};
const KeywordEntry StepAmountKeywords[] = {
    {0, "SEL1"}, {1, "SEL2"}, {2, "SEL3"}, {3, "SEL4"}, {4, "SET_"}, {kTableEnd, ""}};
const KeywordEntry StopKeywords[] = {{0, "DEC_"}, {1, "ZERO"}, {kTableEnd, ""}};
const KeywordEntry IdItemKeywords[] = {{0, "QZ_TYP"}, {1, "QZ_VER"}, {2, "SV_TYP"},
                                       {3, "SV_VER"}, {4, "EN_VER"}, {5, "MT_TYP"},
                                       {kTableEnd, ""}};
const KeywordEntry ParameterBankKeywords[] = {{0, "NORM"}, {kTableEnd, ""}};
const KeywordEntry PortKeywords[] = {{0, "INP"}, {1, "OUT"}, {kTableEnd, ""}};
const KeywordEntry MotionStateKeywords[] = {
    {0, "NEUTRAL"}, {1, "POSING_"}, {2, "POS_EX_"}, {3, "POS_MS_"}, {4, "POS_AS_"},
    {5, "FEED___"}, {6, "GOTOST_"}, {7, "GOTOPT_"}, {8, "HOMING_"}, {9, "STOP___"},
    {10, "EM_STOP"}, {11, "FEED_EX"}, {kTableEnd, ""}};

const char* commandName(uint8_t code) {
  for (const CommandEntry* e = CommandTable; e->code != kTableEnd; ++e)
    if (e->code == code) return e->name;
  return "??????";
}

int appendKeyword(uint8_t code, const KeywordEntry* table, char* out) {
  for (const KeywordEntry* e = table; e->code != kTableEnd; ++e) {
    if (e->code != code) continue;
    int n = static_cast<int>(std::strlen(e->text));
    std::memcpy(out, e->text, static_cast<size_t>(n));
    return n;
  }
  return 0;
}

int matchKeyword(const char* text, const KeywordEntry* table, uint8_t* code) {
  int length = 0;
  for (const KeywordEntry* e = table; e->code != kTableEnd; ++e) {
    length = static_cast<int>(std::strlen(e->text));
    if (std::memcmp(text, e->text, static_cast<size_t>(length)) == 0) {
      *code = e->code;
      return length;
    }
  }
  *code = kTableEnd;
  return length;
}
