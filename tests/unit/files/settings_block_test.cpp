// Settings block: defaults, which files are taken, every area at its file offset,
// the save's round trip and the memory bytes kept as read.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "files/settings.h"
#include "link/connection.h"

namespace {

namespace fs = std::filesystem;

class SettingsFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("qz_settings_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    path_ = (dir_ / "SetData.cfg").string();
  }
  void TearDown() override { fs::remove_all(dir_); }

  void writeFile(const std::vector<uint8_t>& bytes) {
    std::ofstream out(path_, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  }
  std::vector<uint8_t> readFile() {
    std::ifstream in(path_, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
  }

  fs::path dir_;
  std::string path_;
};

std::vector<uint8_t> defaultImage() {
  SettingsBlock block;
  setDefaultSettings(&block);
  std::vector<uint8_t> bytes(SETTINGS_SIZE);
  std::memcpy(bytes.data(), &block, SETTINGS_SIZE);
  return bytes;
}

void put16(std::vector<uint8_t>& b, size_t at, uint16_t v) { b[at] = v & 0xFF; b[at + 1] = v >> 8; }
void put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = (v >> (8 * i)) & 0xFF;
}

TEST(SettingsDefaults, OnlyFormatWordAndPointNumbersAreSet) {
  std::vector<uint8_t> image = defaultImage();
  for (size_t i = 0; i < image.size(); ++i) {
    if (i == 6 || i == 7 || i == 262 || i == 1584) continue;
    EXPECT_EQ(image[i], 0) << "offset " << i;
  }
  EXPECT_EQ(image[6], 0x3C);
  EXPECT_EQ(image[7], 0x05);
  EXPECT_EQ(image[262], 1);
  EXPECT_EQ(image[263], 0);
  EXPECT_EQ(image[1584], 1);
  EXPECT_EQ(image[1585], 0);
}

TEST(SettingsDefaults, ValueFormatPerCommandUnit) {
  EXPECT_EQ(valueFormatForUnit(0), 0x53C);
  EXPECT_EQ(valueFormatForUnit(1), 0x52C);
  EXPECT_EQ(valueFormatForUnit(2), 0x51C);
  EXPECT_EQ(valueFormatForUnit(3), 0x50B);
  EXPECT_EQ(valueFormatForUnit(4), 0x53C);
}

TEST_F(SettingsFile, MissingFileGivesDefaultsAndCreatesNothing) {
  g_settings.savedPort = 2;
  EXPECT_EQ(loadSettings(path_.c_str()), 0xFFFF);
  EXPECT_FALSE(fs::exists(path_));
  EXPECT_EQ(savedPort(), 0);
  EXPECT_EQ(g_settings.environment.valueFormat, 0x53C);
  // First start: the block is written out whole at shutdown.
  EXPECT_EQ(saveSettings(path_.c_str()), 0);
  EXPECT_EQ(readFile(), defaultImage());
}

TEST_F(SettingsFile, OnlyAFileOfExactly1653BytesIsTaken) {
  for (size_t size : {size_t{0}, size_t{1652}, size_t{1654}, size_t{1653}}) {
    std::vector<uint8_t> bytes(size, 0);
    if (size >= 2) put16(bytes, 0, 2);   // savedPort COM3
    if (size >= 8) put16(bytes, 6, 0x50B);
    writeFile(bytes);
    uint16_t result = loadSettings(path_.c_str());
    if (size == SETTINGS_SIZE) {
      EXPECT_EQ(result, 0);
      EXPECT_EQ(savedPort(), 2);
      EXPECT_EQ(g_settings.environment.valueFormat, 0x50B);
    } else {
      EXPECT_EQ(result, 0xFFFF) << size;
      EXPECT_EQ(savedPort(), 0) << size;
      EXPECT_EQ(g_settings.environment.valueFormat, 0x53C) << size;
      EXPECT_EQ(g_settings.pointOperation.pointNumber, 1) << size;
    }
  }
}

// Any port number survives a load and a save byte for byte (COM12 is 0x000B, COM256 0x00FF).
TEST_F(SettingsFile, SavedPortAboveCom3IsKeptByteForByte) {
  for (uint16_t port : {uint16_t{11}, uint16_t{255}, uint16_t{2}}) {
    std::vector<uint8_t> b = defaultImage();
    put16(b, 0, port);
    writeFile(b);
    ASSERT_EQ(loadSettings(path_.c_str()), 0);
    EXPECT_EQ(savedPort(), port);
    setSavedPort(savedPortAtExit(savedPort()));
    ASSERT_EQ(saveSettings(path_.c_str()), 0);
    EXPECT_EQ(readFile(), b) << port;
  }
}

TEST_F(SettingsFile, EveryAreaIsReadAtItsOffset) {
  std::vector<uint8_t> b = defaultImage();
  put16(b, 0, 1);                  // saved port COM2
  put16(b, 2, 1500);               // interval
  b[4] = 1;                        // deg
  b[5] = 2;                        // 0.1
  put16(b, 6, 0x51C);
  b[8] = 2; put32(b, 9, 12000); b[13] = 1; b[14] = 3; b[15] = 1; b[16] = 2;
  put16(b, 17, 1); put32(b, 19, 12000);          // jog speed history
  put32(b, 59 + 3, static_cast<uint32_t>(-250)); b[59 + 16] = 1; put16(b, 59 + 60, 3);
  put32(b, 161 + 1, 777); put32(b, 161 + 6, 888); put16(b, 161 + 58, 2);
  put16(b, 262, 42); put16(b, 261 + 9, 1); put32(b, 261 + 11, 42);
  b[312 + 1] = 1; put32(b, 312 + 2, 4000000000u); put16(b, 312 + 59, 5);
  put32(b, 413 + 12, 4321); put32(b, 413 + 17, 99); put16(b, 413 + 153, 7);
  put32(b, 608 + 6, 100); put32(b, 608 + 6 + 56, 1500); put32(b, 608 + 66 + 56, 30);
  put16(b, 608 + 137, 15); put16(b, 608 + 181, 4);
  put32(b, 831 + 28, static_cast<uint32_t>(-9)); b[831 + 32] = 1; put16(b, 831 + 245, 6);
  put32(b, 1118 + 2, 555); b[1118 + 11] = 1; put16(b, 1118 + 12, 8);
  put16(b, 1172, 0x8001); put16(b, 1182, 0x00F0);
  put32(b, 1184, 1000); put32(b, 1188, static_cast<uint32_t>(-1));
  put32(b, 1184 + 49 * 8, 50); put32(b, 1184 + 49 * 8 + 4, 5000);
  put16(b, 1584, 50); put32(b, 1586, 321); b[1590] = 1; put32(b, 1591, 654);
  put16(b, 1595, 10); put32(b, 1595 + 2 + 9 * 4, 99999);
  writeFile(b);
  ASSERT_EQ(loadSettings(path_.c_str()), 0);
  const SettingsBlock& s = g_settings;
  EXPECT_EQ(s.savedPort, 1);
  EXPECT_EQ(s.environment.repeatInterval, 1500);
  EXPECT_EQ(s.environment.displayUnit, 1);
  EXPECT_EQ(s.environment.commandUnit, 2);
  EXPECT_EQ(s.environment.valueFormat, 0x51C);
  EXPECT_EQ(s.jog.speedSource, 2);
  EXPECT_EQ(s.jog.speed, 12000);
  EXPECT_EQ(s.jog.accelFilter.accelMode, 1);
  EXPECT_EQ(s.jog.accelFilter.filterIndex, 2);
  EXPECT_EQ(s.jog.speedHistory.count, 1);
  EXPECT_EQ(s.jog.speedHistory.values[0], 12000);
  EXPECT_EQ(s.step.distance, -250);
  EXPECT_EQ(s.step.repeatStop.repeat, 1);
  EXPECT_EQ(s.step.speedHistory.count, 3);
  EXPECT_EQ(s.positioning.targetPosition, 777);
  EXPECT_EQ(s.positioning.speed, 888);
  EXPECT_EQ(s.positioning.targetHistory.count, 2);
  EXPECT_EQ(s.pointOperation.pointNumber, 42);
  EXPECT_EQ(s.pointOperation.pointHistory.values[0], 42);
  EXPECT_EQ(s.station.rotationDirection, 1);
  EXPECT_EQ(s.station.stationNumber, 4000000000u);
  EXPECT_EQ(s.station.stationHistory.count, 5);
  EXPECT_EQ(s.externalSignal.externalDistance, 4321);
  EXPECT_EQ(s.externalSignal.externalSpeed, 99);
  EXPECT_EQ(s.externalSignal.externalSpeedHistory.count, 7);
  EXPECT_EQ(s.multiSpeed.changePositions[0], 100);
  EXPECT_EQ(s.multiSpeed.changePositions[14], 1500);
  EXPECT_EQ(s.multiSpeed.changeSpeeds[14], 30);
  EXPECT_EQ(s.multiSpeed.changeCount, 15);
  EXPECT_EQ(s.multiSpeed.speedHistory.count, 4);
  EXPECT_EQ(s.passPoint.signal2Off, -9);
  EXPECT_EQ(s.passPoint.signal2Polarity, 1);
  EXPECT_EQ(s.passPoint.signal2OffHistory.count, 6);
  EXPECT_EQ(s.homing.speed, 555);
  EXPECT_EQ(s.homing.repeatStop.stopMode, 1);
  EXPECT_EQ(s.homing.speedHistory.count, 8);
  EXPECT_EQ(s.outputPort.overrideMask[0], 0x8001);
  EXPECT_EQ(s.outputPort.writtenValues[2], 0x00F0);
  const PointTable* points = livePointTable();
  EXPECT_EQ(points->points[0].speed, 1000u);
  EXPECT_EQ(points->points[0].position, -1);
  EXPECT_EQ(points->points[49].speed, 50u);
  EXPECT_EQ(points->points[49].position, 5000);
  EXPECT_EQ(s.pointSetting.pointNumber, 50);
  EXPECT_EQ(s.pointSetting.speed, 321);
  EXPECT_EQ(s.pointSetting.positionChoice, 1);
  EXPECT_EQ(s.pointSetting.position, 654);
  EXPECT_EQ(s.pointSetting.speedHistory.count, 10);
  EXPECT_EQ(s.pointSetting.speedHistory.values[9], 99999);
}

TEST_F(SettingsFile, SaveWritesTheBlockBackByteForByte) {
  std::vector<uint8_t> b(SETTINGS_SIZE);
  for (size_t i = 0; i < b.size(); ++i) b[i] = static_cast<uint8_t>(i * 7);
  // Keep the values that are normalised on load in range.
  b[4] = 1; b[5] = 3; put16(b, 6, 0x50B);
  const size_t histories[] = {17, 59 + 18, 59 + 60, 161 + 16, 161 + 58, 261 + 9, 312 + 17, 312 + 59,
                              413 + 27, 413 + 69, 413 + 111, 413 + 153, 608 + 139, 608 + 181,
                              831 + 35, 831 + 77, 831 + 119, 831 + 161, 831 + 203, 831 + 245,
                              1118 + 12, 1595};
  for (size_t at : histories) put16(b, at, 9);
  put16(b, 608 + 137, 3);
  put16(b, 262, 7);
  put16(b, 1584, 9);
  writeFile(b);
  ASSERT_EQ(loadSettings(path_.c_str()), 0);
  g_settings.savedPort = 0;
  b[0] = 0; b[1] = 0;
  livePointTable()->points[3].position = -2;
  put32(b, 1184 + 3 * 8 + 4, static_cast<uint32_t>(-2));
  ASSERT_EQ(saveSettings(path_.c_str()), 0);
  EXPECT_EQ(readFile(), b);
}

TEST_F(SettingsFile, MemoryBytesAreKeptAsReadButNotUsed) {
  std::vector<uint8_t> b = defaultImage();
  for (uint32_t i = 0; i < MEMORY_SETTINGS_BYTES; ++i) b[MEMORY_SETTINGS_OFFSET + i] = 0xA0 + i;
  writeFile(b);
  g_memoryReadSettings.address = 0x1234;
  g_memoryWriteSettings.writeValue = 0x55;
  ASSERT_EQ(loadSettings(path_.c_str()), 0);
  EXPECT_EQ(g_memoryReadSettings.address, 0u);
  EXPECT_EQ(g_memoryReadSettings.sizeInBytes, 0);
  EXPECT_EQ(g_memoryWriteSettings.writeValue, 0u);
  // The memory dialogs change their own records; the file's bytes go back unchanged.
  g_memoryReadSettings.address = 0x100;
  g_memoryWriteSettings.address = 0x200;
  ASSERT_EQ(saveSettings(path_.c_str()), 0);
  EXPECT_EQ(readFile(), b);
}

TEST_F(SettingsFile, FailedSaveLeavesTheOldFile) {
  std::vector<uint8_t> old = defaultImage();
  old[0] = 2;
  writeFile(old);
  std::string missingDir = (dir_ / "no_such_dir" / "SetData.cfg").string();
  EXPECT_EQ(saveSettings(missingDir.c_str()), 0xFFFF);
  // A longer old file is replaced whole, not overwritten in front.
  std::vector<uint8_t> longer(3000, 0xEE);
  writeFile(longer);
  setDefaultSettings(&g_settings);
  ASSERT_EQ(saveSettings(path_.c_str()), 0);
  EXPECT_EQ(readFile(), defaultImage());
}

TEST(SettingsNormalise, OutOfRangeCountsAndIndicesFromADamagedFile) {
  std::vector<uint8_t> b = defaultImage();
  b[4] = 7;                     // display unit
  b[5] = 9;                     // command unit
  put16(b, 6, 0x0F0F);          // no unit gives this word
  put16(b, 17, 0xFFFF);         // jog history count
  put16(b, 1595, 11);           // point setting history count
  put16(b, 608 + 137, 200);     // speed-change count
  put16(b, 262, 0);
  put16(b, 1584, 51);
  put16(b, 0, 5);               // a port with no radio button stays as it is
  SettingsBlock block;
  ASSERT_EQ(takeSettingsImage(b.data(), SETTINGS_SIZE, &block), 0);
  EXPECT_EQ(block.environment.displayUnit, 0);
  EXPECT_EQ(block.environment.commandUnit, 0);
  EXPECT_EQ(block.environment.valueFormat, 0x53C);
  EXPECT_EQ(block.jog.speedHistory.count, 10);
  EXPECT_EQ(block.pointSetting.speedHistory.count, 10);
  EXPECT_EQ(block.multiSpeed.changeCount, 15);
  EXPECT_EQ(block.pointOperation.pointNumber, 1);
  EXPECT_EQ(block.pointSetting.pointNumber, 1);
  EXPECT_EQ(block.savedPort, 5);

  // A format word that lags behind the command unit is a legitimate state.
  std::vector<uint8_t> lag = defaultImage();
  lag[5] = 1;
  ASSERT_EQ(takeSettingsImage(lag.data(), SETTINGS_SIZE, &block), 0);
  EXPECT_EQ(block.environment.commandUnit, 1);
  EXPECT_EQ(block.environment.valueFormat, 0x53C);
}

}  // namespace
