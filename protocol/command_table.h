// Command names and keyword tables of the module protocol, and the keyword
// writing and matching that every encoder and decoder uses.
#pragma once
#include <cstdint>

constexpr uint8_t kTableEnd = 0xFF;

struct CommandEntry {
  uint8_t code;
  const char* name;   // exactly six characters
};
struct KeywordEntry {
  uint8_t code;
  const char* text;
};

extern const CommandEntry CommandTable[];   // ended by code 0xFF

extern const KeywordEntry OnOffKeywords[];
extern const KeywordEntry AlarmClearKeywords[];
extern const KeywordEntry UnitKeywords[];
extern const KeywordEntry AccelKeywords[];
extern const KeywordEntry FilterKeywords[];
extern const KeywordEntry SpeedKeywords[];
extern const KeywordEntry MoveKeywords[];
extern const KeywordEntry FeedDirectionKeywords[];
extern const KeywordEntry StationDirectionKeywords[];
extern const KeywordEntry SpeedSwitchKeywords[];
extern const KeywordEntry SignalSourceKeywords[];
extern const KeywordEntry ExternalDistanceKeywords[];
extern const KeywordEntry StepDirectionKeywords[];
extern const KeywordEntry StepAmountKeywords[];
extern const KeywordEntry StopKeywords[];
extern const KeywordEntry IdItemKeywords[];
extern const KeywordEntry ParameterBankKeywords[];
extern const KeywordEntry PortKeywords[];
extern const KeywordEntry MotionStateKeywords[];

// Six-character name of a command code, or "??????" for an unknown code.
const char* commandName(uint8_t code);

// Copies the keyword text of `code` (no terminator); returns its length, 0 when
// the code is not in the table.
int appendKeyword(uint8_t code, const KeywordEntry* table, char* out);
// Compares `text` with each keyword in table order; the first match gives the
// code and the returned length. No match: code 0xFF, and the length of the last
// keyword tried.
int matchKeyword(const char* text, const KeywordEntry* table, uint8_t* code);
