// Definition file grammar: the header, kind blocks and their bodies, alarm blocks
// and the mode directive, parsed into a table and its string pool.
#include <cstring>
#include "files/definition_tokenizer.h"
#include "files/definitions.h"
#include "protocol/number_format.h"

namespace {
constexpr uint16_t kReadFailed = 0xFFFF;

bool isDigit(uint8_t c) { return c >= '0' && c <= '9'; }

// Where a text is kept: the pool of the table it belongs to (null bytes: nowhere).
struct PoolTarget {
  char* bytes;
  uint32_t size;
  uint32_t* used;
};

struct Parser : DefinitionCursor {
  ParameterTable* table;
  AlarmTextTable* alarms;
  ModeRecord* mode;
  ParameterDefinition* current;   // most recently opened definition
  PoolTarget tableTexts;          // names, units and choice texts
  PoolTarget alarmTexts;
};

bool storeText(const Parser& p, const PoolTarget& pool, uint32_t from, uint32_t to,
               const char** out) {
  if (!pool.bytes) return true;
  uint32_t length = to - from;
  if (*pool.used > pool.size || pool.size - *pool.used < length + 1) return false;   // full
  char* s = pool.bytes + *pool.used;
  std::memcpy(s, p.text + from, length);
  s[length] = 0;
  *pool.used += length + 1;
  *out = s;
  return true;
}

// At the opening quote: the text up to the closing quote or the line end, kept in `pool`.
bool readQuoted(Parser& p, const PoolTarget& pool, const char** out) {
  uint32_t from = 0, to = 0;
  return scanQuoted(p, &from, &to) && storeText(p, pool, from, to, out);
}

uint16_t storageFor(uint16_t size, bool isSigned) {
  uint16_t storage = size == 1 ? 0 : size == 2 ? 2 : 4;
  return static_cast<uint16_t>(storage + (isSigned ? 1 : 0));
}

// Whether a 32-bit pattern, read as `size` bytes with that sign, equals `wide`.
bool fitsStorage(int64_t wide, uint16_t size, bool isSigned) {
  int bits = size * 8;
  int64_t low = isSigned ? -(int64_t(1) << (bits - 1)) : 0;
  int64_t high = isSigned ? (int64_t(1) << (bits - 1)) - 1 : (int64_t(1) << bits) - 1;
  return wide >= low && wide <= high;
}

struct Token {
  uint32_t from;
  uint32_t length;
};

// Kind D: formats, limits and the width check from the two limit tokens.
bool finishDecimal(Parser& p, const Token& lowToken, const Token& highToken) {
  ParameterDefinition& def = *p.current;
  const Token tokens[2] = {lowToken, highToken};
  int width[2], fraction[2];
  bool negative[2];
  for (int k = 0; k < 2; ++k) {
    const uint8_t* t = p.text + tokens[k].from;
    if (tokens[k].length == 0 || tokens[k].length > 15) return false;
    width[k] = static_cast<int>(tokens[k].length);
    fraction[k] = 0;
    for (uint32_t j = 0; j < tokens[k].length; ++j)
      if (t[j] == '.') {
        fraction[k] = static_cast<int>(tokens[k].length - j - 1);
        break;
      }
    negative[k] = t[0] == '-';
  }
  bool isSigned = negative[0] || negative[1];
  uint16_t storage = storageFor(def.size, isSigned);
  int64_t wide[2];
  for (int k = 0; k < 2; ++k) {
    uint32_t field = 0;
    uint16_t word = static_cast<uint16_t>(width[k] | (fraction[k] << 4) | (storage << 8));
    if (parseNumber(word, reinterpret_cast<const char*>(p.text + tokens[k].from), &field) != 0)
      return false;
    wide[k] = isSigned ? int64_t(widenStored(static_cast<int32_t>(field), def.size, true))
                       : int64_t(field);
  }
  // The limit with fewer fraction digits is scaled to the other's.
  for (int k = 0; k < 2; ++k) {
    int other = 1 - k;
    while (fraction[k] < fraction[other]) {
      wide[k] *= 10;
      ++fraction[k];
      ++width[k];
    }
    if (!fitsStorage(wide[k], def.size, isSigned)) return false;
  }
  int digits = fraction[0];
  int total = width[0] > width[1] ? width[0] : width[1];
  int extra = (digits > 0 ? 1 : 0) + (isSigned ? 1 : 0);
  int allowed = extra + (def.size == 1 ? 3 : def.size == 2 ? 5 : 10);
  if (total > allowed || total > 15) return false;
  def.format = static_cast<uint16_t>(total | (digits << 4) | (storage << 8));
  // Only the low `size` bytes are written; the upper bytes stay zero.
  uint32_t mask = def.size == 4 ? 0xFFFFFFFFu : (1u << (def.size * 8)) - 1;
  def.minimum = static_cast<int32_t>(static_cast<uint32_t>(wide[0]) & mask);
  def.maximum = static_cast<int32_t>(static_cast<uint32_t>(wide[1]) & mask);
  return true;
}

// Kind H: each limit as zero-filled hexadecimal of its own length.
bool finishHex(Parser& p, const Token& lowToken, const Token& highToken) {
  ParameterDefinition& def = *p.current;
  const Token tokens[2] = {lowToken, highToken};
  int32_t* limits[2] = {&def.minimum, &def.maximum};
  uint16_t storage = storageFor(def.size, false);
  for (int k = 0; k < 2; ++k) {
    const uint8_t* t = p.text + tokens[k].from;
    if (tokens[k].length == 0 || tokens[k].length > 15) return false;
    uint32_t significant = 0;
    for (uint32_t j = 0; j < tokens[k].length; ++j) {
      if (hexDigitValue(t[j]) < 0) return false;     // no sign, no point, no blank
      if (significant || t[j] != '0') ++significant;
    }
    if (significant > def.size * 2u) return false;
    uint32_t field = 0;
    uint16_t word = static_cast<uint16_t>(0x4000 | (storage << 8) | tokens[k].length);
    if (parseNumber(word, reinterpret_cast<const char*>(t), &field) != 0) return false;
    *limits[k] = static_cast<int32_t>(field);
  }
  def.format = def.size == 1 ? hex2 : def.size == 2 ? hex4 : hex8;
  return true;
}

// Body of kinds D and H: {size,minimum,maximum [unit]}.
bool parseLimitsBody(Parser& p, bool decimal) {
  ParameterDefinition& def = *p.current;
  int tokens = 0;
  Token low{0, 0}, high{0, 0};
  while (true) {
    uint8_t c = 0;
    if (!nextBodyChar(p, &c)) return false;
    bool numberStart = isDigit(c) || c == '-' || c == '.' || (!decimal && hexDigitValue(c) >= 0);
    if (numberStart) {
      if (tokens == 0) {
        if (!isDigit(c) || (p.at + 1 < p.end && isDigit(p.text[p.at + 1]))) return false;
        if (c != '1' && c != '2' && c != '4') return false;
        def.size = static_cast<uint16_t>(c - '0');
        ++p.at;
      } else if (tokens == 1) {
        low.from = p.at;
        while (p.at < p.end && p.text[p.at] != ',') {
          if (isLineEnd(p.text[p.at])) return false;
          ++p.at;
        }
        if (p.at >= p.end) return false;
        low.length = p.at - low.from;
        ++p.at;
      } else if (tokens == 2) {
        high.from = p.at;
        while (p.at < p.end) {
          uint8_t t = p.text[p.at];
          if (t == ' ' || t == '\t' || isLineEnd(t) || t == '}' || t == '[') break;
          ++p.at;
        }
        if (p.at >= p.end) return false;
        high.length = p.at - high.from;
        if (!(decimal ? finishDecimal(p, low, high) : finishHex(p, low, high))) return false;
      } else {
        return false;   // a fourth number
      }
      ++tokens;
      continue;
    }
    switch (c) {
      case '[': {
        uint32_t from = 0, to = 0;
        if (!scanBracketed(p, &from, &to) || !storeText(p, p.tableTexts, from, to, &def.unit))
          return false;
        break;
      }
      case '{':
        return false;
      case '}':
        ++p.at;
        return tokens == 3;
      default:
        ++p.at;
        break;
    }
  }
}

bool hasChoiceValue(const Choice* choices, int count, int value) {
  for (int k = 0; k < count; ++k)
    if (choices[k].value == value) return true;
  return false;
}

int choiceCount(const Choice* choices) {
  int n = 0;
  while (n < MAX_CHOICES && choices[n].text) ++n;
  return n;
}

// Depth-2 choice lists of kinds B and N share these steps. `pending` is the index
// of the choice opened by the last ":" (-1 none) and `count` the choices so far.
struct ChoiceList {
  Choice* choices;
  int count;
  int pending;
};

bool openChoice(Parser& p, ChoiceList& list) {
  int value = digitBefore(p);
  if (value < 0 || list.count >= MAX_CHOICES || hasChoiceValue(list.choices, list.count, value))
    return false;
  if (list.pending >= 0 && !list.choices[list.pending].text) return false;   // no text
  list.choices[list.count].value = static_cast<uint16_t>(value);
  list.pending = list.count++;
  ++p.at;
  return true;
}

bool choiceText(Parser& p, ChoiceList& list) {
  if (list.pending < 0) return false;   // a text before its value
  return readQuoted(p, p.tableTexts, &list.choices[list.pending].text);
}

bool closeChoices(const ChoiceList& list) {
  return list.pending < 0 || list.choices[list.pending].text != nullptr;
}

// Kinds B and N: fields, each with a name and a braced choice list.
bool parseFieldsBody(Parser& p, bool bits) {
  ParameterDefinition& def = *p.current;
  int depth = 1;
  int field = -1;
  ChoiceList list{nullptr, 0, -1};
  while (true) {
    uint8_t c = 0;
    if (!nextBodyChar(p, &c)) return false;
    if (depth == 2) {
      switch (c) {
        case ':':
          if (!openChoice(p, list)) return false;
          break;
        case '"':
          if (!choiceText(p, list)) return false;
          break;
        case ',':
          if (bits) return false;
          ++p.at;
          break;
        case '{':
          return false;
        case '}':
          if (!closeChoices(list)) return false;
          depth = 1;
          ++p.at;
          break;
        default:
          ++p.at;
      }
      continue;
    }
    bool opensField = bits ? c == ',' : c == ':';
    if (opensField) {
      int position = digitBefore(p);
      if (position < 0 || def.entryCount >= MAX_SUB_ENTRIES) return false;
      if (!bits && position > 3) return false;
      if (bits && field >= 0 && def.bits[field].bitCount == 0) return false;
      for (int k = 0; k < def.entryCount; ++k) {
        uint16_t used = bits ? def.bits[k].position : def.nibbles[k].position;
        if (used == position) return false;
      }
      field = def.entryCount++;
      if (bits) def.bits[field].position = static_cast<uint16_t>(position);
      else def.nibbles[field].position = static_cast<uint16_t>(position);
      ++p.at;
      continue;
    }
    switch (c) {
      case ':': {   // kind B: the bit count of the current field
        int count = digitBefore(p);
        if (field < 0 || count < 1 || def.bits[field].position + count > 16) return false;
        def.bits[field].bitCount = static_cast<uint16_t>(count);
        ++p.at;
        break;
      }
      case '"':
        if (field < 0) return false;
        if (!readQuoted(p, p.tableTexts, bits ? &def.bits[field].name : &def.nibbles[field].name))
          return false;
        break;
      case '{':
        if (field < 0) return false;
        list.choices = bits ? def.bits[field].choices : def.nibbles[field].choices;
        list.count = choiceCount(list.choices);
        list.pending = -1;
        depth = 2;
        ++p.at;
        break;
      case '}':
        if (bits && field >= 0 && def.bits[field].bitCount == 0) return false;
        ++p.at;
        return true;
      default:
        ++p.at;
    }
  }
}

// Kind S: the choices themselves.
bool parseSelectionBody(Parser& p) {
  ParameterDefinition& def = *p.current;
  ChoiceList list{def.choices, 0, -1};
  while (true) {
    uint8_t c = 0;
    if (!nextBodyChar(p, &c)) return false;
    switch (c) {
      case ':':
        if (!openChoice(p, list)) return false;
        def.entryCount = static_cast<uint16_t>(list.count);
        break;
      case '"':
        if (!choiceText(p, list)) return false;
        break;
      case '{':
        return false;
      case '}':
        ++p.at;
        return closeChoices(list);
      default:
        ++p.at;
    }
  }
}

// At the kind letter: "K:", the quoted name, "{" and the body.
bool parseKindBlock(Parser& p) {
  char kind = static_cast<char>(p.text[p.at]);
  if (p.at + 1 >= p.end || p.text[p.at + 1] != ':' || !p.current) return false;
  p.at += 2;
  // A repeated kind block replaces the first one entirely.
  ParameterDefinition& def = *p.current;
  uint16_t number = def.number;
  std::memset(&def, 0, sizeof def);
  def.number = number;
  def.kind = kind;
  if (!findOnLine(p, '"') || !readQuoted(p, p.tableTexts, &def.name)) return false;
  if (!findOnLine(p, '{')) return false;
  ++p.at;
  switch (kind) {
    case 'D': return parseLimitsBody(p, true);
    case 'H': return parseLimitsBody(p, false);
    case 'B': def.size = 2; return parseFieldsBody(p, true);
    case 'N': def.size = 2; return parseFieldsBody(p, false);
    default: def.size = 2; return parseSelectionBody(p);
  }
}

// At "P" followed by "n": "Pn" + four hexadecimal digits + ":".
bool parseHeader(Parser& p) {
  if (p.end - p.at < 7) return false;
  uint16_t number = 0;
  for (int k = 2; k < 6; ++k) {
    int v = hexDigitValue(p.text[p.at + k]);
    if (v < 0) return false;
    number = static_cast<uint16_t>(number * 16 + v);
  }
  if (p.text[p.at + 6] != ':') return false;
  if (p.table->count >= MAX_DEFINITIONS) return false;
  ParameterDefinition& def = p.table->entries[p.table->count++];
  std::memset(&def, 0, sizeof def);
  def.number = number;
  p.current = &def;
  p.at += 7;
  return true;
}

// At "M": "MODE:" and three characters.
bool parseMode(Parser& p) {
  if (p.end - p.at < 8 || std::memcmp(p.text + p.at, "MODE:", 5) != 0) return false;
  const uint8_t* code = p.text + p.at + 5;
  for (int k = 0; k < 3; ++k)
    if (code[k] <= ' ' || code[k] > '~') return false;   // it names a file
  if (p.mode) {
    std::memcpy(p.mode->modeCode, code, 3);
    p.mode->modeCode[3] = 0;
    p.mode->debugMode = std::memcmp(code, "DBG", 3) == 0 ? 1 : 0;
  }
  p.at += 8;
  return true;
}

// At "A": "ALM:" + group tag + "{" + code: "text" entries + "}".
bool parseAlarmBlock(Parser& p) {
  static const char* const tags[ALARM_GROUP_COUNT] = {"SVW", "SVA", "MTW", "MTA",
                                                      "SYW", "SYA", "HST"};
  if (p.end - p.at < 7 || std::memcmp(p.text + p.at, "ALM:", 4) != 0) return false;
  int group = -1;
  for (int k = 0; k < ALARM_GROUP_COUNT; ++k)
    if (std::memcmp(p.text + p.at + 4, tags[k], 3) == 0) group = k;
  if (group < 0) return false;
  p.at += 7;
  if (!findOnLine(p, '{')) return false;
  ++p.at;
  int code = -1;
  while (true) {
    uint8_t c = 0;
    if (!nextBodyChar(p, &c)) return false;
    switch (c) {
      case ':': {
        int high = p.at >= 2 && p.trailEnd != p.at - 1 ? hexDigitValue(p.text[p.at - 2]) : -1;
        int low = digitBefore(p);
        if (high < 0 || low < 0) return false;
        code = high * 16 + low;
        ++p.at;
        break;
      }
      case '"': {
        if (code < 0) return false;
        const char* text = nullptr;
        if (!readQuoted(p, p.alarmTexts, &text)) return false;
        if (p.alarms) p.alarms->texts[group][code] = text;
        break;
      }
      case '}':
        ++p.at;
        return true;
      default:   // "{" and everything else
        ++p.at;
    }
  }
}

uint16_t lineResult(uint32_t line) { return static_cast<uint16_t>(line < 0xFFFE ? line : 0xFFFE); }
}  // namespace

uint16_t parseDefinitions(const char* data, uint32_t size, ParameterTable* table,
                          AlarmTextTable* alarms, ModeRecord* mode) {
  if (!data || size == 0 || !table) return kReadFailed;
  bumpDefinitionGeneration();
  Parser p{};
  static_cast<DefinitionCursor&>(p) = startCursor(data, size);
  p.table = table;
  p.alarms = alarms;
  p.mode = mode;
  p.tableTexts = {table->pool, kParameterPoolSize, &table->poolUsed};
  if (alarms) p.alarmTexts = {alarms->pool, kAlarmPoolSize, &alarms->poolUsed};
  while (p.at < p.end) {
    if (skipLayout(p)) continue;
    uint8_t c = p.text[p.at];
    bool ok = true;
    switch (c) {
      case 'P':
        if (p.at + 1 < p.end && p.text[p.at + 1] == 'n') ok = parseHeader(p);
        else ++p.at;
        break;
      case 'M': ok = parseMode(p); break;
      case 'A': ok = parseAlarmBlock(p); break;
      case 'D':
      case 'H':
      case 'B':
      case 'N':
      case 'S': ok = parseKindBlock(p); break;
      default: ++p.at;
    }
    if (!ok) return lineResult(p.line);
  }
  return 0;
}

