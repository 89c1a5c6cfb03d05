// Numeric field texts and unit labels of the dialog toolkit.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "protocol/number_format.h"
#include "toolkit/field_text.h"

namespace {

// Signed 32-bit, width 9, three fraction digits: "-1234.567".
constexpr uint16_t kPosition = 0x0539;

TEST(FieldText, FormatIsLeftAlignedWithoutTrailingBlanks) {
  int32_t value = -1500;
  char text[FIELD_TEXT_SIZE];
  ASSERT_TRUE(formatFieldText(&value, kPosition, text));
  EXPECT_STREQ(text, "-1.500");
  int32_t tooWide = 1000000000;
  EXPECT_FALSE(formatFieldText(&tooWide, kPosition, text));
  EXPECT_STREQ(text, "");
}

TEST(FieldText, ParseKeepsResultOnBadInput) {
  int32_t result = 77;
  ASSERT_TRUE(parseFieldText(" -2.25", kPosition, &result));
  EXPECT_EQ(result, -2250);
  result = 77;
  // Blanks alone would parse as zero; a bad character or a second point never.
  for (const char* bad : {"", "   ", "-", "1.2.3", "12a", "."}) {
    EXPECT_FALSE(parseFieldText(bad, kPosition, &result)) << '"' << bad << '"';
    EXPECT_EQ(result, 77);
  }
  // Only the format's width is read: the tenth character is never seen.
  ASSERT_TRUE(parseFieldText("123456789X", 0x0509, &result));
  EXPECT_EQ(result, 123456789);
}

TEST(FieldText, ParseStoresOnlyTheFormatsWidth) {
  uint8_t bytes[4] = {0xAA, 0xAA, 0xAA, 0xAA};
  ASSERT_TRUE(parseFieldText("1F", hex2, bytes));
  EXPECT_EQ(bytes[0], 0x1F);
  EXPECT_EQ(bytes[1], 0xAA);
  uint16_t word = 0;
  EXPECT_TRUE(parseFieldText("ffff", hex4, &word));
  EXPECT_EQ(word, 0xFFFF);
}

TEST(FieldText, UnitLabelsFitTheirBuffers) {
  buildUnitLabelsFrom(0, "mm");
  EXPECT_STREQ(positionUnitLabel(), "[mm]");
  EXPECT_STREQ(speedUnitLabel(), "[mm/min]");
  buildUnitLabelsFrom(1, "pulse");
  EXPECT_LT(std::strlen(speedUnitLabel()), static_cast<size_t>(UNIT_LABEL_SIZE));
  EXPECT_STREQ(positionUnitLabel(), "[pul]");
  buildUnitLabelsFrom(2, "mm");
  EXPECT_STREQ(positionUnitLabel(), "");
  EXPECT_STREQ(speedUnitLabel(), "");
}

}  // namespace
