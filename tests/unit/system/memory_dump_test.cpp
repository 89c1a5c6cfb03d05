// The memory read dialog's dump lines and the 256-line store.
#include <gtest/gtest.h>

#include <string>

#include "system/memory_dump.h"

namespace {
std::string content(const MemoryDumpLine& line) { return line.content; }
}  // namespace

TEST(MemoryDump, BytesShowValuesAndCharactersOverTwoLines) {
  static MemoryDump dump{};
  uint8_t bytes[20];
  for (int i = 0; i < 20; ++i) bytes[i] = static_cast<uint8_t>('A' + i);
  bytes[1] = 0x00;
  bytes[2] = 0x0A;
  bytes[3] = 0x0D;
  appendMemoryDump(&dump, 0x100, bytes, 20, 0);
  ASSERT_EQ(dump.count, 2);
  EXPECT_STREQ(dump.lines[0].address, "00000100");
  EXPECT_EQ(content(dump.lines[0]),
            "41 00 0A 0D 45 46 47 48 49 4A 4B 4C 4D 4E 4F 50 A...EFGHIJKLMNOP");
  EXPECT_STREQ(dump.lines[1].address, "00000110");
  EXPECT_EQ(content(dump.lines[1]), "51 52 53 54" + std::string(37, ' ') + "QRST" + std::string(12, ' '));
}

TEST(MemoryDump, WordsAndLongsAreLeastSignificantByteFirst) {
  static MemoryDump dump{};
  const uint8_t bytes[12] = {0x34, 0x12, 0x78, 0x56, 0, 0, 0, 0, 0xEF, 0xBE, 0xAD, 0xDE};
  appendMemoryDump(&dump, 0x2000, bytes, 12, 2);
  EXPECT_EQ(content(dump.lines[0]), "56781234 00000000 DEADBEEF" + std::string(38, ' '));
  appendMemoryDump(&dump, 0x2000, bytes, 4, 1);
  EXPECT_EQ(content(dump.lines[1]), "1234 5678" + std::string(55, ' '));
  // A read of nothing still takes one line with its address.
  appendMemoryDump(&dump, 0xABCDEF01, bytes, 0, 0);
  ASSERT_EQ(dump.count, 3);
  EXPECT_STREQ(dump.lines[2].address, "ABCDEF01");
  EXPECT_EQ(content(dump.lines[2]), std::string(64, ' '));
}

TEST(MemoryDump, TheStoreKeepsTheNewest256Lines) {
  static MemoryDump dump{};
  static uint8_t bytes[16 * 300] = {};
  for (uint32_t i = 0; i < 250; ++i) appendMemoryDump(&dump, i * 16, bytes, 16, 0);
  appendMemoryDump(&dump, 0x100000, bytes, 160, 0);
  ASSERT_EQ(dump.count, 256);
  EXPECT_STREQ(dump.lines[0].address, "00000040");     // earlier line 4
  EXPECT_STREQ(dump.lines[245].address, "00000F90");   // earlier line 249
  EXPECT_STREQ(dump.lines[246].address, "00100000");
  EXPECT_STREQ(dump.lines[255].address, "00100090");
  // One read larger than the store keeps its own last lines.
  appendMemoryDump(&dump, 0, bytes, 16 * 300, 0);
  EXPECT_EQ(dump.count, 256);
  EXPECT_STREQ(dump.lines[0].address, "000002C0");
  EXPECT_STREQ(dump.lines[255].address, "000012B0");
}
