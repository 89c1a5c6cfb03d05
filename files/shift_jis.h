// Shift-JIS (code page 932) lead bytes: the first byte of a two-byte character.
#pragma once
#include <cstdint>

// A trail byte may look like a quote, bracket or backslash, so scanners step over
// the pair a lead byte opens.
constexpr bool isSjisLeadByte(uint8_t c) {
  return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}
