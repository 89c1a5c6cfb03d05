// Number text conversion: every feature of the format word and every result code.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "protocol/command_table.h"
#include "protocol/number_format.h"

namespace {

// Format word from its parts.
uint16_t word(int width, int fraction, int storage, int radixCode, bool left = false, bool zero = false) {
  return static_cast<uint16_t>(width | fraction << 4 | storage << 8 | (left ? FMT_LEFT : 0) |
                               radixCode << 12 | (zero ? FMT_ZERO_FILL : 0));
}

std::string format(uint16_t fmt, int64_t value, uint16_t* result = nullptr) {
  char out[16];
  std::memset(out, '#', sizeof out);
  uint8_t bytes[4];
  std::memcpy(bytes, &value, 4);   // little-endian: the low bytes serve every width
  uint16_t r = formatNumber(fmt, bytes, out);
  if (result) *result = r;
  return std::string(out, static_cast<size_t>(fmt & 0xF)) + (out[fmt & 0xF] == '#' ? "" : "<overrun>");
}

TEST(FormatNumber, WordsOfTheLineAndPlacement) {
  struct Case {
    uint16_t fmt;
    int64_t value;
    const char* text;
  } cases[] = {
      {hex4, 0x1F, "001F"},
      {hex8, 0xFFFFFFFF, "FFFFFFFF"},
      {hex2, 0x3A, "3A"},
      {hex4, 0x12345, "2345"},                    // unsigned 16-bit is masked
      {word(5, 0, 3, 0), -5, "   -5"},
      {word(5, 0, 3, 0, false, true), -5, "-0005"},
      {word(5, 0, 3, 0, true), -5, "-5   "},
      {word(4, 0, 3, 0, false, true), -5, "-005"},
      {word(4, 2, 2, 0), 5, "0.05"},
      {word(6, 2, 5, 0), -150, " -1.50"},
      {word(5, 1, 2, 1), 65, " +6.5"},            // code 1 writes a plus sign
      {word(5, 1, 2, 1), 0, "  0.0"},             // but not for zero
      {word(8, 0, 2, 2), 0xA5, "10100101"},
      {word(4, 0, 2, 3), 8, " +10"},                 // octal is code 3: a plus sign too
  };
  for (const Case& c : cases) {
    uint16_t r = 99;
    EXPECT_EQ(format(c.fmt, c.value, &r), c.text) << std::hex << c.fmt;
    EXPECT_EQ(r, FORMAT_OK) << c.text;
  }
}

TEST(FormatNumber, OverflowFillsWithStars) {
  uint16_t r = 0;
  EXPECT_EQ(format(word(3, 2, 2, 0), 123, &r), "***");
  EXPECT_EQ(r, FORMAT_TOO_LONG);
  EXPECT_EQ(format(word(4, 0, 4, 0), 12345, &r), "****");
  EXPECT_EQ(r, FORMAT_TOO_MANY_DIGITS);
  EXPECT_EQ(format(word(3, 0, 3, 0), -128, &r), "***");   // the sign does not fit
  EXPECT_EQ(r, FORMAT_TOO_LONG);
  EXPECT_EQ(format(word(4, 0, 3, 0), -128, &r), "-128");
  EXPECT_EQ(r, FORMAT_OK);
}

struct Parsed {
  uint16_t result;
  int64_t value;
};
Parsed parse(uint16_t fmt, const char* text) {
  uint8_t bytes[8];
  std::memset(bytes, 0xEE, sizeof bytes);
  uint16_t r = parseNumber(fmt, text, bytes);
  int storage = (fmt >> 8) & 7;
  int64_t v = 0;
  if (r == PARSE_OK) {
    switch (storage) {
      case 0: v = bytes[0]; break;
      case 1: v = static_cast<int8_t>(bytes[0]); break;
      case 2: { uint16_t x; std::memcpy(&x, bytes, 2); v = x; break; }
      case 3: { int16_t x; std::memcpy(&x, bytes, 2); v = x; break; }
      case 5: { int32_t x; std::memcpy(&x, bytes, 4); v = x; break; }
      default: { uint32_t x; std::memcpy(&x, bytes, 4); v = x; break; }
    }
  } else {
    EXPECT_EQ(bytes[0], 0xEE) << "nothing is stored on failure: " << text;
  }
  return {r, v};
}

TEST(ParseNumber, ValuesAndResultCodes) {
  struct Case {
    uint16_t fmt;
    const char* text;
    uint16_t result;
    int64_t value;
  } cases[] = {
      {hex4, "00a1", PARSE_OK, 0xA1},
      {hex4, "0G00", PARSE_BAD_CHARACTER, 0},
      {hex8, "FFFFFC18", PARSE_OK, 0xFFFFFC18},
      {hex4, "00\0\0", PARSE_OK, 0},                 // NUL is skipped
      {word(3, 0, 2, 0), "1.0", PARSE_POINT_NOT_ALLOWED, 0},
      {word(3, 0, 3, 0), "+-1", PARSE_SECOND_SIGN, 0},
      {word(4, 0, 3, 0), " -12", PARSE_OK, -12},
      {word(4, 0, 3, 0), "12- ", PARSE_OK, -12},      // the sign may stand anywhere
      {word(3, 0, 0, 0), "300", PARSE_OUT_OF_RANGE, 0},
      {word(3, 0, 0, 0), "255", PARSE_OK, 255},
      {word(4, 0, 1, 0), "-129", PARSE_OUT_OF_RANGE, 0},
      {word(6, 0, 3, 0), "-32769", PARSE_OUT_OF_RANGE, 0},
      {word(6, 0, 2, 0), "-1    ", PARSE_OUT_OF_RANGE, 0},
      {word(5, 2, 3, 0), "  1.5", PARSE_OK, 150},
      {word(5, 2, 3, 0), "   15", PARSE_OK, 1500},
      {word(5, 2, 3, 0), "1..5 ", PARSE_SECOND_POINT, 0},
      {word(5, 1, 3, 0), " 1.25", PARSE_BAD_CHARACTER, 0},   // more fraction digits than F
      {word(4, 0, 2, 2), "1012", PARSE_BAD_CHARACTER, 0},    // 2 is not binary
      {word(4, 0, 2, 3), "0017", PARSE_OK, 15},
      {word(11, 0, 5, 0), "-2147483648", PARSE_OK, INT32_MIN},
      {word(10, 0, 4, 0), "4294966296", PARSE_OK, 4294966296},
      {word(3, 0, 2, 0), "1x2", PARSE_BAD_CHARACTER, 0},
  };
  for (const Case& c : cases) {
    Parsed p = parse(c.fmt, c.text);
    EXPECT_EQ(p.result, c.result) << c.text;
    if (c.result == PARSE_OK) {
      EXPECT_EQ(p.value, c.value) << c.text;
    }
  }
}

// 32-bit storage is range-checked like the narrower ones: a value one past either end
// is refused, never wrapped into the opposite sign or to a small number.
TEST(ParseNumber, ThirtyTwoBitBoundariesInEveryRadix) {
  const uint16_t s32milli = word(12, 3, 5, 0);   // the 0.001 command unit
  const uint16_t u32dec = word(10, 0, 4, 0);
  const uint16_t s32dec = word(11, 0, 5, 0);
  struct Case {
    uint16_t fmt;
    const char* text;
    uint16_t result;
    int64_t value;
  } cases[] = {
      {s32milli, " 2147483.647", PARSE_OK, INT32_MAX},
      {s32milli, " 2147483.648", PARSE_OUT_OF_RANGE, 0},
      {s32milli, "-2147483.648", PARSE_OK, INT32_MIN},
      {s32milli, "-2147483.649", PARSE_OUT_OF_RANGE, 0},
      {s32milli, "    99999999", PARSE_OUT_OF_RANGE, 0},   // a speed that once became 1215751.192
      {s32dec, " 2147483648", PARSE_OUT_OF_RANGE, 0},
      {u32dec, "4294967295", PARSE_OK, 4294967295LL},
      {u32dec, "4294967296", PARSE_OUT_OF_RANGE, 0},
      {word(10, 0, 4, 0), "-1        ", PARSE_OUT_OF_RANGE, 0},
      {hex8, "FFFFFFFF", PARSE_OK, 4294967295LL},
      {word(9, 0, 4, 4), "100000000", PARSE_OUT_OF_RANGE, 0},
      {word(9, 0, 5, 4), " 80000000", PARSE_OUT_OF_RANGE, 0},
      {word(9, 0, 5, 4), "-80000000", PARSE_OK, INT32_MIN},
      {word(15, 0, 4, 3), "000037777777777", PARSE_OK, 4294967295LL},
      {word(15, 0, 4, 3), "000040000000000", PARSE_OUT_OF_RANGE, 0},
      {word(15, 0, 4, 2), "111111111111111", PARSE_OK, 32767},
      // Fifteen digits are more than 48 bits: long text must not wrap into range.
      {word(15, 0, 2, 0), "281474976710656", PARSE_OUT_OF_RANGE, 0},
      {word(15, 0, 4, 4), "1000000000000FF", PARSE_OUT_OF_RANGE, 0},
      {word(15, 0, 4, 4), "FFFFFFFFFFFFFFF", PARSE_OUT_OF_RANGE, 0},
  };
  for (const Case& c : cases) {
    Parsed p = parse(c.fmt, c.text);
    EXPECT_EQ(p.result, c.result) << c.text;
    if (c.result == PARSE_OK) {
      EXPECT_EQ(p.value, c.value) << c.text;
    }
  }
}

TEST(ParseNumber, FormatAndParseAgreeOverSignedRanges) {
  const uint16_t fmt = word(10, 3, 5, 0);
  for (int64_t v : {-9999999LL, -1000LL, -1LL, 0LL, 7LL, 1234567LL}) {
    std::string text = format(fmt, v);
    Parsed p = parse(fmt, text.c_str());
    EXPECT_EQ(p.result, PARSE_OK) << text;
    EXPECT_EQ(p.value, v) << text;
  }
}

TEST(Keywords, MatchInTableOrderAndWriteOnlyKnownCodes) {
  uint8_t code = 0;
  EXPECT_EQ(matchKeyword("HOMING_0009", MotionStateKeywords, &code), 7);
  EXPECT_EQ(code, 8);
  EXPECT_EQ(matchKeyword("XX_", OnOffKeywords, &code), 3);
  EXPECT_EQ(code, 0xFF);
  char out[8] = {};
  EXPECT_EQ(appendKeyword(4, SpeedKeywords, out), 4);
  EXPECT_STREQ(out, "SET_");
  EXPECT_EQ(appendKeyword(3, SpeedKeywords, out), 0);
  EXPECT_STREQ(commandName(25), "WR_MEM");
}

}  // namespace
