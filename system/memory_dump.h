// The memory read dialog's display store: lines of 16 bytes, each an address text
// and a content text of hexadecimal values (and, for bytes, their characters).
#pragma once
#include <cstdint>

constexpr int DUMP_LINES = 256;
constexpr int DUMP_BYTES_PER_LINE = 16;
constexpr int DUMP_CONTENT_CHARS = 64;

struct MemoryDumpLine {
  char address[9];                        // eight hexadecimal digits
  char content[DUMP_CONTENT_CHARS + 1];   // 64 characters, blank-padded
};

struct MemoryDump {
  uint16_t count;
  MemoryDumpLine lines[DUMP_LINES];
};

// One line for up to 16 bytes read at `address`; dataType 0 byte, 1 word, 2 long.
void makeDumpLine(uint32_t address, const uint8_t* bytes, uint32_t byteCount, uint8_t dataType,
                  MemoryDumpLine* line);

// Lines a read of byteCount bytes takes (at least one, also for zero bytes).
uint32_t dumpLinesFor(uint32_t byteCount);

// Appends a read to the store, dropping the oldest lines beyond 256.
void appendMemoryDump(MemoryDump* dump, uint32_t address, const uint8_t* bytes, uint32_t byteCount,
                      uint8_t dataType);
