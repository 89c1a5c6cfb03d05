// Lexical steps of the definition file shared by the grammar's section and body parsers.
#include "files/definition_tokenizer.h"
#include <cstring>
#include "files/shift_jis.h"

namespace {
constexpr uint8_t kCtrlZ = 0x1A;

bool atLineStart(const DefinitionCursor& c, uint32_t i) { return i == 0 || c.text[i - 1] == '\n'; }

// LF after CR counts a line.
void stepNewline(DefinitionCursor& c) {
  if (c.at > 0 && c.text[c.at - 1] == '\r') ++c.line;
  ++c.at;
}

void skipPair(DefinitionCursor& c) {
  c.at += 2;
  if (c.at > c.end) c.at = c.end;
  c.trailEnd = c.at;
}

// A comment runs to the end of its line; the line end itself is left for counting.
void skipComment(DefinitionCursor& c) {
  while (c.at < c.end && !isLineEnd(c.text[c.at])) {
    if (isSjisLeadByte(c.text[c.at])) skipPair(c);
    else ++c.at;
  }
}

// Steps over one character of a quoted or bracketed text; false when a pair is cut
// by the end of the text.
bool stepTextChar(DefinitionCursor& c) {
  if (!isSjisLeadByte(c.text[c.at])) {
    ++c.at;
    return true;
  }
  if (c.at + 2 > c.end) return false;
  skipPair(c);
  return true;
}
}  // namespace

DefinitionCursor startCursor(const char* data, uint32_t size) {
  DefinitionCursor c{};
  c.text = reinterpret_cast<const uint8_t*>(data);
  const void* stop = std::memchr(data, kCtrlZ, size);
  c.end = stop ? static_cast<uint32_t>(static_cast<const char*>(stop) - data) : size;
  c.line = 1;
  c.trailEnd = 0xFFFFFFFFu;
  return c;
}

int hexDigitValue(uint8_t c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

bool isLineEnd(uint8_t c) { return c == '\r' || c == '\n'; }

bool skipLayout(DefinitionCursor& c) {
  uint8_t ch = c.text[c.at];
  if (ch == '\n') {
    stepNewline(c);
    return true;
  }
  if (ch == '/' && c.at + 1 < c.end && c.text[c.at + 1] == '/' && atLineStart(c, c.at)) {
    skipComment(c);
    return true;
  }
  if (isSjisLeadByte(ch)) {
    skipPair(c);
    return true;
  }
  return false;
}

bool nextBodyChar(DefinitionCursor& c, uint8_t* next) {
  while (c.at < c.end) {
    if (skipLayout(c)) continue;
    if (c.text[c.at] == '/') return false;   // a slash only opens a comment line
    *next = c.text[c.at];
    return true;
  }
  return false;
}

int digitBefore(const DefinitionCursor& c) {
  if (c.at == 0 || c.trailEnd == c.at) return -1;
  return hexDigitValue(c.text[c.at - 1]);
}

bool findOnLine(DefinitionCursor& c, uint8_t wanted) {
  while (c.at < c.end) {
    uint8_t ch = c.text[c.at];
    if (ch == wanted) return true;
    if (isLineEnd(ch)) return false;
    if (isSjisLeadByte(ch)) skipPair(c);
    else ++c.at;
  }
  return false;
}

bool scanQuoted(DefinitionCursor& c, uint32_t* from, uint32_t* to) {
  *from = ++c.at;
  while (c.at < c.end) {
    uint8_t ch = c.text[c.at];
    if (ch == '"' || ch == '\r') {
      *to = c.at;
      if (ch == '"') ++c.at;
      return true;
    }
    if (!stepTextChar(c)) return false;
  }
  return false;
}

bool scanBracketed(DefinitionCursor& c, uint32_t* from, uint32_t* to) {
  *from = c.at++;
  while (c.at < c.end) {
    uint8_t ch = c.text[c.at];
    if (ch == ']') {
      *to = ++c.at;
      return true;
    }
    if (isLineEnd(ch)) return false;
    if (!stepTextChar(c)) return false;
  }
  return false;
}
