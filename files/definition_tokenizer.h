// Lexical steps of the definition file: line counting, comment lines, Shift-JIS
// pairs, quoted and bracketed texts, and the prologue every body shares.
#pragma once
#include <cstdint>

struct DefinitionCursor {
  const uint8_t* text;
  uint32_t end;        // first Ctrl-Z or the size
  uint32_t at;
  uint32_t line;       // 1-based; counts CR LF only
  uint32_t trailEnd;   // index just after the last Shift-JIS pair skipped
};

// At the start of `data`, ending before the first Ctrl-Z.
DefinitionCursor startCursor(const char* data, uint32_t size);

int hexDigitValue(uint8_t c);   // -1 when not a hexadecimal digit
bool isLineEnd(uint8_t c);

// Steps over one line end, comment line or Shift-JIS pair; false when the
// character at the cursor is none of them.
bool skipLayout(DefinitionCursor& c);
// Inside a body: skips layout and gives the next character the body must look
// at; false at the end of the text or on a "/" that opens no comment line.
bool nextBodyChar(DefinitionCursor& c, uint8_t* next);

// The single hexadecimal digit just before the delimiter at the cursor, or -1.
int digitBefore(const DefinitionCursor& c);
// Moves to `wanted` on the current line; false at the line end.
bool findOnLine(DefinitionCursor& c, uint8_t wanted);
// At the opening quote: the text up to the closing quote (stepped over) or the
// CR (left); false when the text ends first.
bool scanQuoted(DefinitionCursor& c, uint32_t* from, uint32_t* to);
// At "[": the text with both brackets; false when a line end comes first.
bool scanBracketed(DefinitionCursor& c, uint32_t* from, uint32_t* to);
