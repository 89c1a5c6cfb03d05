// Parameter definitions: the ParameterTable and the AlarmTextTable, each with the
// string pool its texts live in, and the parse of a definition file into them.
#pragma once
#include <cstddef>
#include <cstdint>
#include "link/link_state.h"

constexpr int MAX_DEFINITIONS = 4095;
constexpr int MAX_SUB_ENTRIES = 16;     // bit fields, digit fields or choices
constexpr int MAX_CHOICES = 16;

// A selection value (one hexadecimal digit) and its text.
struct Choice {
  uint16_t value;
  const char* text;        // string of the table's pool; null ends a field's choices
};

// Kind B: (value AND mask) >> position, mask = (2^bitCount - 1) << position.
struct BitField {
  uint16_t position;       // lowest bit, 0-15
  uint16_t bitCount;
  const char* name;
  Choice choices[MAX_CHOICES];
};

// Kind N: hexadecimal digit `position` (0 = lowest) of the 16-bit value.
struct NibbleField {
  uint16_t position;       // 0-3
  const char* name;
  Choice choices[MAX_CHOICES];
};

struct ParameterDefinition {
  uint16_t number;         // Pn number; below 0x800 servo, from 0x800 option
  char kind;               // 'D', 'H', 'B', 'N', 'S'; 0 while no kind block was read
  uint8_t valueValid;      // 1 while value is meant for a data file or the module
  const char* name;        // string of the table's pool
  uint16_t size;           // bytes on the module: 1, 2 or 4 (2 for B, N, S)
  int32_t value;           // only the low `size` bytes are meaningful
  union {
    uint16_t format;       // D and H: number format word of the value
    uint16_t entryCount;   // B, N, S: sub-entries read
  };
  // D and H: limits scaled like the value (low `size` bytes), unit with brackets.
  int32_t minimum;
  int32_t maximum;
  const char* unit;        // null when the body has none
  union {                  // B, N, S
    BitField bits[MAX_SUB_ENTRIES];
    NibbleField nibbles[MAX_SUB_ENTRIES];
    Choice choices[MAX_CHOICES];
  };
};

// Bytes of texts one table can hold: many times what the shipped files need. A
// file whose texts do not fit is refused at the line of the first that does not.
constexpr uint32_t kParameterPoolSize = 1024 * 1024;
constexpr uint32_t kAlarmPoolSize = 256 * 1024;

// Every text of a table lives in the table's own pool, so a parse into one table
// never touches the strings of another; they stay valid until the table is cleared.
// A byte copy of a table (a scratch table for a data file) still points at the
// strings of the table it was copied from.
struct ParameterTable {
  uint16_t count;
  ParameterDefinition entries[MAX_DEFINITIONS];
  uint32_t poolUsed;
  char pool[kParameterPoolSize];
};

// Alarm groups, by the tag that selects them in the file.
constexpr int ALARM_GROUP_COUNT = 7;
constexpr int ALARM_SVW = 0, ALARM_SVA = 1, ALARM_MTW = 2, ALARM_MTA = 3, ALARM_SYW = 4,
              ALARM_SYA = 5, ALARM_HST = 6;   // HST: texts of the alarm history
struct AlarmTextTable {
  const char* texts[ALARM_GROUP_COUNT][256];  // strings of the pool below, or null
  uint32_t poolUsed;
  char pool[kAlarmPoolSize];
};

extern ParameterTable g_parameterTable;
extern AlarmTextTable g_alarmTexts;

// Reads the whole file and parses it into g_parameterTable, g_alarmTexts and
// g_mode (debugMode, modeCode). 0, 0xFFFF when the file is missing, unreadable or
// empty (nothing is created), or the 1-based line of the first error. Does not
// clear the tables first: call clearDefinitions.
uint16_t loadDefinitions(const char* path);
// The same on a text already in memory, into the given records (alarms and mode
// may be null). Texts are added to the pools of `table` and `alarms`; no other
// table's strings are touched.
uint16_t parseDefinitions(const char* data, uint32_t size, ParameterTable* table,
                          AlarmTextTable* alarms, ModeRecord* mode);

// Zero-fills g_parameterTable (count and pool included) and g_alarmTexts.
void clearDefinitions();
void clearParameterTable(ParameterTable* table);
// Changes with every clearDefinitions and every parse, so an index or string taken
// under one generation is not used under another.
uint32_t definitionGeneration();
void bumpDefinitionGeneration();

// First definition with that number, or null (scans from the start).
ParameterDefinition* findDefinition(uint16_t number);
ParameterDefinition* findDefinitionIn(ParameterTable* table, uint16_t number);
const char* alarmText(int group, uint8_t code);   // null when there is none

// Whether the definition's value (and limits) are signed: kind D with a signed format.
bool definitionSigned(const ParameterDefinition& def);
// A number held in the low `size` bytes of a 32-bit field, widened by its sign.
int32_t widenStored(int32_t field, uint16_t size, bool isSigned);
// Copies a Shift-JIS pool text (null: empty) into `out` of `size` bytes, cut
// before a character that would not fit whole; always terminated.
void copyPoolText(const char* text, char* out, size_t size);
