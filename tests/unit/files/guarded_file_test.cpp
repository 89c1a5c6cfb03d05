// Guarded file access: locations, status codes, and the whole-file helpers that
// never create what they read and never leave a half-written file.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "files/guarded_file.h"

namespace {

namespace fs = std::filesystem;

class Guarded : public ::testing::Test {
 protected:
  void SetUp() override {
    fileLockCreate();
    fileLockCreate();   // a second create does nothing
    dir_ = fs::temp_directory_path() / "qz_guarded_test";
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    fs::remove_all(dir_);
    fileLockClose();
  }
  std::string at(const char* name) { return (dir_ / name).string(); }
  fs::path dir_;
};

TEST_F(Guarded, OpenCreatesReadReportsNothingAndStatusCodes) {
  uint16_t status = 1;
  std::string name = at("new.bin");
  FileHandle f = openFile(LOCATION_AS_GIVEN, 0, name.c_str(), &status);
  ASSERT_NE(f, FILE_NONE);
  EXPECT_EQ(status, FILE_OK);
  char buffer[16];
  uint32_t done = 99;
  EXPECT_EQ(readAt(f, 16, 0, 1, buffer, &done), FILE_READ_NOTHING);
  EXPECT_EQ(writeAt(f, 4, 1, 1, "ABCD", &done), FILE_OK);   // at offset 4
  EXPECT_EQ(done, 4u);
  // A short read is success with the count of what came.
  EXPECT_EQ(readAt(f, 16, 0, 1, buffer, &done), FILE_OK);
  EXPECT_EQ(done, 8u);
  EXPECT_EQ(std::memcmp(buffer + 4, "ABCD", 4), 0);
  EXPECT_EQ(closeFile(f), FILE_OK);
  EXPECT_EQ(closeFile(FILE_NONE), FILE_NO_HANDLE);
  EXPECT_EQ(readAt(FILE_NONE, 1, 0, 1, buffer, &done), FILE_NO_HANDLE);

  // Reopening never truncates.
  f = openFile(LOCATION_AS_GIVEN, 0, name.c_str(), &status);
  EXPECT_EQ(fs::file_size(name), 8u);
  closeFile(f);

  EXPECT_EQ(openFile(LOCATION_AS_GIVEN, 0, at("missing_dir/x").c_str(), &status), FILE_NONE);
  EXPECT_EQ(status, FILE_OPEN_FAILED);
  EXPECT_EQ(openFile(7, 0, "x", &status), FILE_NONE);
  EXPECT_EQ(status, FILE_BAD_LOCATION);
#ifndef _WIN32
  EXPECT_EQ(openFile(LOCATION_FIXED, 0, "x", &status), FILE_NONE);
  EXPECT_EQ(status, FILE_BAD_LOCATION) << "drive codes mean nothing here";
#endif
  std::string longName(FILE_PATH_MAX + 40, 'a');
  EXPECT_EQ(openFile(LOCATION_CURRENT_DIR, 0, longName.c_str(), &status), FILE_NONE);
  EXPECT_EQ(status, FILE_BAD_DIRECTORY);
}

TEST_F(Guarded, ExistsAndLocations) {
  uint16_t status = 0;
  std::string name = at("none.txt");
  EXPECT_EQ(fileExists(LOCATION_AS_GIVEN, 0, name.c_str(), &status), 0);
  EXPECT_EQ(status, FILE_NOT_FOUND);
  EXPECT_FALSE(fs::exists(name));
  std::ofstream(name) << "x";
  EXPECT_EQ(fileExists(LOCATION_AS_GIVEN, 0, name.c_str(), &status), 1);
  EXPECT_EQ(fileExists(LOCATION_AS_GIVEN, 0, dir_.string().c_str(), &status), 0)
      << "a directory is not a file";

  char path[FILE_PATH_MAX];
  ASSERT_EQ(resolveFilePath(LOCATION_TEMP_DIR, 0, "t.bin", path), FILE_OK);
  // The system's temporary directory (Win32 and the C++ library may name it differently).
  EXPECT_EQ(fs::path(path).filename(), "t.bin");
  EXPECT_TRUE(fs::is_directory(fs::path(path).parent_path())) << path;
  ASSERT_EQ(resolveFilePath(LOCATION_CURRENT_DIR, 0, "c.bin", path), FILE_OK);
  EXPECT_EQ(fs::path(path).filename(), "c.bin");
}

TEST_F(Guarded, WholeFileHelpers) {
  char* data = nullptr;
  uint32_t size = 0;
  std::string name = at("whole.txt");
  EXPECT_EQ(readWholeFile(LOCATION_AS_GIVEN, 0, name.c_str(), &data, &size), FILE_NOT_FOUND);
  EXPECT_FALSE(fs::exists(name));
  std::ofstream(name).close();
  EXPECT_EQ(readWholeFile(LOCATION_AS_GIVEN, 0, name.c_str(), &data, &size), FILE_READ_NOTHING);

  ASSERT_EQ(replaceWholeFile(LOCATION_AS_GIVEN, 0, name.c_str(), std::string(500, 'L').data(), 500), FILE_OK);
  ASSERT_EQ(replaceWholeFile(LOCATION_AS_GIVEN, 0, name.c_str(), "short", 5), FILE_OK);
  ASSERT_EQ(readWholeFile(LOCATION_AS_GIVEN, 0, name.c_str(), &data, &size), FILE_OK);
  EXPECT_EQ(size, 5u);
  EXPECT_STREQ(data, "short");
  freeFileData(data);

  // Nothing is left beside the target.
  int entries = 0;
  for (auto& e : fs::directory_iterator(dir_)) entries += e.is_regular_file();
  EXPECT_EQ(entries, 1);
}

}  // namespace
