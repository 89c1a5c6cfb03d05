// Memory dump lines.
#include "system/memory_dump.h"

#include <cstdio>
#include <cstring>

void makeDumpLine(uint32_t address, const uint8_t* bytes, uint32_t byteCount, uint8_t dataType,
                  MemoryDumpLine* line) {
  std::snprintf(line->address, sizeof line->address, "%08X", static_cast<unsigned>(address));
  std::memset(line->content, ' ', DUMP_CONTENT_CHARS);
  line->content[DUMP_CONTENT_CHARS] = 0;
  if (byteCount > DUMP_BYTES_PER_LINE) byteCount = DUMP_BYTES_PER_LINE;
  uint32_t width = dataType == 2 ? 4 : dataType == 1 ? 2 : 1;
  char* out = line->content;
  // Whole values only; least significant byte first.
  for (uint32_t at = 0; at + width <= byteCount; at += width) {
    uint32_t value = 0;
    for (uint32_t k = 0; k < width; ++k) value |= static_cast<uint32_t>(bytes[at + k]) << (8 * k);
    char text[10];
    std::snprintf(text, sizeof text, "%0*X ", static_cast<int>(width * 2), static_cast<unsigned>(value));
    std::memcpy(out, text, width * 2 + 1);
    out += width * 2 + 1;
  }
  if (width == 1) {
    for (uint32_t k = 0; k < byteCount; ++k) {
      uint8_t c = bytes[k];
      line->content[48 + k] = (c == 0x00 || c == 0x0A || c == 0x0D) ? '.' : static_cast<char>(c);
    }
  }
}

uint32_t dumpLinesFor(uint32_t byteCount) {
  return byteCount <= DUMP_BYTES_PER_LINE ? 1 : (byteCount + DUMP_BYTES_PER_LINE - 1) / DUMP_BYTES_PER_LINE;
}

void appendMemoryDump(MemoryDump* dump, uint32_t address, const uint8_t* bytes, uint32_t byteCount,
                      uint8_t dataType) {
  uint32_t needed = dumpLinesFor(byteCount);
  uint32_t skip = 0;
  // A read larger than the store keeps only its last 256 lines.
  if (needed > DUMP_LINES) {
    skip = needed - DUMP_LINES;
    needed = DUMP_LINES;
  }
  if (dump->count + needed > DUMP_LINES) {
    uint32_t keep = DUMP_LINES - needed;
    std::memmove(dump->lines, dump->lines + (dump->count - keep), keep * sizeof(MemoryDumpLine));
    dump->count = static_cast<uint16_t>(keep);
  }
  for (uint32_t j = skip; j < skip + needed; ++j) {
    uint32_t offset = j * DUMP_BYTES_PER_LINE;
    uint32_t inLine = byteCount > offset ? byteCount - offset : 0;
    makeDumpLine(address + offset, bytes + (inLine ? offset : 0), inLine, dataType, &dump->lines[dump->count++]);
  }
}
