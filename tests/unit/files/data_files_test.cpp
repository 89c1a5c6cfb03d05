// PRM and PNT files: the bytes written, what reads back, the line of the first
// error, and files that are missing or cannot be replaced.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "files/definitions.h"
#include "files/parameter_file.h"
#include "files/point_file.h"

namespace {

namespace fs = std::filesystem;

const char* kDefinitions =
    "Pn0001:\r\nD:\"speed\"{2,0,100.00 [rpm]}\r\n"
    "Pn0002:\r\nD:\"offset\"{4,-99999,99999 [pulse]}\r\n"
    "Pn0003:\r\nH:\"mask\"{1,00,FF}\r\n"
    "Pn0004:\r\nS:\"mode\"{0:\"a\" 1:\"b\"}\r\n"
    "Pn0004:\r\nH:\"mode raw\"{2,0000,FFFF}\r\n";

class DataFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("qz_files_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    table_ = std::make_unique<ParameterTable>();
    alarms_ = std::make_unique<AlarmTextTable>();
    std::memset(table_.get(), 0, sizeof *table_);
    ModeRecord mode{};
    ASSERT_EQ(parseDefinitions(kDefinitions, static_cast<uint32_t>(std::strlen(kDefinitions)),
                               table_.get(), alarms_.get(), &mode),
              0);
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string path(const char* name) { return (dir_ / name).string(); }
  static std::string slurp(const std::string& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  static void spit(const std::string& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary) << bytes;
  }
  ParameterDefinition& def(int i) { return table_->entries[i]; }

  fs::path dir_;
  std::unique_ptr<ParameterTable> table_;
  std::unique_ptr<AlarmTextTable> alarms_;
};

TEST_F(DataFiles, ParameterFileBytesAndRoundTrip) {
  def(0).value = 150;    def(0).valueValid = 1;   // 1.50
  def(1).value = -1234;  def(1).valueValid = 1;
  def(2).value = 0x1F;   def(2).valueValid = 1;
  def(3).value = 1;      def(3).valueValid = 1;
  std::string file = path("a.PRM");
  ASSERT_EQ(writeParameterFile(file.c_str(), table_.get()), 0);
  EXPECT_EQ(slurp(file),
            "No,Type,Parameter Name,Value,Unit\r\n"
            "Pn0001,D,speed,  1.50,[rpm]\r\n"
            "Pn0002,D,offset, -1234,[pulse]\r\n"
            "Pn0003,H,mask,1F,\r\n"
            "Pn0004,S,mode,0001,-\r\n"
            "\x1A");
  def(1).value = 0;
  ASSERT_EQ(readParameterFile(file.c_str(), table_.get()), 0);
  EXPECT_EQ(def(1).value, -1234);
  EXPECT_EQ(def(4).valueValid, 1) << "a second definition of the number reads the same line";
}

TEST_F(DataFiles, ParameterFileReading) {
  std::string file = path("b.PRM");
  spit(file,
       "anything at all\r\n"
       "Pn0001,D,x,1.5,\r\n"          // fewer fraction digits: padded
       "Pn0002,D,x,-42,\r\n"
       "Pn0003,H,x,--,\r\n"           // no value
       "Pn0004,S,x,00A,\r\n"          // both definitions of Pn0004
       "\r\n"
       "Pn0999,D,unknown,5,\r\n"
       "\x1A" "garbage after the end");
  ASSERT_EQ(readParameterFile(file.c_str(), table_.get()), 0);
  EXPECT_EQ(def(0).value, 150);
  EXPECT_EQ(def(1).value, -42);
  EXPECT_EQ(def(2).valueValid, 0);
  EXPECT_EQ(def(3).value & 0xFFFF, 0x00A);
  EXPECT_EQ(def(4).value & 0xFFFF, 0x00A);
  EXPECT_EQ(def(4).valueValid, 1);

  struct Case {
    const char* body;
    uint16_t line;
  } cases[] = {
      {"Pn0001,D,x,1,u,extra\r\n", 2},     // six fields
      {"Pn0001,D,x\r\n", 2},               // three fields, at its LF
      {"Px0001,D,x,1,\r\n", 2},
      {"Pn0001,D,x,1.234,\r\n", 2},        // more fraction digits than the format
      {"Pn0001,D,x,1234567890123456,\r\n", 2},   // longer than any format
      {"Pn0003,H,x,1FF,\r\n", 2},          // does not fit one byte
  };
  for (const Case& c : cases) {
    spit(file, std::string("header\r\nPn0002,D,x,7,\r\n") + c.body);
    EXPECT_EQ(readParameterFile(file.c_str(), table_.get()), c.line + 1) << c.body;
    EXPECT_EQ(def(1).value, 7) << "lines before the error stay read";
  }
}

TEST_F(DataFiles, PointFileBytesNegativePositionsAndErrors) {
  PointEntry points[50] = {};
  for (int i = 0; i < 50; ++i) points[i] = {static_cast<uint32_t>(i * 100), -1000 * i};
  std::string file = path("p.PNT");
  ASSERT_EQ(writePointFile(file.c_str(), points), 0);
  std::string bytes = slurp(file);
  ASSERT_EQ(bytes.size(), 1370u);
  EXPECT_EQ(bytes.substr(0, 19), "No,Speed,Position\r\n");
  EXPECT_EQ(bytes.substr(19 + 27, 27), "  2,       100,4294966296\r\n");
  EXPECT_EQ(bytes.back(), '\x1A');

  PointEntry back[50] = {};
  ASSERT_EQ(readPointFile(file.c_str(), back), 0);
  EXPECT_EQ(back[49].position, -49000);
  EXPECT_EQ(back[49].speed, 4900u);

  PointEntry kept[50] = {};
  kept[4] = {7, 7};
  spit(file, "No,Speed,Position\r\n 1,5,-5\r\n");
  ASSERT_EQ(readPointFile(file.c_str(), kept), 0);
  EXPECT_EQ(kept[0].position, -5);
  EXPECT_EQ(kept[4].speed, 7u) << "points the file does not name keep their values";

  for (const char* bad : {" 51,1,1\r\n", "  0,1,1\r\n", "  1,1,1,1\r\n", "  1,1\r\n", "  1,1,1\n"}) {
    spit(file, std::string("No,Speed,Position\r\n") + bad);
    EXPECT_EQ(readPointFile(file.c_str(), kept), 2) << bad;
  }
}

TEST_F(DataFiles, MissingFilesAreErrorsAndFailedWritesKeepTheOldFile) {
  PointEntry points[50] = {};
  std::string missing = path("nothing.PRM");
  EXPECT_EQ(readParameterFile(missing.c_str(), table_.get()), 0xFFFF);
  EXPECT_EQ(readPointFile(path("nothing.PNT").c_str(), points), 0xFFFF);
  EXPECT_FALSE(fs::exists(missing)) << "reading never creates a file";
  spit(path("empty.PNT"), "");
  EXPECT_EQ(readPointFile(path("empty.PNT").c_str(), points), 0xFFFF);

  // A shorter file written over a longer one leaves no stale bytes behind.
  std::string file = path("over.PNT");
  spit(file, std::string(4000, 'x'));
  ASSERT_EQ(writePointFile(file.c_str(), points), 0);
  EXPECT_EQ(slurp(file).size(), 1370u);

  // A target that cannot be replaced (a directory) fails and stays as it was.
  fs::create_directories(path("dir.PRM"));
  def(0).valueValid = 1;
  EXPECT_EQ(writeParameterFile(path("dir.PRM").c_str(), table_.get()), 0xFFFF);
  EXPECT_TRUE(fs::is_directory(path("dir.PRM")));
  spit(path("keep.PNT"), "old");
  EXPECT_EQ(writePointFile((dir_ / "no_such_dir" / "x.PNT").string().c_str(), points), 0xFFFF);
  EXPECT_EQ(slurp(path("keep.PNT")), "old");
}

}  // namespace
