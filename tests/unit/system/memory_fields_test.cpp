// Memory read and write field rules: sizes and values on a type change, the byte
// count of a read (refused when it does not fit 16 bits) and the bytes of a write.
#include <gtest/gtest.h>

#include "system/memory_fields.h"

TEST(MemoryFields, SizeRulesOnTypeChangeAndByteCounts) {
  EXPECT_EQ(memorySizeAfterTypeChange(20000, MEMORY_LONG), 0u);
  EXPECT_EQ(memorySizeAfterTypeChange(20000, MEMORY_BYTE), 20000u);   // not converted
  EXPECT_EQ(memorySizeAfterTypeChange(0x7FFF, MEMORY_WORD), 0x7FFFu);
  EXPECT_EQ(memorySizeAfterTypeChange(0x8000, MEMORY_WORD), 0u);
  EXPECT_EQ(memorySizeAfterTypeChange(0x3FFF, MEMORY_LONG), 0x3FFFu);
  EXPECT_EQ(memorySizeAfterTypeChange(0x4000, MEMORY_LONG), 0u);
  EXPECT_EQ(memorySizeInUnits(32, MEMORY_WORD), 16);
  EXPECT_EQ(memorySizeInUnits(32, MEMORY_LONG), 8);

  uint16_t bytes = 1;
  EXPECT_TRUE(memoryReadByteCount(3, MEMORY_LONG, &bytes));
  EXPECT_EQ(bytes, 12);
  EXPECT_TRUE(memoryReadByteCount(0, MEMORY_BYTE, &bytes));
  EXPECT_EQ(bytes, 0);
  EXPECT_TRUE(memoryReadByteCount(65535, MEMORY_BYTE, &bytes));
  EXPECT_TRUE(memoryReadByteCount(32767, MEMORY_WORD, &bytes));
  EXPECT_EQ(bytes, 65534);
  EXPECT_TRUE(memoryReadByteCount(16383, MEMORY_LONG, &bytes));
  EXPECT_EQ(bytes, 65532);
  // Typed directly, without a type change that would have zeroed them: refused,
  // and the count is left alone rather than wrapped.
  bytes = 7;
  EXPECT_FALSE(memoryReadByteCount(32768, MEMORY_WORD, &bytes));
  EXPECT_FALSE(memoryReadByteCount(16384, MEMORY_LONG, &bytes));
  EXPECT_FALSE(memoryReadByteCount(65535, MEMORY_LONG, &bytes));
  EXPECT_EQ(bytes, 7);
}

TEST(MemoryFields, WriteValueRulesAndByteOrder) {
  EXPECT_EQ(memoryValueAfterTypeChange(0x12345678, MEMORY_BYTE), 0u);
  EXPECT_EQ(memoryValueAfterTypeChange(0x12345678, MEMORY_WORD), 0u);
  EXPECT_EQ(memoryValueAfterTypeChange(0x12345678, MEMORY_LONG), 0x12345678u);
  EXPECT_EQ(memoryValueAfterTypeChange(0xFF, MEMORY_BYTE), 0xFFu);
  EXPECT_EQ(memoryValueAfterTypeChange(0xFFFF, MEMORY_WORD), 0xFFFFu);
  EXPECT_EQ(memoryDataFormat(MEMORY_WORD), 0xC204);
  EXPECT_EQ(memoryDataReadFormat(MEMORY_BYTE), 0xC402);

  uint8_t out[4] = {};
  ASSERT_EQ(memoryWriteBytes(0x1234, MEMORY_WORD, out), 2);
  EXPECT_EQ(out[0], 0x34);
  EXPECT_EQ(out[1], 0x12);
  ASSERT_EQ(memoryWriteBytes(0x12345678, MEMORY_LONG, out), 4);
  EXPECT_EQ(out[0], 0x78);
  EXPECT_EQ(out[3], 0x12);
  ASSERT_EQ(memoryWriteBytes(0xAB, MEMORY_BYTE, out), 1);
  EXPECT_EQ(out[0], 0xAB);
}
