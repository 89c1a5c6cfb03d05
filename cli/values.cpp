// Numbers and texts of the command line: value formats, hexadecimal, Pn numbers, limits.
#include "cli/qzctl.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "cli/sjis_text.h"
#include "protocol/number_format.h"

namespace qzctl {

// Parses decimal text in a value format word (right-aligned into its width).
bool parseFormatted(uint16_t format, const std::string& text, int32_t* out) {
  int width = formatWidth(format);
  if (text.empty() || static_cast<int>(text.size()) > width) return false;
  std::string field(static_cast<size_t>(width) - text.size(), ' ');
  field += text;
  int32_t value = 0;
  uint8_t raw[4] = {};
  if (parseNumber(format, field.c_str(), raw) != PARSE_OK) return false;
  int bytes = formatStorageBytes(format);
  uint32_t v = 0;
  std::memcpy(&v, raw, static_cast<size_t>(bytes));
  bool isSigned = ((format & FMT_STORAGE_MASK) >> 8) % 2 == 1;
  value = widenStored(static_cast<int32_t>(v), static_cast<uint16_t>(bytes), isSigned);
  *out = value;
  return true;
}

std::string formatted(uint16_t format, int32_t value) {
  char buf[20] = {};
  int bytes = formatStorageBytes(format);
  uint8_t raw[4];
  std::memcpy(raw, &value, 4);
  (void)bytes;
  if (formatNumber(format, raw, buf) != FORMAT_OK) return "?";
  std::string s(buf, static_cast<size_t>(formatWidth(format)));
  size_t b = s.find_first_not_of(' ');
  size_t e = s.find_last_not_of(' ');
  return b == std::string::npos ? std::string() : s.substr(b, e - b + 1);
}

bool parseHex(std::string text, uint32_t* out) {
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text = text.substr(2);
  if (text.empty() || text.size() > 8) return false;
  uint32_t v = 0;
  for (char c : text) {
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else return false;
    v = v * 16 + static_cast<uint32_t>(d);
  }
  *out = v;
  return true;
}

bool parseDecimal(const std::string& text, long lo, long hi, long* out) {
  if (text.empty()) return false;
  char* end = nullptr;
  long v = std::strtol(text.c_str(), &end, 10);
  if (*end != 0 || v < lo || v > hi) return false;
  *out = v;
  return true;
}

bool parsePn(const std::string& text, uint16_t* number) {
  std::string t = text;
  if (t.size() > 2 && (t[0] == 'P' || t[0] == 'p') && (t[1] == 'n' || t[1] == 'N')) t = t.substr(2);
  uint32_t v;
  if (!parseHex(t, &v) || v > 0xFFFF) return false;
  *number = static_cast<uint16_t>(v);
  return true;
}

std::string toUtf8(const char* text) { return sjisToUtf8(text); }

std::string pnName(uint16_t number) {
  char b[8];
  std::snprintf(b, sizeof b, "Pn%04X", number);
  return b;
}

// A parameter value as the lists show it: D and H in their format, others hexadecimal.
std::string valueText(const ParameterDefinition& def, int32_t value) {
  if (def.kind == 'D' || def.kind == 'H') {
    std::string text = formatted(def.format, value);
    // A module value wider than its format still shows, as the stored number.
    return text == "?" ? std::to_string(value) + " (raw)" : text;
  }
  char b[12];
  std::snprintf(b, sizeof b, "%04X", static_cast<unsigned>(value) & 0xFFFF);
  return b;
}

uint32_t validValues(const ParameterTable& table) {
  uint32_t n = 0;
  for (uint16_t i = 0; i < table.count; ++i) n += table.entries[i].valueValid ? 1 : 0;
  return n;
}

int32_t storedValue(const ParameterDefinition& def, uint32_t raw) {
  return widenStored(static_cast<int32_t>(raw), def.size, definitionSigned(def));
}

// Checks a value against its definition the way the editors do; null when it fits.
std::string checkValue(const ParameterDefinition& def, int32_t value) {
  bool isSigned = definitionSigned(def);
  if (def.kind == 'D' || def.kind == 'H') {
    int32_t lo = widenStored(def.minimum, def.size, isSigned);
    int32_t hi = widenStored(def.maximum, def.size, isSigned);
    if (isSigned ? (value < lo || value > hi)
                 : (static_cast<uint32_t>(value) < static_cast<uint32_t>(lo) ||
                    static_cast<uint32_t>(value) > static_cast<uint32_t>(hi)))
    {
      std::string unit = toUtf8(def.unit);
      return "outside " + valueText(def, lo) + ".." + valueText(def, hi) + (unit.empty() ? "" : " " + unit);
    }
  } else if (def.kind == 'S') {
    for (int i = 0; i < MAX_CHOICES && def.choices[i].text; ++i)
      if (def.choices[i].value == static_cast<uint16_t>(value)) return {};
    return "not a defined choice";
  } else if (def.kind == 'B') {
    uint32_t allowed = 0;
    for (int i = 0; i < def.entryCount && i < MAX_SUB_ENTRIES; ++i) {
      const BitField& f = def.bits[i];
      uint32_t mask = ((1u << f.bitCount) - 1u) << f.position;
      allowed |= mask;
      uint16_t field = static_cast<uint16_t>((static_cast<uint32_t>(value) & mask) >> f.position);
      if (f.choices[0].text) {
        bool found = false;
        for (int k = 0; k < MAX_CHOICES && f.choices[k].text; ++k) found |= f.choices[k].value == field;
        if (!found) return "a bit field holds no defined choice";
      }
    }
    if (static_cast<uint32_t>(value) & 0xFFFF & ~allowed) return "bits outside the defined fields";
  } else if (def.kind == 'N') {
    uint32_t allowed = 0;
    for (int i = 0; i < def.entryCount && i < MAX_SUB_ENTRIES; ++i) {
      const NibbleField& f = def.nibbles[i];
      allowed |= 0xFu << (4 * f.position);
      uint16_t digit = static_cast<uint16_t>((static_cast<uint32_t>(value) >> (4 * f.position)) & 0xF);
      if (f.choices[0].text) {
        bool found = false;
        for (int k = 0; k < MAX_CHOICES && f.choices[k].text; ++k) found |= f.choices[k].value == digit;
        if (!found) return "a digit holds no defined choice";
      }
    }
    if (static_cast<uint32_t>(value) & 0xFFFF & ~allowed) return "digits outside the defined fields";
  }
  return {};
}

int keywordIndex(const std::string& word, std::initializer_list<const char*> names) {
  int i = 0;
  for (const char* n : names) {
    if (word == n) return i;
    ++i;
  }
  return -1;
}

}  // namespace qzctl
