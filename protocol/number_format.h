// Number format word and the text conversions every number on the line, in a
// dialog field or in a data file goes through. Values are fixed-point integers.
#pragma once
#include <cstdint>

// Bits of the format word.
constexpr uint16_t FMT_WIDTH_MASK = 0x000F;      // width W, sign and point included
constexpr uint16_t FMT_FRACTION_MASK = 0x00F0;   // fraction digits F
constexpr uint16_t FMT_STORAGE_MASK = 0x0700;    // 0 u8, 1 s8, 2 u16, 3 s16, 4 u32, 5 s32
constexpr uint16_t FMT_LEFT = 0x0800;            // left-aligned output
constexpr uint16_t FMT_RADIX_MASK = 0x7000;      // 0/1 dec, 2 bin, 3 oct, 4 hex; bit 12 = "+"
constexpr uint16_t FMT_ZERO_FILL = 0x8000;

constexpr uint16_t hex2 = 0xC002;
constexpr uint16_t hex4 = 0xC204;
constexpr uint16_t hex8 = 0xC408;

// formatNumber results
constexpr uint16_t FORMAT_OK = 0;
constexpr uint16_t FORMAT_TOO_MANY_DIGITS = 1;
constexpr uint16_t FORMAT_TOO_LONG = 2;
// parseNumber results
constexpr uint16_t PARSE_OK = 0;
constexpr uint16_t PARSE_POINT_NOT_ALLOWED = 3;
constexpr uint16_t PARSE_BAD_CHARACTER = 4;
constexpr uint16_t PARSE_OUT_OF_RANGE = 5;
constexpr uint16_t PARSE_SECOND_SIGN = 6;
constexpr uint16_t PARSE_SECOND_POINT = 7;

// Writes exactly W characters (no terminator). `value` points at storage of the
// width the format's storage code names (1, 2 or 4 bytes).
uint16_t formatNumber(uint16_t format, const void* value, char* out);
// Examines exactly W characters of `text`; a value outside the storage type's range
// (8, 16 or 32 bits) is refused with PARSE_OUT_OF_RANGE. On success stores into `result` in the
// width of the storage code; on failure stores nothing.
uint16_t parseNumber(uint16_t format, const char* text, void* result);

// Storage size in bytes (1, 2 or 4) of a format word.
inline int formatStorageBytes(uint16_t format) {
  int storage = (format & FMT_STORAGE_MASK) >> 8;
  return storage < 2 ? 1 : storage < 4 ? 2 : 4;
}
inline int formatWidth(uint16_t format) { return format & FMT_WIDTH_MASK; }
